// session.cpp: Server connections and the Session calls: tables, navigation, filters,
// editing and record locks.
#include "engine/core/session.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "engine/core/connection_string.h"
#include "engine/core/session_impl.h"
#include "engine/include/engine_api.h"
#include "engine/record/record.h"
#include "engine/record/record_text.h"

namespace engine {
namespace {

Status badHandle() {
    return Status::error(AE_INVALID_HANDLE, "Invalid handle.");
}

bool endsWithNoCase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() &&
           record::equalsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

// Opens the connection's folder, without following a link in its last step, and takes
// its path and identity from the descriptor.
Status openFolder(const std::string& path, Session::Impl& impl) {
    impl.folderFd = FileDescriptor(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    char* real = nullptr;
    if (impl.folderFd.valid() && ::fstat(impl.folderFd.get(), &st) == 0)
        real = ::realpath(("/proc/self/fd/" + std::to_string(impl.folderFd.get())).c_str(), nullptr);
    Status busy;
    if (!real && outOfDescriptors("to open the folder " + path, &busy)) return busy;
    if (!real)
        return Status::error(AE_FILE_NOT_FOUND, "The folder of the data source cannot be opened: " +
                                                    path + " (" + std::strerror(errno) + ").");
    impl.folder = real;
    ::free(real);
    impl.folderId = fileIdOf(st);
    return Status::success();
}

}  // namespace

int64_t fileStamp(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec + st.st_size;
}

Status Session::Impl::refreshDictionary() {
    if (!dictionaryConnection) return Status::success();
    return server->acquireDictionary(dictionaryFile(), &dictionary);
}

Status ServerState::acquireTable(const FolderFile& file, bool listedName,
                                 std::shared_ptr<Table>* out, std::string* key) {
    struct stat st;
    if (::fstatat(file.folder, file.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Status::error(AE_FILE_NOT_FOUND, "The table file does not exist: " + file.path);
    Status s = TableFile::checkName(st, listedName, file.path);
    if (!s.ok()) return s;
    const FileId id = fileIdOf(st);
    auto loaded = [&]() REQUIRES(mu) {
        auto k = tableKeys.find(id);
        auto it = k == tableKeys.end() ? tables.end() : tables.find(k->second);
        *out = it == tables.end() ? nullptr : it->second.lock();
        if (*out && (*out)->fileId() != id) *out = nullptr;  // that key holds another file now
        if (*out) *key = k->second;
        return *out != nullptr;
    };
    {
        MutexLock registry(mu);
        if (loaded()) return Status::success();
    }
    // Reading a large table takes time: nobody waits for the registry meanwhile, and the
    // one load lock makes sure a table is read once.
    MutexLock loading(loadMu);
    {
        MutexLock registry(mu);
        if (loaded()) return Status::success();
    }
    s = Table::load(file, options.syncWrites, out);
    if (!s.ok()) return s;
    // What was checked above must be what was opened.
    if ((*out)->fileId() != id)
        return Status::error(AE_TABLE_OUTSIDE_SOURCE,
                             "The table " + file.path + " was replaced while it was opened.");
    MutexLock registry(mu);
    tables[file.path] = *out;
    tableKeys[(*out)->fileId()] = file.path;
    *key = file.path;
    return Status::success();
}

Status ServerState::acquireDictionary(const FolderFile& file, std::shared_ptr<Dictionary>* out) {
    const std::string& path = file.path;
    int64_t stamp = fileStamp(path);
    auto it = dictionaries.find(path);
    std::shared_ptr<Dictionary> d;
    if (it != dictionaries.end() && dictionaryStamps[path] == stamp) {
        d = it->second;
    } else {
        d = std::make_shared<Dictionary>();
        Status s = Dictionary::load(path, d.get());
        if (!s.ok()) return s;
        dictionaries[path] = d;
        dictionaryStamps[path] = stamp;
    }
    // Read by its path, it must be the file the folder held open has under its name.
    struct stat st;
    if (::fstatat(file.folder, file.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        fileIdOf(st) != d->fileId())
        return Status::error(AE_FILE_NOT_FOUND,
                             "The data dictionary was moved or replaced while in use: " + path);
    *out = std::move(d);
    return Status::success();
}

Status ServerState::logIn(const FolderFile& file, std::string_view user, std::string_view password,
                          bool* administrator) {
    const std::string& path = file.path;
    DictionaryUser found;
    {
        MutexLock lock(mu);
        std::shared_ptr<Dictionary> d;
        Status s = acquireDictionary(file, &d);
        if (!s.ok()) return s;
        if (const DictionaryUser* u = d->findUser(user)) found = *u;
    }
    // An unknown user costs a check too: the time of the answer does not tell who exists.
    const bool known = !found.name.empty();
    if (!verifyPassword(known ? found.password : unknownUserHash(), password) || !known)
        return Status::error(
            AE_LOGIN_FAILED,
            "The user name or the password is not valid for this data dictionary.");
    *administrator = found.administrator;
    if (!needsRehash(found.password)) return Status::success();
    // The password is known now: its hash is made again in the current form. A dictionary
    // that cannot be written keeps the old hash, and the login stands.
    PasswordHash now = hashPassword(password);
    MutexLock lock(mu);
    std::shared_ptr<Dictionary> d;
    if (now.hash.empty() || !acquireDictionary(file, &d).ok() ||
        !d->replacePassword(user, found.password, now))
        return Status::success();
    if (d->save().ok())
        dictionaryStamps[path] = fileStamp(path);
    else
        d->replacePassword(user, now, found.password);
    return Status::success();
}

Server::Server() : Server(Options{}) {}
Server::Server(Options options) : state_(std::make_shared<ServerState>(options)) {
    // Made now rather than in the first unknown user's login, which would take twice as long.
    (void)unknownUserHash();
}
Server::~Server() = default;

Status Server::connect(std::string_view connectionString, const ClientIdentity& identity,
                       std::unique_ptr<Session>* out) {
    ConnectionSettings cs;
    Status s = parseConnectionString(connectionString, &cs);
    if (!s.ok()) return s;
    if (cs.serverTypeGiven &&
        !((cs.local && state_->options.allowLocal) || (cs.remote && state_->options.allowRemote)))
        return Status::error(AE_SERVER_TYPE_REFUSED,
                             "No server of the requested type is available (ServerType allows "
                             "neither LOCAL nor REMOTE here).");
    auto impl = std::make_unique<Session::Impl>();
    impl->server = state_;
    std::string source = cs.dataSource;
    while (source.size() > 1 && source.back() == '/') source.pop_back();
    struct stat st;
    if (::stat(source.c_str(), &st) != 0)
        return Status::error(AE_FILE_NOT_FOUND, "The data source does not exist: " + cs.dataSource);
    const std::string canonical = canonicalPath(source);
    const bool folder = S_ISDIR(st.st_mode);
    if (!folder && !endsWithNoCase(source, ".add"))
        return Status::error(
            AE_FILE_NOT_FOUND,
            "The data source is neither a data dictionary nor a folder: " + cs.dataSource);
    // The folder is opened once, before anything is read from it; its path is taken back
    // from the descriptor, so that both name the same folder.
    const size_t slash = canonical.find_last_of('/');
    s = openFolder(folder ? canonical : canonical.substr(0, std::max<size_t>(slash, 1)), *impl);
    if (!s.ok()) return s;
    impl->dataSource = folder ? impl->folder
                              : (impl->folder == "/" ? "" : impl->folder) + canonical.substr(slash);
    // Free tables have no users, and a folder connection is nobody's administrator.
    impl->dictionaryConnection = !folder;
    if (!folder) {
        s = state_->logIn(impl->dictionaryFile(), cs.userId, cs.password, &impl->administrator);
        if (!s.ok()) return s;
    }
    MutexLock lock(state_->mu);
    if (!folder) {
        s = state_->acquireDictionary(impl->dictionaryFile(), &impl->dictionary);
        if (!s.ok()) return s;
    }
    impl->connection = state_->nextConnection++;
    state_->connections[impl->connection] = {identity, impl->dictionaryConnection ? cs.userId : ""};
    out->reset(new Session(std::move(impl)));
    return Status::success();
}

Session::Session(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Session::~Session() {
    MutexLock lock(impl_->server->mu);
    impl_->closeAll();
    impl_->server->locks.releaseAll(impl_->connection);
    impl_->server->connections.erase(impl_->connection);
}

uint32_t Session::connectionNumber() const {
    return impl_->connection;
}
bool Session::isDictionary() const {
    return impl_->dictionaryConnection;
}

void Session::setApplicationId(std::string applicationId) {
    MutexLock lock(impl_->server->mu);
    impl_->server->connections[impl_->connection].identity.applicationId = std::move(applicationId);
}

Status Session::listTables(std::string_view mask, std::vector<std::string>* names) {
    MutexLock lock(impl_->server->mu);
    names->clear();
    if (impl_->dictionaryConnection) {
        Status s = impl_->refreshDictionary();
        if (!s.ok()) return s;
        for (const DictionaryTable& t : impl_->dictionary->tables()) names->push_back(t.name);
        return Status::success();
    }
    std::string pattern(mask);
    size_t slash = pattern.find_last_of("/\\");
    if (slash != std::string::npos) pattern = pattern.substr(slash + 1);
    if (pattern.empty()) pattern = "*";
    FileDescriptor listing(::openat(impl_->folderFd.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* dir = listing.valid() ? ::fdopendir(listing.get()) : nullptr;
    if (!dir)
        return Status::error(AE_FILE_NOT_FOUND, "The folder cannot be read: " + impl_->folder);
    listing.release();  // the listing owns it now
    while (dirent* e = ::readdir(dir)) {
        std::string file = e->d_name;
        if (!endsWithNoCase(file, ".adt")) continue;
        if (::fnmatch(pattern.c_str(), file.c_str(), FNM_CASEFOLD) != 0 &&
            ::fnmatch(pattern.c_str(), file.substr(0, file.size() - 4).c_str(), FNM_CASEFOLD) != 0)
            continue;
        // Only the tables this connection reaches: none that a dictionary claims.
        TablePlace place;
        Status s = impl_->placeFile(file, &place);
        if (s.code == AE_TABLE_OUTSIDE_SOURCE) continue;
        if (!s.ok()) {
            ::closedir(dir);
            return s;
        }
        names->push_back(file.substr(0, file.size() - 4));
    }
    ::closedir(dir);
    std::sort(names->begin(), names->end());
    return Status::success();
}

Status Session::tableProperty(std::string_view table, uint16_t property, std::string* value) {
    MutexLock lock(impl_->server->mu);
    if (!impl_->dictionaryConnection)
        return Status::error(AE_TABLE_NOT_IN_DICTIONARY, "The connection has no data dictionary.");
    Status s = impl_->refreshDictionary();
    if (!s.ok()) return s;
    const DictionaryTable* t = impl_->dictionary->findTable(table);
    if (!t)
        return Status::error(AE_TABLE_NOT_IN_DICTIONARY,
                             "The table is not in the data dictionary: " + std::string(table));
    if (property != ADS_DD_TABLE_DEFAULT_INDEX)
        return Status::error(AE_INVALID_ARGUMENT,
                             "Unknown table property " + std::to_string(property) + ".");
    if (t->defaultIndex.empty())
        return Status::error(AE_PROPERTY_NOT_SET, "The table has no default index.");
    *value = t->defaultIndex;
    return Status::success();
}

Status Session::openTable(std::string_view name, uint16_t tableType, uint16_t charType,
                          uint16_t /*lockType*/, uint16_t /*checkRights*/, uint32_t options,
                          std::string_view /*collation*/, CursorInfo* out) {
    if (tableType != 0 && tableType != ADS_ADT)
        return Status::error(AE_INVALID_ARGUMENT,
                             "Only ADT tables are stored here (table type 3).");
    if (charType > ADS_OEM) return Status::error(AE_INVALID_ARGUMENT, "Unknown character type.");
    Status s = impl_->roomFor(0);
    if (!s.ok()) return s;
    auto c = std::make_unique<Cursor>();
    s = impl_->findTable(name, &c->table, &c->lockFile);
    if (!s.ok()) return s;
    if (c->lockFile[0] == '#') c->temporary = record::upperAscii(record::trimBlanks(name));
    {
        MutexLock registry(impl_->server->mu);
        // Dropped since it was found (a drop needs the table closed everywhere): not opened.
        auto loaded = impl_->server->tables.find(c->lockFile);
        if (c->lockFile[0] != '#' &&
            (loaded == impl_->server->tables.end() || loaded->second.lock() != c->table))
            return Status::error(AE_FILE_NOT_FOUND, "The table was dropped: " + std::string(name));
        FileUse& use = impl_->server->fileUse[c->lockFile];
        bool othersOpen = std::any_of(use.handles.begin(), use.handles.end(), [&](const auto& e) {
            return e.first != impl_->connection && e.second > 0;
        });
        if ((use.exclusiveOwner && use.exclusiveOwner != impl_->connection) ||
            ((options & ADS_EXCLUSIVE) && othersOpen)) {
            if (use.handles.empty()) impl_->server->fileUse.erase(c->lockFile);
            return Status::error(AE_TABLE_LOCKED,
                                 "The table is opened exclusively by another connection.");
        }
        use.handles[impl_->connection]++;
        if (options & ADS_EXCLUSIVE) use.exclusiveOwner = impl_->connection;
    }
    c->readOnly = options & ADS_READONLY;
    CursorInfo& info = c->info;
    info.handleType = ADS_TABLE;
    info.name = std::string(name);
    info.charType = charType ? charType : ADS_ANSI;
    // A table on storage the server cannot write is read; no write permission is reported.
    const bool writable = !c->readOnly && !c->table->readOnlyStorage();
    info.openOptions =
        (options & (ADS_EXCLUSIVE | ADS_READONLY)) |
        (writable ? ADS_PERMISSION_UPDATE | ADS_PERMISSION_INSERT | ADS_PERMISSION_DELETE : 0);
    info.layout = c->table->layout();
    Handle h = impl_->addCursor(std::move(c));
    *out = impl_->cursors[h]->info;
    return Status::success();
}

Status Session::close(Handle handle) {
    MutexLock lock(impl_->server->mu);
    if (!impl_->cursors.count(handle)) return badHandle();
    impl_->closeCursor(handle);
    return Status::success();
}

namespace {

// The index order a cursor moves in (null: record order).
const Index* indexOf(Cursor& c, int order) REQUIRES_SHARED(c.table->mutex()) {
    return order < 0 ? nullptr : &c.table->index(static_cast<size_t>(order));
}

// Finds the handle's cursor and its index order, and runs `body(cursor, index)` as a reader
// of its table: many sessions navigate one table at once. Each body says it needs the
// table's mutex and is checked so; the call here is not, as clang takes a lambda's
// annotation on its first parameter for one on the lambda itself.
template <typename Body>
Status asReader(Session::Impl& impl, Handle handle, Body&& body) NO_THREAD_SAFETY_ANALYSIS {
    Cursor* c = nullptr;
    int order = -1;
    Status s = impl.cursorFor(handle, &c, &order);
    if (!s.ok()) return s;
    ReaderLock read(c->table->mutex());
    return body(*c, indexOf(*c, order));
}

// Runs one navigation step, `step(cursor, index)`, and reports the position.
template <typename Step>
Status navigate(Session::Impl& impl, Handle handle, Position* out, Step&& step) {
    return asReader(impl, handle,
                    [&](Cursor& c, const Index* index) NO_THREAD_SAFETY_ANALYSIS {
                        Status s = step(c, index);
                        if (s.ok()) describePosition(c, out);
                        return s;
                    });
}

// Finds the handle's cursor and runs `body(cursor)`, which takes its table's mutex when it
// reads or writes the table: a cursor's own settings are its session's alone.
template <typename Body>
Status withCursor(Session::Impl& impl, Handle handle, Body&& body) {
    Cursor* c = nullptr;
    int order = -1;
    Status s = impl.cursorFor(handle, &c, &order);
    if (!s.ok()) return s;
    return body(*c);
}

Status readSlot(const FilterSlot& slot, std::string* text) {
    if (!slot.set) return Status::error(AE_NO_FILTER, "No filter is set.");
    *text = slot.text;
    return Status::success();
}

}  // namespace

Status Session::gotoTop(Handle h, Position* out) {
    return navigate(*impl_, h, out, [](Cursor& c, const Index* index) REQUIRES_SHARED(c.table->mutex()) {
        gotoEdge(c, index, true);
        return Status::success();
    });
}
Status Session::gotoBottom(Handle h, Position* out) {
    return navigate(*impl_, h, out, [](Cursor& c, const Index* index) REQUIRES_SHARED(c.table->mutex()) {
        gotoEdge(c, index, false);
        return Status::success();
    });
}
Status Session::gotoBof(Handle h, Position* out) {
    return navigate(*impl_, h, out, [](Cursor& c, const Index*) REQUIRES_SHARED(c.table->mutex()) {
        engine::gotoBof(c);
        return Status::success();
    });
}
Status Session::skip(Handle h, int32_t n, Position* out) {
    return navigate(*impl_, h, out, [n](Cursor& c, const Index* index) REQUIRES_SHARED(c.table->mutex()) {
        skipRows(c, index, n);
        return Status::success();
    });
}
Status Session::current(Handle h, Position* out) {
    return navigate(*impl_, h, out, [](Cursor&, const Index*) { return Status::success(); });
}

Status Session::gotoRecord(Handle h, uint32_t recno, Position* out) {
    return navigate(*impl_, h, out, [recno](Cursor& c, const Index*) REQUIRES_SHARED(c.table->mutex()) {
        if (recno > c.table->recordCount())
            return Status::error(AE_INVALID_RECORD_NUMBER,
                                 "There is no record " + std::to_string(recno) + ".");
        c.recno = recno;
        c.bof = false;
        c.eof = recno == 0;
        return Status::success();
    });
}

Status Session::seek(Handle h, std::string_view key, uint16_t seekType, bool* found,
                     Position* out) {
    return navigate(*impl_, h, out, [&](Cursor& c, const Index* index) REQUIRES_SHARED(c.table->mutex()) {
        if (!index) return Status::error(AE_INVALID_HANDLE, "Seeking needs an index handle.");
        *found = seekKey(c, *index, key, seekType != ADS_HARDSEEK);
        return Status::success();
    });
}

Status Session::fetch(Handle h, int32_t step, uint32_t count, std::vector<Position>* out) {
    out->clear();
    return asReader(*impl_, h, [&](Cursor& c, const Index* index) REQUIRES_SHARED(c.table->mutex()) {
        for (uint32_t i = 0; i < count; ++i) {
            skipRows(c, index, step);
            out->emplace_back();
            describePosition(c, &out->back());
            if (c.bof || c.eof) break;
        }
        return Status::success();
    });
}

Status Session::recordCount(Handle h, uint16_t option, uint32_t* count) {
    return asReader(*impl_, h, [&](Cursor& c, const Index* index) REQUIRES_SHARED(c.table->mutex()) {
        switch (option & ~ADS_REFRESHCOUNT) {
            case ADS_RESPECTFILTERS:
                *count = countVisible(c, index);
                break;
            case ADS_IGNOREFILTERS:
                *count = c.table->recordCount();
                break;
            case ADS_RESPECTSCOPES:
                *count = index ? static_cast<uint32_t>(index->entries.size()) : c.table->liveCount();
                break;
            default:
                return Status::error(AE_INVALID_ARGUMENT, "Unknown record count option.");
        }
        return Status::success();
    });
}

Status Session::setAof(Handle h, std::string_view e) {
    return withCursor(*impl_, h, [&](Cursor& c) { return setFilterSlot(c, c.aof, e); });
}
Status Session::setFilter(Handle h, std::string_view e) {
    return withCursor(*impl_, h, [&](Cursor& c) { return setFilterSlot(c, c.filter, e); });
}
Status Session::clearAof(Handle h) {
    return withCursor(*impl_, h, [](Cursor& c) {
        c.aof = FilterSlot{};
        return Status::success();
    });
}
Status Session::clearFilter(Handle h) {
    return withCursor(*impl_, h, [](Cursor& c) {
        c.filter = FilterSlot{};
        return Status::success();
    });
}
Status Session::aof(Handle h, std::string* e) {
    return withCursor(*impl_, h, [&](Cursor& c) { return readSlot(c.aof, e); });
}
Status Session::filter(Handle h, std::string* e) {
    return withCursor(*impl_, h, [&](Cursor& c) { return readSlot(c.filter, e); });
}
Status Session::setExact(Handle h, bool e) {
    return withCursor(*impl_, h, [e](Cursor& c) {
        c.exact = e;
        return Status::success();
    });
}
Status Session::exact(Handle h, bool* e) {
    return withCursor(*impl_, h, [e](Cursor& c) {
        *e = c.exact;
        return Status::success();
    });
}

Status Session::evalLogical(Handle h, std::string_view expression, bool* result) {
    return asReader(*impl_, h, [&](Cursor& c, const Index*) REQUIRES_SHARED(c.table->mutex()) {
        if (c.bof || c.eof || !c.table->isLive(c.recno))
            return Status::error(AE_NO_CURRENT_RECORD, "There is no current record.");
        RecordFieldSource row(c.table.get(), c.recno);
        std::string error;
        auto compiled = expr::Expression::compile(expression, row, &error);
        if (!compiled) return Status::error(AE_INVALID_ARGUMENT, "Invalid expression: " + error);
        *result = compiled->matches(row, c.exact);
        return Status::success();
    });
}

Status Session::writeRecord(Handle h, const WriteRequest& request, Position* out) {
    return withCursor(*impl_, h, [&](Cursor& cursor) {
        Cursor* c = &cursor;
        WriterLock write(c->table->mutex());
        if (c->info.handleType != ADS_TABLE)
            return Status::error(AE_STATIC_VIEW,
                                 "The cursor is a static result and cannot be updated.");
        if (c->readOnly)
            return Status::error(AE_PERMISSION_DENIED, "The table is opened read-only.");
        uint32_t recno =
            request.append ? 0 : (request.recordNumber ? request.recordNumber : c->recno);
        if (!request.append) {
            if (recno == 0 || (request.recordNumber == 0 && (c->bof || c->eof)))
                return Status::error(AE_NO_CURRENT_RECORD, "There is no current record.");
            if (!c->table->isLive(recno))
                return Status::error(AE_INVALID_RECORD_NUMBER,
                                     "There is no record " + std::to_string(recno) + ".");
            if (impl_->server->locks.lockedByOther(c->lockFile, recno, impl_->connection))
                return Status::error(AE_RECORD_LOCKED, "The record " + std::to_string(recno) +
                                                           " is locked by another connection.");
        }
        std::string image = request.append ? c->table->blankImage() : c->table->record(recno).image;
        auto* p = reinterpret_cast<uint8_t*>(image.data());
        BlobWrites blobs;
        uint8_t needed = request.append ? ADS_COLUMN_INSERT : ADS_COLUMN_UPDATE;
        for (const ColumnWrite& w : request.columns) {
            if (w.column >= c->table->columns().size())
                return Status::error(AE_INVALID_ARGUMENT,
                                     "No column " + std::to_string(w.column + 1) + ".");
            const ColumnDef& col = c->table->columns()[w.column];
            if (!(col.permissions & needed) || col.type == ColumnType::AutoInc)
                return Status::error(AE_PERMISSION_DENIED,
                                     std::string(request.append ? "Insert" : "Update") +
                                         " permission not granted on column \"" + col.name + "\".");
            if (record::isBlobType(col.type)) {
                blobs[w.column] = w.kind == ColumnWrite::Kind::Bytes && !w.bytes.empty()
                                      ? std::optional<std::string>(w.bytes)
                                      : std::nullopt;
                continue;
            }
            if (w.kind != ColumnWrite::Kind::Bytes) {
                record::writeNull(col, p);
                continue;
            }
            Status s = record::writeColumnBytes(col, w.bytes, p);
            if (!s.ok()) return s;
        }
        // A temporary table lives in the server's memory, as kept results do.
        const int64_t growth = c->table->growthOf(recno, image.size(), blobs);
        if (!c->temporary.empty()) {
            Status room = impl_->roomForTemporary(growth);
            if (!room.ok()) return room;
        }
        uint32_t written = 0;
        Status s = c->table->write(recno, std::move(image), blobs, &written);
        if (!s.ok()) return s;
        if (!c->temporary.empty()) impl_->countTemporary(c->temporary, growth);
        c->recno = written;
        c->bof = c->eof = false;
        describePosition(*c, out);
        return s;
    });
}

Status Session::lockRecord(Handle h, uint32_t recno) {
    return asReader(*impl_, h, [&](Cursor& c, const Index*) REQUIRES_SHARED(c.table->mutex()) {
        if (c.lockFile.empty())
            return Status::error(AE_STATIC_VIEW, "A static result has no record locks.");
        if (recno == 0) {
            if (c.bof || c.eof)
                return Status::error(AE_NO_CURRENT_RECORD, "There is no current record.");
            recno = c.recno;
        }
        if (!c.table->isLive(recno))
            return Status::error(AE_INVALID_RECORD_NUMBER,
                                 "There is no record " + std::to_string(recno) + ".");
        return impl_->server->locks.lock(c.lockFile, recno, impl_->connection);
    });
}

Status Session::unlockRecord(Handle h, uint32_t recno) {
    return withCursor(*impl_, h, [&](Cursor& c) {
        impl_->server->locks.unlock(c.lockFile, recno ? recno : c.recno, impl_->connection);
        return Status::success();
    });
}
Status Session::setDefaultIndex(std::string_view table, std::string_view index) {
    MutexLock lock(impl_->server->mu);
    if (!impl_->dictionaryConnection)
        return Status::error(AE_TABLE_NOT_IN_DICTIONARY, "The connection has no data dictionary.");
    if (!impl_->administrator)
        return Status::error(AE_PERMISSION_DENIED,
                             "Only an administrator may change the data dictionary.");
    Status s = impl_->refreshDictionary();
    if (!s.ok()) return s;
    DictionaryTable* t = impl_->dictionary->findTable(table);
    if (!t)
        return Status::error(AE_TABLE_NOT_IN_DICTIONARY,
                             "The table is not in the data dictionary.");
    bool exists =
        index.empty() || std::any_of(t->indexes.begin(), t->indexes.end(), [&](const IndexDef& d) {
            return record::equalsNoCase(d.name, index);
        });
    if (!exists)
        return Status::error(AE_INVALID_ARGUMENT,
                             "The table has no index " + std::string(index) + ".");
    std::string previous = t->defaultIndex;
    t->defaultIndex = std::string(index);
    s = impl_->dictionary->save();
    if (!s.ok()) t->defaultIndex = previous;
    impl_->server->dictionaryStamps[impl_->dataSource] = fileStamp(impl_->dataSource);
    return s;
}

Status createDictionary(const std::string& path, const std::string& adminPassword) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        return Status::error(AE_INVALID_ARGUMENT, "The data dictionary exists already: " + path);
    Dictionary d = Dictionary::empty(path);
    Status s = d.addUser("adssys", adminPassword, true);
    return s.ok() ? d.save() : s;
}

Status addDictionaryUser(const std::string& dictionaryPath, const std::string& user,
                         const std::string& password, bool administrator) {
    Dictionary d;
    Status s = Dictionary::load(dictionaryPath, &d);
    if (s.ok()) s = d.addUser(user, password, administrator);
    return s.ok() ? d.save() : s;
}

}  // namespace engine
