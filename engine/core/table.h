// table.h: a table held in memory — its records, indexes and equality lookups — with its
// files behind it when it is a stored table.
//
// One Table object stands for one table file however many handles have it open; temporary
// tables and SQL results are Tables without files. Each Table has its own reader-writer
// mutex: its records and indexes are read by any number of readers at once (navigation,
// a statement's scan) and changed by one writer, so that a long statement on one table
// holds up nobody working on another. Its columns never change once it is made.
#ifndef BREVANTIS_ENGINE_CORE_TABLE_H
#define BREVANTIS_ENGINE_CORE_TABLE_H

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/base/thread_annotations.h"
#include "engine/core/table_file.h"
#include "engine/expr/expression.h"
#include "engine/record/status.h"
#include "engine/record/value.h"

namespace engine {

// An index as the dictionary (or CREATE INDEX on a temporary table) defines it.
struct IndexDef {
    std::string name;
    std::vector<std::string> columns;  // segment column names, in key order
    uint32_t flags = 0;                // ADS_INDEX_* bits
    std::string condition;             // empty: every record; else only those it is true for
};

// A built index: entries ordered by (key, record number).
// Invariant: holds exactly one entry per live record that satisfies the condition.
struct Index {
    IndexDef def;
    std::vector<int> segments;                    // column indexes
    std::shared_ptr<expr::Expression> condition;  // null when there is none
    std::set<std::pair<std::string, uint32_t>> entries;
};

// One record in memory. The image is in client form: blob cells read -1 (content) or 0.
struct Record {
    std::string image;
    bool deleted = false;
    std::vector<std::string> blobs;  // one per blob column, in column order
    // Blob columns (by their place in `blobs`) whose content could not be read from the
    // memo file; each holds no content. Almost always empty.
    std::vector<uint16_t> damagedBlobs;

    bool blobDamaged(size_t blob) const {
        for (uint16_t d : damagedBlobs)
            if (d == blob) return true;
        return false;
    }
};

// New content for the blob columns of a write: column index -> content (nullopt: empty).
using BlobWrites = std::map<int, std::optional<std::string>>;

// Marks a blob column's cell in a client-form image: -1 with content, else 0, and the
// content's length.
void setBlobCell(std::string& image, const ColumnDef& c, const std::string& content);

// Gives the null AUTOINC columns of an appended client-form image the numbers from `*next`
// on, and moves `*next` past every number the image holds. Every record a table takes
// goes through this.
void numberAutoInc(const std::vector<ColumnDef>& columns, bool append, std::string& image,
                   int64_t* next);

class Table {
    // Only the factories below can name this, so only they can construct a Table (the
    // constructor is public for std::make_shared, which puts the Table and its count in
    // one allocation).
    struct Passkey {
        explicit Passkey() = default;
    };

  public:
    explicit Table(Passkey) {}
    // A table without files (a temporary table); its columns are checked and laid out here.
    static Status createInMemory(std::vector<ColumnDef> columns, std::shared_ptr<Table>* out);
    // An empty table without files whose records have `layout` (an SQL result's).
    static std::shared_ptr<Table> withLayout(SharedLayout layout);
    // Loads a stored table; its ROWIDs name it by `where.path`. A memo value that cannot be
    // read leaves its record with that blob marked damaged; the rest of the table loads.
    static Status load(const FolderFile& where, bool syncWrites, std::shared_ptr<Table>* out);
    // Whether writes are refused because the table's files cannot be written.
    bool readOnlyStorage() const { return file_ && file_->readOnly(); }

    // Held as a reader to read the records and indexes, as the writer to change them.
    SharedMutex& mutex() const RETURN_CAPABILITY(mutex_) { return mutex_; }

    const SharedLayout& layout() const { return layout_; }
    const std::vector<ColumnDef>& columns() const { return layout_->columns; }
    uint32_t recordLength() const { return layout_->recordLength; }
    const std::string& blankImage() const { return layout_->blankRecord; }
    const std::string& path() const { return path_; }  // canonical; empty without files
    // The identity of its .adt file (zero without files).
    FileId fileId() const { return file_ ? file_->fileId() : FileId{}; }
    const std::string& tableId() const { return tableId_; }
    void setTableId(std::string id) { tableId_ = std::move(id); }
    int findColumn(std::string_view name) const;

