// dictionary.cpp: reading and writing dictionary files.
#include "engine/core/dictionary.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

#include "engine/core/file_io.h"
#include "engine/include/engine_api.h"
#include "engine/record/record_text.h"

namespace engine {
namespace {

constexpr const char* kMagic = "BRVADD01";

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> out;
    size_t start = 0;
    while (true) {
        size_t tab = line.find('\t', start);
        out.push_back(
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return out;
        start = tab + 1;
    }
}

}  // namespace

bool isValidObjectName(std::string_view s) {
    if (s.empty() || s.size() > 200) return false;
    for (unsigned char c : s)
        if (c < 32 || c == ';' || c == '/' || c == '\\' || c == '"') return false;
    return s != "." && s != "..";
}

namespace {

bool validName(std::string_view s) {
    return isValidObjectName(s);
}

}  // namespace

Dictionary Dictionary::empty(std::string path) {
    Dictionary d;
    d.path_ = std::move(path);
    return d;
}

std::string Dictionary::folder() const {
    size_t slash = path_.find_last_of('/');
    return slash == std::string::npos ? "." : path_.substr(0, slash == 0 ? 1 : slash);
}

Status Dictionary::load(const std::string& path, Dictionary* out) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    Status busy;
    if (!fd.valid() && outOfDescriptors("to read the data dictionary " + path, &busy)) return busy;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0)
        return Status::error(AE_FILE_NOT_FOUND, "The data dictionary does not exist: " + path);
    std::string text;
    char chunk[16384];
    for (ssize_t n; (n = ::read(fd.get(), chunk, sizeof chunk)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            return Status::error(AE_INTERNAL_ERROR, "The data dictionary cannot be read: " + path);
        text.append(chunk, static_cast<size_t>(n));
    }
    std::istringstream in(text);
    Dictionary d;
    d.path_ = path;
    d.id_ = fileIdOf(st);
    std::string line;
    auto damaged = [&] {
        return Status::error(AE_INTERNAL_ERROR, "The data dictionary is damaged: " + path);
    };
    if (!std::getline(in, line) || line != kMagic) return damaged();
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        std::vector<std::string> f = splitTabs(line);
        if (f[0] == "user" && f.size() == 4) {
            d.users_.push_back({f[1], f[2] == "1", {f[3], {}}});
        } else if (f[0] == "user" && f.size() == 5) {
            d.users_.push_back({f[1], f[2] == "1", {f[4], f[3]}});
        } else if (f[0] == "table" && f.size() == 3) {
            d.tables_.push_back({f[1], f[2], {}, {}});
        } else if (f[0] == "index" && f.size() == 6) {
            DictionaryTable* t = d.findTable(f[1]);
            if (!t) return damaged();
            IndexDef def;
            def.name = f[2];
            def.flags = static_cast<uint32_t>(std::strtoul(f[3].c_str(), nullptr, 10));
            std::stringstream cols(f[4]);
            for (std::string c; std::getline(cols, c, ';');) def.columns.push_back(c);
            def.condition = f[5];
            t->indexes.push_back(std::move(def));
        } else if (f[0] == "default" && f.size() == 3) {
            DictionaryTable* t = d.findTable(f[1]);
            if (!t) return damaged();
            t->defaultIndex = f[2];
        } else {
            return damaged();
        }
    }
    d.indexFiles();
    *out = std::move(d);
    return Status::success();
}

Status Dictionary::save() {
    std::string text = std::string(kMagic) + "\n";
    for (const DictionaryUser& u : users_)
        text += "user\t" + u.name + "\t" + (u.administrator ? "1" : "0") + "\t" +
                (u.password.salt.empty() ? "" : u.password.salt + "\t") + u.password.hash + "\n";
    for (const DictionaryTable& t : tables_) text += "table\t" + t.name + "\t" + t.file + "\n";
    for (const DictionaryTable& t : tables_) {
        for (const IndexDef& i : t.indexes) {
            std::string cols;
            for (const std::string& c : i.columns) cols += (cols.empty() ? "" : ";") + c;
            text += "index\t" + t.name + "\t" + i.name + "\t" + std::to_string(i.flags) + "\t" +
                    cols + "\t" + i.condition + "\n";
        }
        if (!t.defaultIndex.empty()) text += "default\t" + t.name + "\t" + t.defaultIndex + "\n";
    }
    Status s = replaceFile(path_, text, 0600, &id_);
    if (!s.ok()) return Status::error(s.code, "Cannot write the data dictionary: " + s.text);
    return s;
}

const DictionaryUser* Dictionary::findUser(std::string_view user) const {
    for (const DictionaryUser& u : users_)
        if (record::equalsNoCase(u.name, user)) return &u;
    return nullptr;
}

bool Dictionary::replacePassword(std::string_view user, const PasswordHash& before,
                                 const PasswordHash& now) {
    for (DictionaryUser& u : users_) {
        if (!record::equalsNoCase(u.name, user)) continue;
        if (u.password.hash != before.hash || u.password.salt != before.salt) return false;
        u.password = now;
        return true;
    }
    return false;
}

Status Dictionary::addUser(std::string_view user, std::string_view password, bool administrator) {
    if (!validName(user) || password.find_first_of("\r\n") != std::string_view::npos)
        return Status::error(AE_INVALID_ARGUMENT, "Invalid user name or password.");
    for (const DictionaryUser& u : users_)
        if (record::equalsNoCase(u.name, user))
            return Status::error(AE_INVALID_ARGUMENT,
                                 "The user exists already: " + std::string(user));
    PasswordHash hash = hashPassword(password);
    if (hash.hash.empty())
        return Status::error(AE_INTERNAL_ERROR, "The password could not be hashed.");
    users_.push_back({std::string(user), administrator, std::move(hash)});
    return Status::success();
}

DictionaryTable* Dictionary::findTable(std::string_view name) {
    for (DictionaryTable& t : tables_)
        if (record::equalsNoCase(t.name, name)) return &t;
    return nullptr;
}

const DictionaryTable* Dictionary::findTable(std::string_view name) const {
    return const_cast<Dictionary*>(this)->findTable(name);
}

Status Dictionary::addTable(std::string_view name, std::string_view file) {
    if (!validName(name) || !validName(file))
        return Status::error(AE_INVALID_ARGUMENT, "Invalid table name: " + std::string(name));
    if (findTable(name))
        return Status::error(AE_INVALID_ARGUMENT, "The table exists already: " + std::string(name));
    tables_.push_back({std::string(name), std::string(file), {}, {}});
    indexFiles();
    return Status::success();
}

void Dictionary::removeTable(std::string_view name) {
    for (size_t i = 0; i < tables_.size(); ++i)
        if (record::equalsNoCase(tables_[i].name, name)) {
            tables_.erase(tables_.begin() + static_cast<long>(i));
            indexFiles();
            return;
        }
}

void Dictionary::restoreTable(DictionaryTable table) {
    tables_.push_back(std::move(table));
    indexFiles();
}

const DictionaryTable* Dictionary::tableAtFile(std::string_view file) const {
    auto it = byFile_.find(record::upperAscii(file));
    return it == byFile_.end() ? nullptr : &tables_[it->second];
}

void Dictionary::indexFiles() {
    byFile_.clear();
    for (size_t i = 0; i < tables_.size(); ++i)
        byFile_.emplace(record::upperAscii(tables_[i].file), i);
}

}  // namespace engine
