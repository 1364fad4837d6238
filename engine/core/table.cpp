// table.cpp: records in memory, written through to the table's files, with their indexes.
#include "engine/core/table.h"

#include <algorithm>

#include "engine/core/cursor.h"
#include "engine/expr/expression.h"
#include "engine/include/engine_api.h"
#include "engine/record/raw_key.h"
#include "engine/record/record.h"
#include "engine/record/record_text.h"

namespace engine {
namespace {

constexpr uint32_t kCellWithContent = 0xFFFFFFFFu;

void setCell(std::string& image, const ColumnDef& c, uint32_t cell, uint32_t length) {
    auto* p = reinterpret_cast<uint8_t*>(image.data()) + c.offset;
    record::putU32(p, cell);
    record::putU32(p + 4, length);
}

}  // namespace

void setBlobCell(std::string& image, const ColumnDef& c, const std::string& content) {
    setCell(image, c, content.empty() ? 0 : kCellWithContent,
            static_cast<uint32_t>(content.size()));
}

void numberAutoInc(const std::vector<ColumnDef>& columns, bool append, std::string& image,
                   int64_t* next) {
    auto* p = reinterpret_cast<uint8_t*>(image.data());
    for (const ColumnDef& c : columns) {
        if (c.type != ColumnType::AutoInc) continue;
        if (append && record::isNull(c, p)) {
            record::putU32(p + c.offset, static_cast<uint32_t>((*next)++));
        } else if (!record::isNull(c, p)) {
            *next =
                std::max<int64_t>(*next, static_cast<int32_t>(record::getU32(p + c.offset)) + 1);
        }
    }
}

Status Table::createInMemory(std::vector<ColumnDef> columns, std::shared_ptr<Table>* out) {
    Status s = record::validateColumns(columns);
    if (!s.ok()) return s;
    uint32_t recordLength = record::layoutColumns(columns);
    *out = withLayout(record::makeLayout(std::move(columns), recordLength));
    return Status::success();
}

std::shared_ptr<Table> Table::withLayout(SharedLayout layout) {
    auto t = std::make_shared<Table>(Passkey());  // nobody else has it yet: no lock needed
    t->layout_ = std::move(layout);
    for (size_t i = 0; i < t->columns().size(); ++i)
        if (record::isBlobType(t->columns()[i].type))
            t->blobColumns_.push_back(static_cast<int>(i));
    return t;
}

Status Table::load(const FolderFile& where, bool syncWrites, std::shared_ptr<Table>* out) {
    const std::string& path = where.path;
    std::unique_ptr<TableFile> file;
    Status s = TableFile::open(where, syncWrites, &file);
    if (!s.ok()) return s;
    std::shared_ptr<Table> t =
        withLayout(record::makeLayout(file->columns(), file->recordLength()));
    WriterLock writing(t->mutex_);  // nobody else has it yet: the lock is for the analysis
    t->path_ = path;
    t->tableId_ = record::tableIdFor(path);
    // Room grows with the slots read, not with the count the file's size promises: a sparse
    // or crafted file is refused at its first slot that is not one.
    // Values are stored apart from one another, so that together they never take more than
    // the memo file holds: one that would (a crafted cell shared by many records) is damaged.
    uint64_t blobBytes = 0;
    const uint32_t n = file->recordCount();
    t->records_.reserve(std::min(n, 1u << 16));
    t->blobCells_.reserve(std::min(n, 1u << 16));
    for (uint32_t recno = 1; recno <= n; ++recno) {
        char flag;
        Record& r = t->records_.emplace_back();
        t->blobCells_.emplace_back();
        s = file->readSlot(recno, &flag, &r.image);
        if (!s.ok()) return s;
        if (flag != kSlotLive && flag != kSlotDeleted)
            return Status::error(AE_INTERNAL_ERROR, "The table file is damaged (record " +
                                                        std::to_string(recno) + "): " + path);
        r.deleted = flag == kSlotDeleted;
        for (int col : t->blobColumns_) {
            const ColumnDef& c = t->columns()[col];
            uint32_t cell =
                record::getU32(reinterpret_cast<const uint8_t*>(r.image.data()) + c.offset);
            std::string content;
            if (cell != 0 && !file->readBlob(cell, &content, file->memoSize() - blobBytes).ok()) {
                r.damagedBlobs.push_back(static_cast<uint16_t>(r.blobs.size()));
                content.clear();
            }
            blobBytes += content.size();
            t->blobCells_[recno - 1].push_back(cell);
            setCell(r.image, c, cell ? kCellWithContent : 0, static_cast<uint32_t>(content.size()));
            r.blobs.push_back(std::move(content));
        }
        if (!r.deleted) ++t->live_;
        for (const ColumnDef& c : t->columns()) {
            if (c.type != ColumnType::AutoInc ||
                record::isNull(c, reinterpret_cast<const uint8_t*>(r.image.data())))
                continue;
            int64_t v = static_cast<int32_t>(
                record::getU32(reinterpret_cast<const uint8_t*>(r.image.data()) + c.offset));
            t->nextAutoInc_ = std::max(t->nextAutoInc_, v + 1);
        }
    }
    t->file_ = std::move(file);
    *out = std::move(t);
    return Status::success();
}

int Table::findColumn(std::string_view name) const {
    for (size_t i = 0; i < columns().size(); ++i)
        if (record::equalsNoCase(columns()[i].name, name)) return static_cast<int>(i);
    return -1;
}

bool Table::isLive(uint32_t recno) const {
    return recno >= 1 && recno <= records_.size() && !records_[recno - 1].deleted;
}

std::string Table::keyOf(const Index& index, uint32_t recno) const {
    std::string key;
    const auto* image = reinterpret_cast<const uint8_t*>(records_[recno - 1].image.data());
    for (int col : index.segments) record::appendKeySegment(columns()[col], image, key);
    return key;
}

bool Table::inIndex(const Index& index, const Record& record) const {
    if (!index.condition) return true;
    RecordFieldSource row(this, &record);
    return index.condition->matches(row, true);
}

int64_t Table::growthOf(uint32_t recno, size_t imageBytes, const BlobWrites& blobs) const {
    int64_t growth = recno ? 0 : static_cast<int64_t>(sizeof(Record) + imageBytes);
    for (const auto& [column, content] : blobs) {
        growth += content ? static_cast<int64_t>(content->size()) : 0;
        if (!recno) continue;
        const std::vector<std::string>& old = records_[recno - 1].blobs;
        const auto slot = std::find(blobColumns_.begin(), blobColumns_.end(), column);
        const auto at = static_cast<size_t>(slot - blobColumns_.begin());
        if (at < old.size()) growth -= static_cast<int64_t>(old[at].size());
    }
    return growth;
}

Status Table::write(uint32_t recno, std::string image, const BlobWrites& blobs, uint32_t* written) {
    bool append = recno == 0;
    if (!append && !isLive(recno))
        return Status::error(AE_INVALID_RECORD_NUMBER,
                             "There is no record " + std::to_string(recno) + ".");
    if (image.size() != recordLength())
        return Status::error(AE_INVALID_ARGUMENT, "Wrong record length.");
    if (readOnlyStorage())
        return Status::error(AE_READ_ONLY_STORAGE,
                             "The table " + path_ + " is on storage this server cannot write.");
    uint32_t target = append ? recordCount() + 1 : recno;
    int64_t next = nextAutoInc_;
    numberAutoInc(columns(), append, image, &next);
    // Blob content: the new one where given, else the record's current one.
    Record updated;
    updated.image = std::move(image);
    std::vector<uint32_t> cells;
    for (size_t b = 0; b < blobColumns_.size(); ++b) {
        int col = blobColumns_[b];
        auto it = blobs.find(col);
        std::string content;
        uint32_t cell = 0;
        if (it != blobs.end()) {
            if (it->second) content = *it->second;
            if (file_ && !content.empty()) {
                Status s = file_->appendBlob(content, &cell);
                if (!s.ok()) return s;
            }
        } else if (!append) {
            content = records_[recno - 1].blobs[b];
            if (file_) cell = blobCells_[recno - 1][b];
            if (records_[recno - 1].blobDamaged(b))
                updated.damagedBlobs.push_back(static_cast<uint16_t>(b));
        }
        setBlobCell(updated.image, columns()[col], content);
        if (updated.blobDamaged(b)) setCell(updated.image, columns()[col], kCellWithContent, 0);
        updated.blobs.push_back(std::move(content));
        cells.push_back(cell);
    }
    const auto* newImage = reinterpret_cast<const uint8_t*>(updated.image.data());
    for (const auto& index : indexes_) {
        if (!(index->def.flags & ADS_INDEX_UNIQUE) || !inIndex(*index, updated)) continue;
        std::string key;
        for (int col : index->segments) record::appendKeySegment(columns()[col], newImage, key);
        auto it = index->entries.lower_bound({key, 0});
        if (it != index->entries.end() && it->first == key && it->second != target)
            return Status::error(AE_UNIQUE_VIOLATION,
                                 "The key is already in the unique index " + index->def.name + ".");
    }
    if (file_) {
        std::string fileImage = updated.image;
        for (size_t b = 0; b < blobColumns_.size(); ++b)
            setCell(fileImage, columns()[blobColumns_[b]], cells[b],
                    static_cast<uint32_t>(updated.blobs[b].size()));
        Status s = file_->writeSlot(target, kSlotLive, fileImage);
        if (!s.ok()) return s;
    }
    if (append) {
        records_.push_back(std::move(updated));
        if (file_) blobCells_.push_back(std::move(cells));
        ++live_;
    } else {
        unindex(recno);
        records_[recno - 1] = std::move(updated);
        if (file_) blobCells_[recno - 1] = std::move(cells);
    }
    nextAutoInc_ = next;
    reindex(target);
    ++version_;
    *written = target;
    return Status::success();
}

void Table::unindex(uint32_t recno) {
    for (auto& index : indexes_)
        if (inIndex(*index, records_[recno - 1]))
            index->entries.erase({keyOf(*index, recno), recno});
    const std::string& image = records_[recno - 1].image;
    MutexLock hashes(hashMutex_);
    for (auto& [cols, hash] : hashIndexes_) {
        auto it = hash.rows.find(hashKey(cols, hash.caseInsensitive, image));
        if (it == hash.rows.end()) continue;
        auto& v = it->second;
        v.erase(std::remove(v.begin(), v.end(), recno), v.end());
    }
}

void Table::reindex(uint32_t recno) {
    for (auto& index : indexes_)
        if (inIndex(*index, records_[recno - 1]))
            index->entries.insert({keyOf(*index, recno), recno});
    const std::string& image = records_[recno - 1].image;
    MutexLock hashes(hashMutex_);
    for (auto& [cols, hash] : hashIndexes_) {
        auto& v = hash.rows[hashKey(cols, hash.caseInsensitive, image)];
        v.insert(std::upper_bound(v.begin(), v.end(), recno), recno);
    }
}

Status Table::addIndex(IndexDef def) {
    if (def.name.empty() || def.columns.empty())
        return Status::error(AE_INVALID_ARGUMENT, "An index needs a name and columns.");
    if (findIndex(def.name) >= 0)
        return Status::error(AE_INVALID_ARGUMENT, "The index " + def.name + " exists already.");
    auto index = std::make_unique<Index>();
    for (const std::string& name : def.columns) {
        int col = findColumn(name);
        if (col < 0)
            return Status::error(AE_COLUMN_NOT_FOUND, "Column not found: column \"" + name + "\".");
        if (!record::isIndexableType(columns()[col].type))
            return Status::error(AE_COLUMN_TYPE_MISMATCH,
                                 "The column cannot be indexed: column \"" + name + "\".");
        index->segments.push_back(col);
    }
    if (!def.condition.empty()) {
        RecordFieldSource columns(this);
        std::string error;
        index->condition = expr::Expression::compile(def.condition, columns, &error);
        if (!index->condition)
            return Status::error(AE_INVALID_ARGUMENT, "Invalid index condition: " + error);
    }
    index->def = std::move(def);
    for (uint32_t recno = 1; recno <= recordCount(); ++recno) {
        if (!isLive(recno) || !inIndex(*index, records_[recno - 1])) continue;
        std::string key = keyOf(*index, recno);
        if ((index->def.flags & ADS_INDEX_UNIQUE) && !index->entries.empty()) {
            auto it = index->entries.lower_bound({key, 0});
            if (it != index->entries.end() && it->first == key)
                return Status::error(AE_UNIQUE_VIOLATION, "Duplicate keys for the unique index " +
                                                              index->def.name + ".");
        }
        index->entries.insert({std::move(key), recno});
    }
    indexes_.push_back(std::move(index));
    return Status::success();
}

int Table::findIndex(std::string_view name) const {
    for (size_t i = 0; i < indexes_.size(); ++i)
        if (record::equalsNoCase(indexes_[i]->def.name, name)) return static_cast<int>(i);
    return -1;
}

std::string Table::hashKey(const std::vector<int>& cols, const std::vector<bool>& ci,
                           const std::string& image) const {
    std::string key;
    const auto* p = reinterpret_cast<const uint8_t*>(image.data());
    for (size_t i = 0; i < cols.size(); ++i) {
        key += expr::equalityKey(record::decodeValue(columns()[cols[i]], p), ci[i]);
        key.push_back('\x1f');
    }
    return key;
}

void Table::lookupEqual(const std::vector<int>& cols, const std::vector<bool>& caseInsensitive,
                        const std::string& key, std::vector<uint32_t>* out) const {
    MutexLock hashes(hashMutex_);
    auto it = hashIndexes_.find(cols);
    if (it == hashIndexes_.end() || it->second.caseInsensitive != caseInsensitive) {
        HashIndex hash;
        hash.caseInsensitive = caseInsensitive;
        for (uint32_t recno = 1; recno <= recordCount(); ++recno)
            if (isLive(recno))
                hash.rows[hashKey(cols, caseInsensitive, records_[recno - 1].image)].push_back(
                    recno);
        it = hashIndexes_.insert_or_assign(cols, std::move(hash)).first;
    }
    auto found = it->second.rows.find(key);
    if (found == it->second.rows.end())
        out->clear();
    else
        *out = found->second;
}

}  // namespace engine
