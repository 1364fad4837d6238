// demo_builder.h: writes the demo dictionaries to disk through the engine core, and ads.ini.
#ifndef BREVANTIS_ENGINE_TOOLS_DEMODATA_DEMO_BUILDER_H
#define BREVANTIS_ENGINE_TOOLS_DEMODATA_DEMO_BUILDER_H

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// Credentials of the demo dictionaries.
inline constexpr const char* kAdminUser = "adssys";
inline constexpr const char* kAdminPassword = "kor5382";
// Users without administrator rights (user, password), added to every dictionary.
inline const std::vector<std::pair<std::string, std::string>> kPlainUsers{{"comptable", "saisie26"},
                                                                          {"lecteur", "lire2026"}};

struct BuildOptions {
    std::string outDir;   // receives one folder per dictionary; created when missing
    std::string iniPath;  // ads.ini to write; empty: outDir/ads.ini
    uint64_t seed = 2026;
    double scale = 1.0;  // row-count multiplier (see demoScripts)
};

struct BuildSummary {
    std::vector<std::string> dictionaryPaths;  // absolute paths of the NAME.add files
    size_t tables = 0;
    size_t rows = 0;
};

// Builds every demo dictionary into outDir/NAME/NAME.add with its tables, users, indexes
// and default indexes, removes the .adt of the table meant to be missing, and writes the
// ini file listing the dictionaries plus one alias hidden by its "X_". Refuses (false, with
// `error`) when a dictionary file already exists, so an old demo is never half-overwritten.
bool buildDemo(const BuildOptions& options, BuildSummary* summary, std::string* error);

}  // namespace demo

#endif  // BREVANTIS_ENGINE_TOOLS_DEMODATA_DEMO_BUILDER_H
