// procedures.cpp: the management procedures sp_mgGetAllLocks and sp_mgGetLockOwner.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <span>

#include "engine/core/session_impl.h"
#include "engine/core/sql/catalog.h"
#include "engine/include/engine_api.h"
#include "engine/record/record.h"
#include "engine/record/record_text.h"

namespace engine {
namespace {

ColumnDef charColumn(const char* name, uint32_t width) {
    ColumnDef c;
    c.name = name;
    c.type = ColumnType::String;
    c.length = width;
    return c;
}

ColumnDef integerColumn(const char* name) {
    ColumnDef c;
    c.name = name;
    c.type = ColumnType::Integer;
    c.length = 4;
    return c;
}

// Whether a file exists at `path`, its last part compared without regard to letter case.
bool existsIgnoringCase(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) return S_ISREG(st.st_mode);
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return false;
    std::string dir = slash == 0 ? "/" : path.substr(0, slash);
    std::string file = path.substr(slash + 1);
    DIR* d = ::opendir(dir.c_str());
    if (!d) return false;
    bool found = false;
    while (dirent* e = ::readdir(d))
        if (record::equalsNoCase(e->d_name, file)) found = true;
    ::closedir(d);
    return found;
}

// The lock-table keys that name the table file `argument` (blanks trimmed, letter case
// ignored, a relative path taken from the connection's folder). Each must be a table the
// connection reaches (AE_TABLE_OUTSIDE_SOURCE); AE_FILE_NOT_FOUND when no file of that name
// exists and none is locked.
Status lockedFilesFor(Session::Impl& s, const Value& argument, std::vector<std::string>* files)
    REQUIRES(s.server->mu) {
    std::string_view path = record::trimBlanksView(argument.text);
    std::string spelled;  // the path with '/' for '\\' and its folder, made only when needed
    if (path.find('\\') != std::string_view::npos || !path.starts_with('/')) {
        spelled = path.starts_with('/') || path.starts_with('\\')
                      ? std::string(path)
                      : s.folder + "/" + std::string(path);
        std::replace(spelled.begin(), spelled.end(), '\\', '/');
        path = spelled;
    }
    // Lock keys of table files are canonical paths, and callers usually give one: resolving
    // the path on disk is needed only when that spelling names no locked file. (Keys of
    // temporary tables start with '#' and are never reported.)
    *files = s.server->locks.filesNamedNoCase(path);
    TablePlace place;
    if (files->empty()) {
        Status st = s.placeFile(std::string(path), &place);
        if (!st.ok()) return st;
        *files = s.server->locks.filesNamedNoCase(place.path);
        if (files->empty() && !existsIgnoringCase(place.path))
            return Status::error(AE_FILE_NOT_FOUND,
                                 "The table file does not exist: " + std::string(path));
    }
    for (const std::string& key : *files) {
        place.named = place.path = key;
        Status st = s.checkPlace(&place);
        if (!st.ok()) return st;
    }
    return Status::success();
}

Status badArguments(std::string_view name) {
    return sql::sqlError(sql::kNativeBadArguments,
                         "Wrong arguments for procedure " + std::string(name) + ".");
}

bool recordNumberArg(const Value& v, uint32_t* recno) {
    double d = v.kind == Value::Kind::Integer  ? static_cast<double>(v.integer)
               : v.kind == Value::Kind::Double ? v.real
                                               : -1;
    if (d < 0 || d > 4294967295.0 || std::floor(d) != d) return false;
    *recno = static_cast<uint32_t>(d);
    return true;
}

// The layout of a procedure's results, made once from its fixed column list.
SharedLayout resultLayout(std::vector<ColumnDef> columns) {
    SharedLayout layout;
    Status s = record::makeResultLayout(std::move(columns), &layout);
    return s.ok() ? layout : nullptr;  // a fixed list that passes once passes always
}

// Fills a row of sp_mgGetLockOwner, each value whole.
void fillOwnerRow(std::span<Value> row, uint32_t owner, const ConnectionEntry& e) {
    auto text = [](std::string_view v, size_t width) {
        return Value::ofString(std::string(v.substr(0, width)));
    };
    row[0] = text(e.identity.userName, 50);
    row[1] = Value::ofInteger(owner);
    row[2] = text(e.dictionaryUser, 50);
    row[3] = text(e.identity.address, 30);
    row[4] = text("Record Lock", 15);
    row[5] = text(e.identity.osLogin, 50);
    row[6] = text(e.identity.tsAddress, 30);
    row[7] = text(e.identity.applicationId, 70);
}

}  // namespace

Status runManagementProcedure(Session::Impl& s, std::string_view name, const Row& args,
                              sql::ResultSet* out, bool* known) {
    bool allLocks = record::equalsNoCase(name, "sp_mgGetAllLocks");
    bool lockOwner = record::equalsNoCase(name, "sp_mgGetLockOwner");
    *known = allLocks || lockOwner;
    if (!*known) return Status::success();
    if (!s.dictionaryConnection || !s.administrator)
        return Status::error(AE_PERMISSION_DENIED,
                             "The procedure " + std::string(name) +
                                 " requires the administrator of a data dictionary.");
    uint32_t recno = 0;
    if (args.empty() || args[0].kind != Value::Kind::String || (allLocks && args.size() != 1) ||
        (lockOwner && (args.size() != 2 || !recordNumberArg(args[1], &recno))))
        return badArguments(name);
    // The registry's mutex, never a table's: a statement that reads a table for long makes
    // no lock viewer wait.
    MutexLock registry(s.server->mu);
    std::vector<std::string> files;
    Status status = lockedFilesFor(s, args[0], &files);
    if (!status.ok()) return status;
    if (allLocks) {
        static const SharedLayout kLockLayout = resultLayout({integerColumn("LockedRecNo")});
        out->layout = kLockLayout;
        out->rows.reset(1);
        const std::vector<uint32_t> locked = s.server->locks.records(files);
        out->rows.reserve(locked.size());
        for (uint32_t r : locked) out->rows.append()[0] = Value::ofInteger(r);
        return Status::success();
    }
    static const SharedLayout kOwnerLayout = resultLayout(
        {charColumn("UserName", 50), integerColumn("ConnNumber"), charColumn("DictionaryUser", 50),
         charColumn("Address", 30), charColumn("LockType", 15), charColumn("OSUserLoginName", 50),
         charColumn("TSAddress", 30), charColumn("ApplicationID", 70)});
    out->layout = kOwnerLayout;
    out->rows.reset(kOwnerLayout->columns.size());
    out->rows.reserve(files.size());  // a row per file at most
    for (const std::string& f : files) {
        uint32_t owner = s.server->locks.owner(f, recno);
        auto it = s.server->connections.find(owner);
        if (owner == 0 || it == s.server->connections.end()) continue;
        fillOwnerRow(out->rows.append(), owner, it->second);
    }
    return Status::success();
}

}  // namespace engine
