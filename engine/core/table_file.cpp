// table_file.cpp: reading and writing the .adt and .adm files with single positioned writes.
#include "engine/core/table_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "engine/include/engine_api.h"
#include "engine/record/record.h"

namespace engine {
namespace {

constexpr mode_t kTableFileMode = 0644;

Status damaged(const std::string& what, const std::string& path) {
    return Status::error(AE_INTERNAL_ERROR, "The " + what + " is damaged: " + path);
}

std::string encodeHeader(const std::vector<ColumnDef>& columns, uint32_t recordLength) {
    std::string h(kTableFixedHeader, '\0');
    for (const ColumnDef& c : columns) {
        std::string e(1 + c.name.size() + 14, '\0');
        auto* p = reinterpret_cast<uint8_t*>(e.data());
        p[0] = static_cast<uint8_t>(c.name.size());
        std::memcpy(p + 1, c.name.data(), c.name.size());
        p += 1 + c.name.size();
        record::putU16(p, static_cast<uint16_t>(c.type));
        record::putU32(p + 2, c.length);
        record::putU16(p + 6, c.decimals);
        record::putU32(p + 8, c.offset);
        p[12] = c.nullable ? 1 : 0;
        p[13] = c.permissions;
        h += e;
    }
    auto* p = reinterpret_cast<uint8_t*>(h.data());
    std::memcpy(p, kTableMagic, 8);
    record::putU32(p + 8, static_cast<uint32_t>(h.size()));
    record::putU32(p + 12, recordLength);
    record::putU32(p + 16, recordLength + 1);
    record::putU16(p + 20, static_cast<uint16_t>(columns.size()));
    return h;
}

// Reads a header as encodeHeader writes it. Its columns must pass the checks of CREATE
// TABLE and lie exactly where layoutColumns puts them, so that no value a crafted file
// holds can place a column, or its end, outside the record.
bool decodeHeader(const std::string& h, std::vector<ColumnDef>* columns, uint32_t* recordLength) {
    auto* p = reinterpret_cast<const uint8_t*>(h.data());
    if (h.size() < kTableFixedHeader || std::memcmp(p, kTableMagic, 8) != 0) return false;
    *recordLength = record::getU32(p + 12);
    if (record::getU32(p + 16) != static_cast<uint64_t>(*recordLength) + 1) return false;
    uint16_t n = record::getU16(p + 20);
    size_t at = kTableFixedHeader;
    for (uint16_t i = 0; i < n; ++i) {
        if (at >= h.size()) return false;
        size_t len = p[at];
        if (h.size() - at < 1 + len + 14) return false;
        ColumnDef c;
        c.name.assign(h, at + 1, len);
        const uint8_t* q = p + at + 1 + len;
        c.type = static_cast<ColumnType>(record::getU16(q));
        c.length = record::getU32(q + 2);
        c.decimals = record::getU16(q + 6);
        c.offset = record::getU32(q + 8);
        c.nullable = q[12] != 0;
        c.permissions = q[13];
        columns->push_back(std::move(c));
        at += 1 + len + 14;
    }
    if (at != h.size() || !record::validateColumns(*columns).ok()) return false;
    std::vector<ColumnDef> laidOut = *columns;
    if (record::layoutColumns(laidOut) != *recordLength) return false;
    for (size_t i = 0; i < laidOut.size(); ++i)
        if (laidOut[i].offset != (*columns)[i].offset || laidOut[i].length != (*columns)[i].length)
            return false;
    return true;
}

// Opens a file of a table for reading and writing, or for reading only when the storage
// refuses writing; never through a link.
int openTableFile(int folder, const std::string& name, bool* readOnly) {
    int fd = ::openat(folder, name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
        fd = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) *readOnly = true;
    }
    return fd;
}

}  // namespace

