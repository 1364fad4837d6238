// dictionary.h: a data dictionary file NAME.add — its users, tables, indexes and default
// indexes.
//
// The file is text, one entry per line, fields separated by tabs (names never hold tabs
// or line breaks):
//   BRVADD01
//   user    NAME  ADMIN(0|1)  HASH            (Argon2id, see password.h)
//   user    NAME  ADMIN(0|1)  SALT  SHA256    (the older form: read, and rewritten at login)
//   table   NAME  FILE (relative to the dictionary's folder)
//   index   TABLE  NAME  FLAGS  COLUMN;COLUMN...  CONDITION
//   default TABLE  INDEX
// It is rewritten whole under a temporary name and renamed into place, so a reader sees
// the old file or the new one; only its owner may read it (mode 0600).
#ifndef BREVANTIS_ENGINE_CORE_DICTIONARY_H
#define BREVANTIS_ENGINE_CORE_DICTIONARY_H

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/core/file_io.h"
#include "engine/core/password.h"
#include "engine/core/table.h"
#include "engine/record/status.h"

namespace engine {

struct DictionaryUser {
    std::string name;
    bool administrator = false;
    PasswordHash password;
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
    // Writes the dictionary to its path, atomically; a file it replaces keeps its owner,
    // group and mode.
    Status save();

    const std::string& path() const { return path_; }
    // The identity of the file last read or written.
    FileId fileId() const { return id_; }
    std::string folder() const;

    // The user of that name (letter case ignored), or null. Checking a password against it
    // is slow: callers copy the user and check it without holding anything else.
    const DictionaryUser* findUser(std::string_view user) const;
    Status addUser(std::string_view user, std::string_view password, bool administrator);
    // Gives the user the hash `now` in place of `before`; false when the user is gone or
    // their password changed meanwhile. The caller saves.
    bool replacePassword(std::string_view user, const PasswordHash& before,
                         const PasswordHash& now);

    const std::vector<DictionaryTable>& tables() const { return tables_; }
    DictionaryTable* findTable(std::string_view name);
    const DictionaryTable* findTable(std::string_view name) const;
    Status addTable(std::string_view name, std::string_view file);
    void removeTable(std::string_view name);
    // Puts back a table taken out by removeTable, with its indexes and default index.
    void restoreTable(DictionaryTable table);
    // The table whose file is `file` (a name in the dictionary's folder, letter case
    // ignored), or null. The lock procedures ask it once per statement: it is a lookup.
    const DictionaryTable* tableAtFile(std::string_view file) const;

    static Dictionary empty(std::string path);

  private:
    std::string path_;
    FileId id_;
    std::vector<DictionaryUser> users_;
    std::vector<DictionaryTable> tables_;
    std::unordered_map<std::string, size_t> byFile_;  // upper-cased file -> place in tables_

    void indexFiles();
};

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_DICTIONARY_H