    // Record slots, live or deleted; record numbers run 1..recordCount().
    uint32_t recordCount() const REQUIRES_SHARED(mutex_) {
        return static_cast<uint32_t>(records_.size());
    }
    uint32_t liveCount() const REQUIRES_SHARED(mutex_) { return live_; }
    bool isLive(uint32_t recno) const REQUIRES_SHARED(mutex_);
    const Record& record(uint32_t recno) const REQUIRES_SHARED(mutex_) {
        return records_[recno - 1];
    }
    // Changes with every write; lets cached filter results know they are stale.
    uint64_t version() const REQUIRES_SHARED(mutex_) { return version_; }

    // Writes `image` (client form) as record `recno`, or appends it when recno is 0; blob
    // columns listed in `blobs` take new content, others keep theirs. AUTOINC columns of an
    // appended record that are null take the next number. Answers AE_UNIQUE_VIOLATION when
    // a unique index already holds the key, AE_READ_ONLY_STORAGE when the files cannot be
    // written. On failure nothing has changed in memory, and the files hold either the old
    // record or the new one, never a mix. A blob column not given keeps its content (or its
    // damage).
    Status write(uint32_t recno, std::string image, const BlobWrites& blobs, uint32_t* written)
        REQUIRES(mutex_);
    // The memory such a write would add to the table, about: the record when appended (recno
    // 0), and the blobs' new content less the old; negative when it frees more than it takes.
    int64_t growthOf(uint32_t recno, size_t imageBytes, const BlobWrites& blobs) const
        REQUIRES_SHARED(mutex_);

    // Indexes.
    Status addIndex(IndexDef def) REQUIRES(mutex_);
    int findIndex(std::string_view name) const REQUIRES_SHARED(mutex_);
    size_t indexCount() const REQUIRES_SHARED(mutex_) { return indexes_.size(); }
    const Index& index(size_t i) const REQUIRES_SHARED(mutex_) { return *indexes_[i]; }
    std::string keyOf(const Index& index, uint32_t recno) const REQUIRES_SHARED(mutex_);
    // Whether the record belongs in the index (its condition holds).
    bool inIndex(const Index& index, const Record& record) const;

    // Live records whose columns `cols` have these equality keys (expr::equalityKey of the
    // values, each followed by '\x1f'), ascending, into *out. Builds the lookup on first use
    // (readers may, one at a time) and keeps it up to date on every later write.
    void lookupEqual(const std::vector<int>& cols, const std::vector<bool>& caseInsensitive,
                     const std::string& key, std::vector<uint32_t>* out) const
        REQUIRES_SHARED(mutex_) EXCLUDES(hashMutex_);

  private:
    struct HashIndex {
        std::vector<bool> caseInsensitive;
        std::unordered_map<std::string, std::vector<uint32_t>> rows;
    };
    std::string hashKey(const std::vector<int>& cols, const std::vector<bool>& ci,
                        const std::string& image) const;
    void unindex(uint32_t recno) REQUIRES(mutex_) EXCLUDES(hashMutex_);
    void reindex(uint32_t recno) REQUIRES(mutex_) EXCLUDES(hashMutex_);

    mutable SharedMutex mutex_;
    // Set when the table is made and never changed: read without the mutex.
    SharedLayout layout_;
    std::vector<int> blobColumns_;  // column indexes of blob columns
    std::string path_;
    std::string tableId_;
    std::unique_ptr<TableFile> file_;  // written through by the writer alone
    std::vector<Record> records_ GUARDED_BY(mutex_);
    // File offsets per record; empty without files.
    std::vector<std::vector<uint32_t>> blobCells_ GUARDED_BY(mutex_);
    uint32_t live_ GUARDED_BY(mutex_) = 0;
    uint64_t version_ GUARDED_BY(mutex_) = 1;
    int64_t nextAutoInc_ GUARDED_BY(mutex_) = 1;
    std::vector<std::unique_ptr<Index>> indexes_ GUARDED_BY(mutex_);
    // Built by readers on demand: its own mutex, taken inside the table's.
    mutable Mutex hashMutex_;
    mutable std::map<std::vector<int>, HashIndex> hashIndexes_ GUARDED_BY(hashMutex_);
};

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_TABLE_H
