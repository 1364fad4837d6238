// table_file.cpp: reading and writing the .adt and .adm files with single positioned writes.
#include "engine/core/table_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>

#include "engine/include/engine_api.h"
#include "engine/record/record.h"

namespace engine {
namespace {

std::atomic<int64_t> gWriteBudget{-1};
constexpr uint32_t kMaxRecordLength = 1u << 24;

Status ioError(const std::string& what, const std::string& path) {
    return Status::error(AE_INTERNAL_ERROR,
                         what + " failed on " + path + ": " + std::strerror(errno));
}

// One positioned write, all or nothing as far as the caller is told.
bool writeAt(int fd, const void* data, size_t n, uint64_t at) {
    int64_t budget = gWriteBudget.load();
    if (budget == 0) {
        errno = EIO;
        return false;
    }
    if (budget > 0) gWriteBudget.fetch_sub(1);
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = ::pwrite(fd, p, n, static_cast<off_t>(at));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= static_cast<size_t>(w);
        at += static_cast<uint64_t>(w);
    }
    return true;
}

bool readAt(int fd, void* data, size_t n, uint64_t at) {
    char* p = static_cast<char*>(data);
    while (n > 0) {
        ssize_t r = ::pread(fd, p, n, static_cast<off_t>(at));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        n -= static_cast<size_t>(r);
        at += static_cast<uint64_t>(r);
    }
    return true;
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

bool decodeHeader(const std::string& h, std::vector<ColumnDef>* columns, uint32_t* recordLength) {
    auto* p = reinterpret_cast<const uint8_t*>(h.data());
    if (h.size() < kTableFixedHeader || std::memcmp(p, kTableMagic, 8) != 0) return false;
    *recordLength = record::getU32(p + 12);
    if (*recordLength == 0 || *recordLength > kMaxRecordLength || record::getU32(p + 16) != *recordLength + 1)
        return false;
    uint16_t n = record::getU16(p + 20);
    size_t at = kTableFixedHeader;
    for (uint16_t i = 0; i < n; ++i) {
        if (at >= h.size()) return false;
        size_t len = p[at];
        if (at + 1 + len + 14 > h.size()) return false;
        ColumnDef c;
        c.name.assign(h, at + 1, len);
        const uint8_t* q = p + at + 1 + len;
        c.type = static_cast<ColumnType>(record::getU16(q));
        c.length = record::getU32(q + 2);
        c.decimals = record::getU16(q + 6);
        c.offset = record::getU32(q + 8);
        c.nullable = q[12] != 0;
        c.permissions = q[13];
        if (!record::isStorableType(c.type) || c.offset + record::storageSize(c) > *recordLength)
            return false;
        columns->push_back(std::move(c));
        at += 1 + len + 14;
    }
    return at == h.size() && !columns->empty();
}

// Writes a whole new file under a temporary name and renames it into place.
Status writeNewFile(const std::string& path, const std::string& content) {
    std::string tmp = path + ".tmp";
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return ioError("create", tmp);
    bool ok = writeAt(fd, content.data(), content.size(), 0) && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
        Status s = ioError("write", tmp);
        ::unlink(tmp.c_str());
        return s;
    }
    return Status::success();
}

}  // namespace

void failWritesAfter(int64_t n) { gWriteBudget.store(n); }

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

Status TableFile::create(const std::string& path, const std::vector<ColumnDef>& columns,
                         uint32_t recordLength) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        return Status::error(AE_INVALID_ARGUMENT, "The table file already exists: " + path);
    Status s = writeNewFile(memoPathFor(path), std::string(kMemoMagic, 8));
    if (s.ok()) s = writeNewFile(path, encodeHeader(columns, recordLength));
    return s;
}

