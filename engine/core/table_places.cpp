// table_places.cpp: where a session's table names lead. A connection reaches the table
// files of its own folder, no other, and of those only the ones that belong to its own
// dictionary or to no dictionary at all. Names are resolved against the folder held open,
// so that swapping the folder's path for another folder leads nowhere new.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/core/session_impl.h"
#include "engine/include/engine_api.h"
#include "engine/record/record_text.h"

namespace engine {
namespace {

bool hasExtension(std::string_view s, std::string_view extension) {
    return s.size() >= extension.size() &&
           record::equalsNoCase(s.substr(s.size() - extension.size()), extension);
}

std::string lexicallyClean(const std::string& absolute) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= absolute.size()) {
        size_t slash = absolute.find('/', i);
        std::string part =
            absolute.substr(i, slash == std::string::npos ? std::string::npos : slash - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (slash == std::string::npos) break;
        i = slash + 1;
    }
    std::string out;
    for (const std::string& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}

std::string realPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return {};
    std::string out(real);
    ::free(real);
    return out;
}

// The folder part of a canonical path ("/" for a file at the root).
std::string_view folderOf(std::string_view path) {
    size_t slash = path.find_last_of('/');
    return slash == 0 || slash == std::string_view::npos ? std::string_view("/")
                                                         : path.substr(0, slash);
}

Status outside(const std::string& named, const std::string& why) {
    return Status::error(AE_TABLE_OUTSIDE_SOURCE, "The table " + named + " " + why);
}

}  // namespace

std::string canonicalPath(const std::string& path) {
    std::string abs = path;
    if (abs.empty() || abs[0] != '/') {
        char cwd[4096];
        abs = std::string(::getcwd(cwd, sizeof cwd) ? cwd : ".") + "/" + abs;
    }
    if (std::string real = realPath(abs); !real.empty()) return real;
    // A file that does not exist (yet): its folder's real path, when that exists.
    std::string clean = lexicallyClean(abs);
    size_t slash = clean.find_last_of('/');
    if (slash != 0 && slash != std::string::npos) {
        if (std::string folder = realPath(clean.substr(0, slash)); !folder.empty())
            return (folder == "/" ? "" : folder) + clean.substr(slash);
    }
    return clean;
}

Status ServerState::claimantOf(int folderFd, const std::string& folder, std::string_view file,
                               const std::string& except, std::string* claimant) {
    claimant->clear();
    FileDescriptor listing(::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* dir = listing.valid() ? ::fdopendir(listing.get()) : nullptr;
    Status s;
    // A folder not listed might hold a dictionary that claims the file: refused, not let by.
    if (!dir && outOfDescriptors("to list the folder " + folder, &s)) return s;
    if (!dir)
        return Status::error(AE_INTERNAL_ERROR,
                             "The folder " + folder + " cannot be listed: " + std::strerror(errno));
    listing.release();  // the listing owns it now
    while (dirent* e = ::readdir(dir)) {
        if (!hasExtension(e->d_name, ".add")) continue;
        const std::string path = folder + "/" + e->d_name;
        struct stat st;
        // A dictionary's tables live beside its own file: a link to one elsewhere claims
        // nothing here.
        if (path == except || ::fstatat(folderFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode))
            continue;
        std::shared_ptr<Dictionary> d;
        s = acquireDictionary(FolderFile{folderFd, e->d_name, path}, &d);
        if (!s.ok() || d->tableAtFile(file)) {
            if (s.ok()) *claimant = path;
            break;
        }
    }
    ::closedir(dir);
    return s;
}

Status Session::Impl::placeTable(std::string_view rawName, TablePlace* out) {
    std::string name = record::trimBlanks(rawName);
    Status s = refreshDictionary();
    if (!s.ok()) return s;
    if (dictionaryConnection && name.find_first_of("/\\") == std::string::npos &&
        !hasExtension(name, ".adt")) {
        const DictionaryTable* t = dictionary->findTable(name);
        if (!t)
            return Status::error(AE_TABLE_NOT_IN_DICTIONARY,
                                 "The table is not in the data dictionary: " + name);
        return placeFile(folder + "/" + t->file, out);
    }
    std::replace(name.begin(), name.end(), '\\', '/');
    if (!hasExtension(name, ".adt")) name += ".adt";
    return placeFile(name, out);
}

Status Session::Impl::placeFile(const std::string& named, TablePlace* out) {
    out->named = named.empty() || named[0] != '/' ? folder + "/" + named : named;
    const size_t slash = named.find_last_of('/');
    out->file = slash == std::string::npos ? named : named.substr(slash + 1);
    out->path = folder + "/" + out->file;
    if (out->file.empty() || out->file == "." || out->file == "..")
        return outside(out->named, "lies outside the connection's folder.");
    // A name with a folder part is the connection's only when that part is its very folder;
    // the file itself is then reached through the folder held open, never by this path.
    if (slash != std::string::npos) {
        const std::string part = slash == 0 ? "/" : named.substr(0, slash);
        FileDescriptor dir(::openat(folderFd.get(), part.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat st;
        Status busy;
        if (!dir.valid() && outOfDescriptors("to open the folder " + part, &busy)) return busy;
        if (!dir.valid() || ::fstat(dir.get(), &st) != 0 || fileIdOf(st) != folderId)
            return outside(out->named, "lies outside the connection's folder.");
    }
    struct stat st;
    if (::fstatat(folderFd.get(), out->file.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(st.st_mode))
        return outside(out->named, "is a link, and links are never followed.");
    return checkPlace(out);
}

FolderFile Session::Impl::dictionaryFile() const {
    return {folderFd.get(), dataSource.substr(dataSource.find_last_of('/') + 1), dataSource};
}

Status Session::Impl::checkPlace(TablePlace* out) {
    const std::string& named = out->named;
    out->table.clear();
    if (folderOf(out->path) != folder)
        return outside(named, "lies outside the connection's folder.");
    const std::string_view file =
        std::string_view(out->path).substr(out->path.find_last_of('/') + 1);
    if (dictionaryConnection) {
        if (const DictionaryTable* t = dictionary->tableAtFile(file)) {
            out->table = t->name;
            return Status::success();
        }
    }
    std::string claimant;
    Status s = server->claimantOf(folderFd.get(), folder, file,
                                  dictionaryConnection ? dataSource : std::string(), &claimant);
    if (!s.ok()) return s;
    if (!claimant.empty())
        return outside(named, "belongs to the data dictionary " + claimant + ".");
    return Status::success();
}

}  // namespace engine
