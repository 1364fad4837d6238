// ads_ini.h: writes the client configuration file that lists the dictionary aliases.
#ifndef BREVANTIS_ENGINE_TOOLS_DEMODATA_ADS_INI_H
#define BREVANTIS_ENGINE_TOOLS_DEMODATA_ADS_INI_H

#include <string>
#include <vector>

namespace demo {

// One line of the Databases section: alias=dictionary path;A
struct Alias {
    std::string name;
    std::string dictionaryPath;  // full path of NAME.add
};

// The file's text: a comment, then the Databases section with one line per alias, in order.
// The value ends in ";A" (the two characters the reader drops: separator and table-type code).
std::string adsIniText(const std::vector<Alias>& aliases);

// Writes adsIniText to `path`, replacing the file. Returns false with `error` set on failure.
bool writeAdsIni(const std::string& path, const std::vector<Alias>& aliases, std::string* error);

}  // namespace demo

#endif  // BREVANTIS_ENGINE_TOOLS_DEMODATA_ADS_INI_H
