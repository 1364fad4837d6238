// table_file.h: a table's files on disk — TABLE.adt (schema + fixed-length slots) and
// TABLE.adm (memo, binary and wide-memo content). Byte layouts: engine/doc/storage.md.
#ifndef BREVANTIS_ENGINE_CORE_TABLE_FILE_H
#define BREVANTIS_ENGINE_CORE_TABLE_FILE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
// part-slot is ignored and overwritten by the next append.
inline constexpr char kTableMagic[8] = {'B', 'R', 'V', 'A', 'D', 'T', '0', '1'};
inline constexpr uint32_t kTableFixedHeader = 24;
inline constexpr char kSlotLive = ' ';
inline constexpr char kSlotDeleted = '*';
// .adm: magic "BRVADM01", then blobs appended as u32 length + bytes; never rewritten.
inline constexpr char kMemoMagic[8] = {'B', 'R', 'V', 'A', 'D', 'M', '0', '1'};

// Test hook: the next `n` writes succeed, then every write fails (-1 turns it off).
void failWritesAfter(int64_t n);

class TableFile {
public:
    ~TableFile();
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    // Creates both files (AE_INVALID_ARGUMENT when the .adt exists). Columns must be laid out.
    static Status create(const std::string& path, const std::vector<ColumnDef>& columns,
                         uint32_t recordLength);
    // Opens both files and reads the schema (AE_FILE_NOT_FOUND, or 5000 for a damaged file).
    static Status open(const std::string& path, bool syncWrites, std::unique_ptr<TableFile>* out);

    const std::vector<ColumnDef>& columns() const { return columns_; }
    uint32_t recordLength() const { return recordLength_; }
    uint32_t recordCount() const { return count_; }

    // Reads slot `recno` (1..recordCount): its flag and file-form image.
    Status readSlot(uint32_t recno, char* flag, std::string* image) const;
    // Writes slot `recno` in one write; recno == recordCount() + 1 appends.
    Status writeSlot(uint32_t recno, char flag, const std::string& image);
    // Appends blob content to the .adm file; *offset receives its cell value (never 0).
    Status appendBlob(const std::string& bytes, uint32_t* offset);
    Status readBlob(uint32_t offset, std::string* bytes) const;

private:
    TableFile() = default;
    std::vector<ColumnDef> columns_;
    uint32_t recordLength_ = 0;
    uint32_t headerLength_ = 0;
    uint32_t count_ = 0;
    uint64_t memoEnd_ = 0;
    int fd_ = -1;
    int memoFd_ = -1;
    bool sync_ = false;
};

// The .adm file beside a .adt path.
std::string memoPathFor(const std::string& tablePath);

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_TABLE_FILE_H
