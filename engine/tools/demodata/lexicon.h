// lexicon.h: the French words the demo data is made of (names, places, products, trades).
//
// Texts are UTF-8 here; the builder converts them to the engine's 8-bit code page.
#ifndef BREVANTIS_ENGINE_TOOLS_DEMODATA_LEXICON_H
#define BREVANTIS_ENGINE_TOOLS_DEMODATA_LEXICON_H

#include <string>
#include <vector>

namespace demo {

struct City {
    std::string name;
    std::string postcode;
};

struct ProductFamily {
    std::string family;              // e.g. "Épicerie fine"
    std::vector<std::string> items;  // base product names of that family
    double minPrice;                 // unit price range before tax, in euros
    double maxPrice;
};

const std::vector<std::string>& firstNames();
const std::vector<std::string>& lastNames();
const std::vector<City>& cities();
const std::vector<std::string>& streets();
const std::vector<std::string>& trades();      // "Boulangerie", "Garage" ...
const std::vector<std::string>& legalForms();  // "SARL", "SAS" ...
const std::vector<ProductFamily>& productFamilies();
const std::vector<std::string>& productVariants();  // "", " – lot de 2" ...
const std::vector<std::string>& departments();      // company services
const std::vector<std::string>& jobTitles();
const std::vector<std::string>& paymentMethods();
const std::vector<std::string>& leaveKinds();     // kinds of absence
const std::vector<std::string>& customerNotes();  // sentences for memo columns

}  // namespace demo

#endif  // BREVANTIS_ENGINE_TOOLS_DEMODATA_LEXICON_H
