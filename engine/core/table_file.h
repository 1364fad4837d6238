// table_file.h: a table's files on disk — TABLE.adt (schema + fixed-length slots) and
// TABLE.adm (memo, binary and wide-memo content). Byte layouts: engine/doc/storage.md.
#ifndef BREVANTIS_ENGINE_CORE_TABLE_FILE_H
#define BREVANTIS_ENGINE_CORE_TABLE_FILE_H

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/file_io.h"
#include "engine/record/status.h"
#include "engine/record/value.h"

namespace engine {

// .adt header, written once when the table is created:
//   0   8  magic "BRVADT01"
//   8   4  header length: slots start here
//   12  4  record length (the image)
//   16  4  slot length (record length + 1)
//   20  2  column count
//   22  2  reserved (0)
//   24  .. per column: u8 name length, name, u16 type, u32 length, u16 decimals,
//          u32 offset, u8 nullable, u8 permissions
// Slot n (record n, from 1) at header length + (n - 1) * slot length: one flag byte
// (' ' live, '*' deleted), then the record image whose blob cells hold the offset of the
// content in the .adm file (0: empty). The file size gives the record count; a trailing
// part-slot is ignored and overwritten by the next append. A header is read only when its
// columns pass the checks CREATE TABLE makes and lie exactly where CREATE TABLE lays them
// out; anything else is a damaged file.
inline constexpr char kTableMagic[8] = {'B', 'R', 'V', 'A', 'D', 'T', '0', '1'};
inline constexpr uint32_t kTableFixedHeader = 24;
inline constexpr char kSlotLive = ' ';
inline constexpr char kSlotDeleted = '*';
// .adm: magic "BRVADM01", then blobs appended as u32 length + bytes; never rewritten.
inline constexpr char kMemoMagic[8] = {'B', 'R', 'V', 'A', 'D', 'M', '0', '1'};
// The longest memo value: one longer than the largest protocol frame could never have been
// written or be read by a client.
inline constexpr uint32_t kMaxBlobLength = 64u << 20;

class TableFile {
  public:
    ~TableFile();
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    // Creates both files (AE_INVALID_ARGUMENT when anything, a link included, already has the
    // .adt's name). Columns must be laid out.
    static Status create(const FolderFile& file, const std::vector<ColumnDef>& columns,
                         uint32_t recordLength);
    // Opens both files and reads the schema: AE_FILE_NOT_FOUND, or AE_INTERNAL_ERROR with a
    // text saying "damaged". Links are not followed. When the files cannot be written they
    // are opened for reading and readOnly() tells so. A missing or damaged memo file does not refuse
    // the table: its memo values read as damaged.
    static Status open(const FolderFile& file, bool syncWrites, std::unique_ptr<TableFile>* out);
    // Removes the table's files: the .adt only when it is a regular file that starts as this
    // engine's tables do (never a link, never another file), then its .adm when that is a
    // regular file. AE_READ_ONLY_STORAGE when the folder refuses; nothing is removed then.
    static Status remove(const FolderFile& file);
    // Refuses a table file that is not a regular file (AE_INTERNAL_ERROR), or that has other
    // names (hard links) unless `listedName` (AE_TABLE_OUTSIDE_SOURCE): whatever guards a
    // table's one name must guard the table, so another name of a dictionary's table would
    // reach it past its dictionary.
    static Status checkName(const struct stat& st, bool listedName, const std::string& path);

    FileId fileId() const { return id_; }
    bool readOnly() const { return readOnly_; }

    const std::vector<ColumnDef>& columns() const { return columns_; }
    uint32_t recordLength() const { return recordLength_; }
    uint32_t recordCount() const { return count_; }

    // Reads slot `recno` (1..recordCount): its flag and file-form image.
    Status readSlot(uint32_t recno, char* flag, std::string* image) const;
    // Writes slot `recno` in one write; recno == recordCount() + 1 appends.
    // AE_READ_ONLY_STORAGE when the files cannot be written.
    Status writeSlot(uint32_t recno, char flag, const std::string& image);
    // Appends blob content (at most kMaxBlobLength bytes) to the .adm file; *offset receives
    // its cell value (never 0).
    Status appendBlob(const std::string& bytes, uint32_t* offset);
    // The content whose cell is `offset`; AE_INTERNAL_ERROR ("damaged") when the cell or
    // the length it leads to does not lie inside the memo file, or is longer than
    // `maxLength` (which kMaxBlobLength bounds): nothing is read then.
    Status readBlob(uint32_t offset, std::string* bytes, uint64_t maxLength = kMaxBlobLength) const;
    // Bytes in the memo file: no table's values add up to more.
    uint64_t memoSize() const { return memoEnd_; }

  private:
    TableFile() = default;
    std::vector<ColumnDef> columns_;
    uint32_t recordLength_ = 0;
    uint32_t headerLength_ = 0;
    uint32_t count_ = 0;
    FileId id_;
    std::string path_;
    std::string memoPath_;
    uint64_t memoEnd_ = 0;  // 0: the memo file is missing or is not one
    int fd_ = -1;
    int memoFd_ = -1;
    bool sync_ = false;
    bool readOnly_ = false;
};

// The .adm file beside a .adt path (or name).
std::string memoPathFor(const std::string& tablePath);

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_TABLE_FILE_H