std::string memoPathFor(const std::string& tablePath) {
    std::string p = tablePath;
    size_t dot = p.find_last_of('.');
    size_t slash = p.find_last_of('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) p.resize(dot);
    return p + ".adm";
}

TableFile::~TableFile() {
    if (fd_ >= 0) ::close(fd_);
    if (memoFd_ >= 0) ::close(memoFd_);
}

Status TableFile::checkName(const struct stat& st, bool listedName, const std::string& path) {
    if (!S_ISREG(st.st_mode)) return damaged("table file", path);
    if (st.st_nlink > 1 && !listedName)
        return Status::error(AE_TABLE_OUTSIDE_SOURCE,
                             "The table " + path +
                                 " has other names (hard links): a table is reached by one name.");
    return Status::success();
}

Status TableFile::create(const FolderFile& file, const std::vector<ColumnDef>& columns,
                         uint32_t recordLength) {
    struct stat st;
    if (::fstatat(file.folder, file.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return Status::error(AE_INVALID_ARGUMENT, "The table file already exists: " + file.path);
    Status s = replaceFile(FolderFile{file.folder, memoPathFor(file.name), memoPathFor(file.path)},
                           std::string_view(kMemoMagic, 8), kTableFileMode);
    if (s.ok()) s = replaceFile(file, encodeHeader(columns, recordLength), kTableFileMode);
    return s;
}

Status TableFile::open(const FolderFile& file, bool syncWrites, std::unique_ptr<TableFile>* out) {
    const std::string& path = file.path;
    std::unique_ptr<TableFile> f(new TableFile());
    f->sync_ = syncWrites;
    f->path_ = path;
    f->fd_ = openTableFile(file.folder, file.name, &f->readOnly_);
    if (f->fd_ < 0 && errno == ENOENT)
        return Status::error(AE_FILE_NOT_FOUND, "The table file does not exist: " + path);
    if (f->fd_ < 0)
        return Status::error(AE_INTERNAL_ERROR, "The table file cannot be read: " + path + ": " +
                                                    std::strerror(errno));
    struct stat st;
    if (::fstat(f->fd_, &st) != 0 || !S_ISREG(st.st_mode)) return damaged("table file", path);
    f->id_ = fileIdOf(st);
    char fixed[kTableFixedHeader];
    if (!readAt(f->fd_, fixed, sizeof fixed, 0)) return damaged("table file", path);
    uint32_t headerLength = record::getU32(reinterpret_cast<uint8_t*>(fixed) + 8);
    if (headerLength < kTableFixedHeader || headerLength > record::kMaxRecordLength ||
        static_cast<uint64_t>(st.st_size) < headerLength)
        return damaged("table file", path);
    std::string header(headerLength, '\0');
    if (!readAt(f->fd_, header.data(), headerLength, 0) ||
        !decodeHeader(header, &f->columns_, &f->recordLength_))
        return damaged("table file", path);
    f->headerLength_ = headerLength;
    f->count_ = static_cast<uint32_t>((static_cast<uint64_t>(st.st_size) - headerLength) /
                                      (f->recordLength_ + 1ull));
    // A memo file that is missing or not one costs only the memo values: each reads as
    // damaged, and none can be written.
    f->memoPath_ = memoPathFor(path);
    f->memoFd_ = openTableFile(file.folder, memoPathFor(file.name), &f->readOnly_);
    struct stat ms;
    char magic[8];
    if (f->memoFd_ >= 0 && ::fstat(f->memoFd_, &ms) == 0 && S_ISREG(ms.st_mode) &&
        readAt(f->memoFd_, magic, sizeof magic, 0) && std::memcmp(magic, kMemoMagic, 8) == 0)
        f->memoEnd_ = static_cast<uint64_t>(ms.st_size);
    *out = std::move(f);
    return Status::success();
}

Status TableFile::remove(const FolderFile& file) {
    const std::string& path = file.path;
    FileDescriptor fd(
        ::openat(file.folder, file.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid() && errno == ENOENT)
        return Status::error(AE_FILE_NOT_FOUND, "The table file does not exist: " + path);
    if (!fd.valid() && errno == ELOOP)
        return Status::error(AE_INVALID_ARGUMENT,
                             "A link is not a table and is never removed: " + path);
    if (!fd.valid()) return writeFailure("Removing the table", path);
    struct stat st;
    char magic[8];
    bool table = ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) &&
                 readAt(fd.get(), magic, sizeof magic, 0) && std::memcmp(magic, kTableMagic, 8) == 0;
    if (!table) return damaged("table file (it is not one of this engine's tables)", path);
    if (::unlinkat(file.folder, file.name.c_str(), 0) != 0)
        return writeFailure("Removing the table", path);
    const std::string memo = memoPathFor(file.name);
    struct stat ms;
    if (::fstatat(file.folder, memo.c_str(), &ms, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(ms.st_mode) && ::unlinkat(file.folder, memo.c_str(), 0) != 0)
        return writeFailure("Removing the memo file of a removed table", memoPathFor(path));
    return Status::success();
}

Status TableFile::readSlot(uint32_t recno, char* flag, std::string* image) const {
    if (recno == 0 || recno > count_)
        return Status::error(AE_INVALID_RECORD_NUMBER, "No such record.");
    std::string slot(recordLength_ + 1, '\0');
    uint64_t at = headerLength_ + static_cast<uint64_t>(recno - 1) * (recordLength_ + 1);
    if (!readAt(fd_, slot.data(), slot.size(), at))
        return Status::error(AE_INTERNAL_ERROR,
                             "Reading record " + std::to_string(recno) + " failed.");
    *flag = slot[0];
    image->assign(slot, 1, std::string::npos);
    return Status::success();
}

Status TableFile::writeSlot(uint32_t recno, char flag, const std::string& image) {
    if (readOnly_) {
        errno = EROFS;
        return writeFailure("Writing a record", path_);
    }
    if (recno == 0 || recno > count_ + 1 || image.size() != recordLength_)
        return Status::error(AE_INVALID_RECORD_NUMBER, "No such record.");
    std::string slot;
    slot.reserve(recordLength_ + 1);
    slot.push_back(flag);
    slot += image;
    uint64_t at = headerLength_ + static_cast<uint64_t>(recno - 1) * (recordLength_ + 1);
    if (!writeAt(fd_, slot.data(), slot.size(), at) || (sync_ && ::fdatasync(fd_) != 0))
        return writeFailure("Writing a record", path_);
    if (recno > count_) count_ = recno;
    return Status::success();
}

Status TableFile::appendBlob(const std::string& bytes, uint32_t* offset) {
    if (readOnly_) {
        errno = EROFS;
        return writeFailure("Writing memo content", memoPath_);
    }
    if (memoEnd_ == 0) return damaged("memo file (or it is missing)", memoPath_);
    if (bytes.size() > kMaxBlobLength)
        return Status::error(
            AE_COLUMN_VALUE_INVALID,
            "A memo value is limited to " + std::to_string(kMaxBlobLength) + " bytes.");
    if (memoEnd_ + 4 + bytes.size() > 0xFFFFFFFFull)
        return Status::error(AE_INTERNAL_ERROR, "The memo file is full.");
    std::string cell(4 + bytes.size(), '\0');
    record::putU32(reinterpret_cast<uint8_t*>(cell.data()), static_cast<uint32_t>(bytes.size()));
    std::memcpy(cell.data() + 4, bytes.data(), bytes.size());
    if (!writeAt(memoFd_, cell.data(), cell.size(), memoEnd_) ||
        (sync_ && ::fdatasync(memoFd_) != 0))
        return writeFailure("Writing memo content", memoPath_);
    *offset = static_cast<uint32_t>(memoEnd_);
    memoEnd_ += cell.size();
    return Status::success();
}

Status TableFile::readBlob(uint32_t offset, std::string* bytes, uint64_t maxLength) const {
    uint8_t len[4];
    if (offset < sizeof kMemoMagic || offset + 4ull > memoEnd_ || !readAt(memoFd_, len, 4, offset))
        return damaged("memo file", memoPath_);
    uint32_t n = record::getU32(len);
    if (n > kMaxBlobLength || n > maxLength || offset + 4ull + n > memoEnd_)
        return damaged("memo file", memoPath_);
    bytes->assign(n, '\0');
    if (n && !readAt(memoFd_, bytes->data(), n, offset + 4ull))
        return damaged("memo file", memoPath_);
    return Status::success();
}

}  // namespace engine