Status TableFile::open(const std::string& path, bool syncWrites, std::unique_ptr<TableFile>* out) {
    std::unique_ptr<TableFile> f(new TableFile());
    f->sync_ = syncWrites;
    f->fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (f->fd_ < 0 && errno == ENOENT)
        return Status::error(AE_FILE_NOT_FOUND, "The table file does not exist: " + path);
    if (f->fd_ < 0) return ioError("Opening the table", path);
    struct stat st;
    char fixed[kTableFixedHeader];
    if (::fstat(f->fd_, &st) != 0 || !readAt(f->fd_, fixed, sizeof fixed, 0))
        return Status::error(AE_INTERNAL_ERROR, "The table file is damaged: " + path);
    uint32_t headerLength = record::getU32(reinterpret_cast<uint8_t*>(fixed) + 8);
    if (headerLength < kTableFixedHeader || headerLength > 1u << 24 ||
        static_cast<uint64_t>(st.st_size) < headerLength)
        return Status::error(AE_INTERNAL_ERROR, "The table file is damaged: " + path);
    std::string header(headerLength, '\0');
    if (!readAt(f->fd_, header.data(), headerLength, 0) ||
        !decodeHeader(header, &f->columns_, &f->recordLength_))
        return Status::error(AE_INTERNAL_ERROR, "The table file is damaged: " + path);
    f->headerLength_ = headerLength;
    f->count_ = static_cast<uint32_t>((st.st_size - headerLength) / (f->recordLength_ + 1));
    std::string memo = memoPathFor(path);
    f->memoFd_ = ::open(memo.c_str(), O_RDWR | O_CLOEXEC);
    struct stat ms;
    if (f->memoFd_ < 0 || ::fstat(f->memoFd_, &ms) != 0 || ms.st_size < 8)
        return Status::error(AE_INTERNAL_ERROR, "The memo file is missing or damaged: " + memo);
    f->memoEnd_ = static_cast<uint64_t>(ms.st_size);
    *out = std::move(f);
    return Status::success();
}

Status TableFile::readSlot(uint32_t recno, char* flag, std::string* image) const {
    if (recno == 0 || recno > count_) return Status::error(AE_INVALID_RECORD_NUMBER, "No such record.");
    std::string slot(recordLength_ + 1, '\0');
    uint64_t at = headerLength_ + static_cast<uint64_t>(recno - 1) * (recordLength_ + 1);
    if (!readAt(fd_, slot.data(), slot.size(), at))
        return Status::error(AE_INTERNAL_ERROR, "Reading record " + std::to_string(recno) + " failed.");
    *flag = slot[0];
    image->assign(slot, 1, std::string::npos);
    return Status::success();
}

Status TableFile::writeSlot(uint32_t recno, char flag, const std::string& image) {
    if (recno == 0 || recno > count_ + 1 || image.size() != recordLength_)
        return Status::error(AE_INVALID_RECORD_NUMBER, "No such record.");
    std::string slot;
    slot.reserve(recordLength_ + 1);
    slot.push_back(flag);
    slot += image;
    uint64_t at = headerLength_ + static_cast<uint64_t>(recno - 1) * (recordLength_ + 1);
    if (!writeAt(fd_, slot.data(), slot.size(), at) || (sync_ && ::fdatasync(fd_) != 0))
        return ioError("Writing a record", "the table file");
    if (recno > count_) count_ = recno;
    return Status::success();
}

Status TableFile::appendBlob(const std::string& bytes, uint32_t* offset) {
    if (memoEnd_ + 4 + bytes.size() > 0xFFFFFFFFull)
        return Status::error(AE_INTERNAL_ERROR, "The memo file is full.");
    std::string cell(4 + bytes.size(), '\0');
    record::putU32(reinterpret_cast<uint8_t*>(cell.data()), static_cast<uint32_t>(bytes.size()));
    std::memcpy(cell.data() + 4, bytes.data(), bytes.size());
    if (!writeAt(memoFd_, cell.data(), cell.size(), memoEnd_) || (sync_ && ::fdatasync(memoFd_) != 0))
        return ioError("Writing memo content", "the memo file");
    *offset = static_cast<uint32_t>(memoEnd_);
    memoEnd_ += cell.size();
    return Status::success();
}

Status TableFile::readBlob(uint32_t offset, std::string* bytes) const {
    uint8_t len[4];
    if (offset < 8 || offset + 4ull > memoEnd_ || !readAt(memoFd_, len, 4, offset))
        return Status::error(AE_INTERNAL_ERROR, "The memo file is damaged.");
    uint32_t n = record::getU32(len);
    if (offset + 4ull + n > memoEnd_) return Status::error(AE_INTERNAL_ERROR, "The memo file is damaged.");
    bytes->assign(n, '\0');
    if (n && !readAt(memoFd_, bytes->data(), n, offset + 4ull))
        return Status::error(AE_INTERNAL_ERROR, "The memo file is damaged.");
    return Status::success();
}

}  // namespace engine
