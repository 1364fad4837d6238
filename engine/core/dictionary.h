// dictionary.h: a data dictionary file NAME.add — its users, tables, indexes and default
// indexes.
//
// The file is text, one entry per line, fields separated by tabs (names never hold tabs
// or line breaks):
//   BRVADD01
//   user    NAME  ADMIN(0|1)  SALT(hex)  SHA256(salt + password)(hex)
//   table   NAME  FILE (relative to the dictionary's folder)
//   index   TABLE  NAME  FLAGS  COLUMN;COLUMN...  CONDITION
//   default TABLE  INDEX
// It is rewritten whole under a temporary name and renamed into place, so a reader sees
// the old file or the new one.
#ifndef BREVANTIS_ENGINE_CORE_DICTIONARY_H
#define BREVANTIS_ENGINE_CORE_DICTIONARY_H

#include <string>
#include <string_view>
#include <vector>

#include "engine/record/status.h"
#include "engine/core/table.h"

namespace engine {

struct DictionaryUser {
    std::string name;
    bool administrator = false;
    std::string salt;  // hex
    std::string hash;  // hex SHA-256 of salt bytes + password
};

struct DictionaryTable {
    std::string name;
    std::string file;  // relative to the dictionary's folder
    std::vector<IndexDef> indexes;
    std::string defaultIndex;
};

// Whether a table, index or user name can be stored: 1 to 200 characters, none of them a
// control character, ';', '/', '\\' or '"', and not "." or "..".
bool isValidObjectName(std::string_view name);

class Dictionary {
public:
    // Reads `path` (AE_FILE_NOT_FOUND when missing, AE_INTERNAL_ERROR when damaged).
    static Status load(const std::string& path, Dictionary* out);
    // Writes the dictionary to its path, atomically.
    Status save() const;

    const std::string& path() const { return path_; }
    std::string folder() const;

    // Whether `password` is the user's; unknown users are refused.
    bool authenticate(std::string_view user, std::string_view password, bool* administrator) const;
    Status addUser(std::string_view user, std::string_view password, bool administrator);

    const std::vector<DictionaryTable>& tables() const { return tables_; }
    DictionaryTable* findTable(std::string_view name);
    const DictionaryTable* findTable(std::string_view name) const;
    Status addTable(std::string_view name, std::string_view file);
    void removeTable(std::string_view name);

    static Dictionary empty(std::string path);

private:
    std::string path_;
    std::vector<DictionaryUser> users_;
    std::vector<DictionaryTable> tables_;
};

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_DICTIONARY_H
