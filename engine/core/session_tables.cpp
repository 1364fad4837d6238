// session_tables.cpp: how a session finds, creates and drops tables and keeps its handles.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

#include "engine/core/session_impl.h"
#include "engine/include/engine_api.h"
#include "engine/record/raw_key.h"
#include "engine/record/record.h"
#include "engine/record/record_text.h"

namespace engine {
namespace {

bool hasAdtExtension(std::string_view s) {
    return s.size() >= 4 && record::equalsNoCase(s.substr(s.size() - 4), ".adt");
}

bool fileExists(const FolderFile& file) {
    struct stat st;
    return ::fstatat(file.folder, file.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(st.st_mode);
}

std::string upperName(std::string_view name) {
    return record::upperAscii(record::trimBlanks(name));
}

}  // namespace

Status Session::Impl::findTable(std::string_view name, std::shared_ptr<Table>* out,
                                std::string* lockFile) {
    std::string trimmed = record::trimBlanks(name);
    if (trimmed.empty()) return Status::error(AE_INVALID_ARGUMENT, "No table name given.");
    if (trimmed[0] == '#') {
        auto it = tempTables.find(upperName(trimmed));
        if (it == tempTables.end())
            return Status::error(AE_FILE_NOT_FOUND,
                                 "The temporary table does not exist: " + trimmed);
        *out = it->second;
        *lockFile = "#" + std::to_string(connection) + "/" + it->first;
        return Status::success();
    }
    TablePlace place;
    std::vector<IndexDef> indexes;  // the dictionary's, copied while its mutex is held
    {
        MutexLock registry(server->mu);
        Status s = placeTable(trimmed, &place);
        if (!s.ok()) return s;
        if (!fileExists(folderFile(place)))
            return Status::error(AE_FILE_NOT_FOUND, "The table file does not exist: " + place.path);
        if (const DictionaryTable* t =
                place.table.empty() ? nullptr : dictionary->findTable(place.table))
            indexes = t->indexes;
    }
    Status s = server->acquireTable(folderFile(place), !place.table.empty(), out, lockFile);
    if (!s.ok()) return s;
    // The table is given the dictionary's indexes once, by the first session to open it;
    // later ones find them there as readers, and wait for no statement that reads it.
    Table& table = **out;
    {
        ReaderLock read(table.mutex());
        bool complete = true;
        for (const IndexDef& def : indexes) complete = complete && table.findIndex(def.name) >= 0;
        if (complete) return Status::success();
    }
    WriterLock write(table.mutex());
    for (const IndexDef& def : indexes)
        if (table.findIndex(def.name) < 0) table.addIndex(def);
    return Status::success();
}

Status Session::Impl::createTable(std::string_view rawName, std::vector<ColumnDef> columns) {
    std::string name = record::trimBlanks(rawName);
    if (name.empty()) return Status::error(AE_INVALID_ARGUMENT, "No table name given.");
    std::shared_ptr<Table> table;
    if (name[0] == '#') {
        if (tempTables.count(upperName(name)))
            return Status::error(AE_INVALID_ARGUMENT,
                                 "The temporary table exists already: " + name);
        Status s = Table::createInMemory(std::move(columns), &table);
        if (!s.ok()) return s;
        table->setTableId(record::tableIdFor("#" + std::to_string(connection) + upperName(name)));
        tempTables[upperName(name)] = table;
        return Status::success();
    }
    if (dictionaryConnection && !administrator)
        return Status::error(AE_PERMISSION_DENIED, "Only an administrator may create tables.");
    MutexLock registry(server->mu);
    Status s = refreshDictionary();
    if (!s.ok()) return s;
    if (dictionaryConnection && dictionary->findTable(name))
        return Status::error(AE_INVALID_ARGUMENT, "The table exists already: " + name);
    if (!isValidObjectName(name) || hasAdtExtension(name))
        return Status::error(AE_INVALID_ARGUMENT,
                             "A new table is named without path or extension: " + name);
    s = record::validateColumns(columns);
    if (!s.ok()) return s;
    const std::string file = name + ".adt";
    TablePlace place;
    s = placeFile(file, &place);
    if (s.ok() && !place.table.empty())
        s = Status::error(AE_INVALID_ARGUMENT,
                          "The data dictionary has a table at " + file + " already.");
    if (!s.ok()) return s;
    uint32_t length = record::layoutColumns(columns);
    s = TableFile::create(folderFile(place), columns, length);
    if (!s.ok() || !dictionaryConnection) return s;
    s = dictionary->addTable(name, file);
    if (s.ok()) s = dictionary->save();
    if (!s.ok()) dictionary->removeTable(name);
    server->dictionaryStamps[dataSource] = fileStamp(dataSource);
    return s;
}

Status Session::Impl::createIndex(std::string_view tableName, IndexDef def) {
    std::string name = record::trimBlanks(tableName);
    if (!isValidObjectName(def.name))
        return Status::error(AE_INVALID_ARGUMENT, "Invalid index name: " + def.name);
    std::shared_ptr<Table> table;
    std::string lockFile;
    Status s = findTable(name, &table, &lockFile);
    if (!s.ok()) return s;
    WriterLock write(table->mutex());
    if (name[0] == '#' || !dictionaryConnection) return table->addIndex(std::move(def));
    if (!administrator)
        return Status::error(AE_PERMISSION_DENIED, "Only an administrator may create indexes.");
    MutexLock registry(server->mu);  // after the table's mutex, as the order goes
    DictionaryTable* entry = dictionary->findTable(name);
    if (!entry)
        return Status::error(AE_TABLE_NOT_IN_DICTIONARY,
                             "The table is not in the data dictionary.");
    s = table->addIndex(def);
    if (!s.ok()) return s;
    entry->indexes.push_back(std::move(def));
    s = dictionary->save();
    if (!s.ok()) entry->indexes.pop_back();
    server->dictionaryStamps[dataSource] = fileStamp(dataSource);
    return s;
}

Status Session::Impl::dropTable(std::string_view rawName) {
    std::string name = record::trimBlanks(rawName);
    if (!name.empty() && name[0] == '#') {
        auto it = tempTables.find(upperName(name));
        if (it == tempTables.end())
            return Status::error(AE_FILE_NOT_FOUND, "The temporary table does not exist: " + name);
        for (const auto& [h, c] : cursors)
            if (c->table == it->second)
                return Status::error(AE_TABLE_LOCKED, "The table is open: " + name);
        tempTables.erase(it);
        if (auto counted = tempTableBytes.find(upperName(name)); counted != tempTableBytes.end()) {
            resultBytes -= counted->second;
            tempTableBytes.erase(counted);
        }
        return Status::success();
    }
    // Only the connection's own tables can be dropped, never a file named by a path.
    if (!isValidObjectName(name) || hasAdtExtension(name))
        return Status::error(AE_INVALID_ARGUMENT, "A table is dropped by its name alone: " + name);
    MutexLock registry(server->mu);
    TablePlace place;
    Status s = placeTable(name, &place);
    if (!s.ok()) return s;
    if (dictionaryConnection && !administrator)
        return Status::error(AE_PERMISSION_DENIED, "Only an administrator may drop tables.");
    struct stat st;
    if (::fstatat(folderFd.get(), place.file.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode))
        return Status::error(AE_FILE_NOT_FOUND, "The table file does not exist: " + place.path);
    // Whoever has the file open has it under the key it was loaded by.
    const FileId id = fileIdOf(st);
    auto loadedKey = server->tableKeys.find(id);
    const std::string key = loadedKey == server->tableKeys.end() ? place.path : loadedKey->second;
    auto use = server->fileUse.find(key);
    if (use != server->fileUse.end() && !use->second.handles.empty())
        return Status::error(AE_TABLE_LOCKED, "The table is open: " + name);
    // The dictionary forgets the table first and takes it back when its files stay: it never
    // lists a table whose files are gone.
    std::optional<DictionaryTable> entry;
    if (!place.table.empty()) {
        entry = *dictionary->findTable(place.table);
        dictionary->removeTable(place.table);
        s = dictionary->save();
        if (!s.ok()) {
            dictionary->restoreTable(std::move(*entry));
            return s;
        }
    }
    s = TableFile::remove(folderFile(place));
    const bool stays = !s.ok() && fileExists(folderFile(place));
    if (entry) {
        if (stays) {
            dictionary->restoreTable(std::move(*entry));
            (void)dictionary->save();  // the text it had: it was written just before
        }
        server->dictionaryStamps[dataSource] = fileStamp(dataSource);
    }
    if (!stays) {
        server->tables.erase(key);
        server->tableKeys.erase(id);
    }
    return s;
}

Status Session::Impl::roomFor(uint64_t bytes) const {
    const Server::Options& limits = server->options;
    if (cursors.size() >= limits.maxCursors)
        return Status::error(AE_TOO_MANY_CURSORS,
                             "The connection holds " + std::to_string(cursors.size()) +
                                 " tables and cursors, as many as the server allows: close some.");
    if (resultBytes + bytes > limits.maxResultBytes)
        return Status::error(AE_RESULTS_TOO_LARGE, "The connection's results would take " +
                                                       std::to_string((resultBytes + bytes) >> 20) +
                                                       " MiB, more than the server allows (" +
                                                       std::to_string(limits.maxResultBytes >> 20) +
                                                       " MiB): close some cursors.");
    return Status::success();
}

Status Session::Impl::roomForTemporary(int64_t growth) const {
    const uint64_t limit = server->options.maxResultBytes;
    if (growth <= 0 || resultBytes + static_cast<uint64_t>(growth) <= limit)
        return Status::success();
    return Status::error(AE_RESULTS_TOO_LARGE,
                         "The connection's temporary tables and results would take more than the "
                         "server allows (" +
                             std::to_string(limit >> 20) +
                             " MiB): drop a temporary table or close some cursors.");
}

void Session::Impl::countTemporary(const std::string& table, int64_t growth) {
    uint64_t& counted = tempTableBytes[table];
    // Never below nothing: what it frees was counted when it was written.
    const uint64_t freed = growth < 0 ? std::min(counted, static_cast<uint64_t>(-growth)) : 0;
    const uint64_t added = growth > 0 ? static_cast<uint64_t>(growth) : 0;
    counted += added - freed;
    resultBytes += added - freed;
}

Handle Session::Impl::addCursor(std::unique_ptr<Cursor> cursor) {
    resultBytes += cursor->heldBytes;
    Handle h = server->nextHandle++;
    cursor->info.handle = h;
    ReaderLock read(cursor->table->mutex());
    for (size_t i = 0; i < cursor->table->indexCount(); ++i) {
        const Index& index = cursor->table->index(i);
        Handle ih = server->nextHandle++;
        indexHandles[ih] = {h, static_cast<int>(i)};
        IndexInfo info;
        info.handle = ih;
        info.name = index.def.name;
        info.flags = index.def.flags;
        info.segments = index.def.columns;
        info.condition = index.def.condition;
        cursor->info.indexes.push_back(std::move(info));
    }
    gotoEdge(*cursor, nullptr, true);
    cursors[h] = std::move(cursor);
    return h;
}

Status Session::Impl::cursorFor(Handle h, Cursor** out, int* index) {
    auto it = cursors.find(h);
    if (it != cursors.end()) {
        *out = it->second.get();
        *index = -1;
        return Status::success();
    }
    auto ih = indexHandles.find(h);
    if (ih == indexHandles.end()) return Status::error(AE_INVALID_HANDLE, "Invalid handle.");
    *out = cursors.at(ih->second.cursor).get();
    *index = ih->second.index;
    return Status::success();
}

void Session::Impl::closeCursor(Handle h) {
    auto it = cursors.find(h);
    if (it == cursors.end()) return;
    std::string lockFile = it->second->lockFile;
    resultBytes -= it->second->heldBytes;
    bool isTable = it->second->info.handleType == ADS_TABLE;
    for (const IndexInfo& info : it->second->info.indexes) indexHandles.erase(info.handle);
    cursors.erase(it);
    if (!isTable) return;
    auto use = server->fileUse.find(lockFile);
    if (use == server->fileUse.end()) return;
    if (--use->second.handles[connection] <= 0) {
        use->second.handles.erase(connection);
        if (use->second.exclusiveOwner == connection) use->second.exclusiveOwner = 0;
        server->locks.releaseFile(lockFile, connection);
    }
    if (use->second.handles.empty()) server->fileUse.erase(use);
}

void Session::Impl::closeAll() {
    while (!cursors.empty()) closeCursor(cursors.begin()->first);
    tempTables.clear();
}

}  // namespace engine
