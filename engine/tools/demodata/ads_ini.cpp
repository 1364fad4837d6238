// ads_ini.cpp: the ads.ini writer.
#include "engine/tools/demodata/ads_ini.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace demo {

std::string adsIniText(const std::vector<Alias>& aliases) {
    std::string text =
        "; Demo dictionaries, written by demodata. Aliases containing X_ are hidden.\n";
    text += "[Databases]\n";
    for (const Alias& a : aliases) text += a.name + "=" + a.dictionaryPath + ";A\n";
    return text;
}

bool writeAdsIni(const std::string& path, const std::vector<Alias>& aliases, std::string* error) {
    // Written beside the final name and renamed over it, so a reader never sees half a file.
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << adsIniText(aliases);
        out.flush();
        if (!out) {
            *error = "cannot write " + tmp + ": " + std::strerror(errno);
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        *error = "cannot rename " + tmp + " to " + path + ": " + std::strerror(errno);
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace demo
