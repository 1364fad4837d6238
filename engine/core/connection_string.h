// connection_string.h: parsing "Key=Value;" connection strings.
#ifndef BREVANTIS_ENGINE_CORE_CONNECTION_STRING_H
#define BREVANTIS_ENGINE_CORE_CONNECTION_STRING_H

#include <string>
#include <string_view>

#include "engine/record/status.h"

namespace engine {

struct ConnectionSettings {
    std::string dataSource;
    std::string userId;
    std::string password;
    bool fips = false;
    bool serverTypeGiven = false;
    bool local = false, remote = false, internet = false;
};

// Parses parts "Key=Value" separated by ';'. Keys ignore letter case and surrounding
// blanks; a value may be enclosed in double quotes (then it may hold ';', and is taken
// as it is between the quotes). Known keys: Data Source, User ID, Password, FIPS
// (True/False), ServerType (LOCAL, REMOTE, INTERNET joined by '|'). Other keys are
// ignored. A part without '=', an unterminated quote, an unknown server type word, a FIPS
// value other than True/False or a missing Data Source answer AE_INVALID_ARGUMENT.
Status parseConnectionString(std::string_view text, ConnectionSettings* out);

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_CONNECTION_STRING_H
