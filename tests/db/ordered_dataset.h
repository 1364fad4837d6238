// ordered_dataset.h: a dataset kind over records in memory, for tests of the framework and
// of what shows datasets.
#ifndef BREVANTIS_TESTS_DB_ORDERED_DATASET_H
#define BREVANTIS_TESTS_DB_ORDERED_DATASET_H

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "db/dataset.h"
#include "db/db_error.h"

// A dataset kind over records (id -> key) whose order, by id or by key then id, can change
// while it is open, as an index order does. The cursor stands on a record id, or before the
// first or after the last; a buffer holds id, key and bookmark flag. Appended records take
// the next id.
class OrderedDataSet : public TDataSet {
  public:
    explicit OrderedDataSet(std::map<int, int> records)
        : TDataSet(nullptr), records(std::move(records)) {
        setObjectName(QStringLiteral("Ordered"));
    }
    ~OrderedDataSet() override { Close(); }
    std::map<int, int> records;
    bool byKey = false;
    int cursorCalls = 0;     // calls that read or move the cursor
    int countCalls = 0;      // record counts asked
    bool failReads = false;  // reading a row fails, as with a lost server

    // The ids in the current order.
    std::vector<int> order() const {
        std::vector<int> ids;
        for (const auto& [id, key] : records) ids.push_back(id);
        if (byKey)
            std::stable_sort(ids.begin(), ids.end(),
                             [&](int a, int b) { return records.at(a) < records.at(b); });
        return ids;
    }
    // Switches the order keeping the active record, as TAdsTable::SetIndexName does.
    void SetOrder(bool key) {
        CheckBrowseMode();
        if (QByteArray* b = ActiveBuffer()) InternalSetToRecord(*b);
        byKey = key;
        ReallocateBuffers();
        Resync();
    }

  protected:
    static constexpr int kBof = -1, kEof = -2;
    void InternalOpen() override {
        InternalInitFieldDefs();
        CreateFields();
        BindFields();
        cursor_ = kBof;
    }
    void InternalClose() override {}
    bool IsCursorOpen() const override { return true; }
    void InternalInitFieldDefs() override {
        FieldDefs().Clear();
        FieldDefs().Add(QStringLiteral("Id"), TFieldType::ftInteger);
        FieldDefs().Add(QStringLiteral("Key"), TFieldType::ftInteger);
    }
    int RecordBufferSize() const override { return 9; }
    TGetResult GetRecord(QByteArray& b, TGetMode mode, bool) override {
        ++cursorCalls;
        if (failReads) throw EDatabaseError(QStringLiteral("lecture impossible"));
        std::vector<int> ids = order();
        auto at = std::find(ids.begin(), ids.end(), cursor_);
        long i = cursor_ == kBof ? -1 : cursor_ == kEof ? long(ids.size()) : long(at - ids.begin());
        if (mode == TGetMode::gmNext) i = std::min(i + 1, long(ids.size()));
        if (mode == TGetMode::gmPrior) i = std::max(i - 1, -1L);
        cursor_ = i < 0 ? kBof : i >= long(ids.size()) ? kEof : ids[size_t(i)];
        if (cursor_ == kEof) return TGetResult::grEOF;
        if (cursor_ == kBof) return TGetResult::grBOF;
        b = QByteArray(9, 0);
        std::memcpy(b.data(), &cursor_, 4);
        std::memcpy(b.data() + 4, &records.at(cursor_), 4);
        b[8] = char(TBookmarkFlag::bfCurrent);
        return TGetResult::grOK;
    }
    void InternalFirst() override {
        ++cursorCalls;
        cursor_ = kBof;
    }
    void InternalSetToRecord(QByteArray& b) override {
        ++cursorCalls;
        std::memcpy(&cursor_, b.constData(), 4);
    }
    void InternalInitRecord(QByteArray& b) override { b = QByteArray(9, 0); }
    void InternalPost() override {
        int id = records.empty() ? 1 : records.rbegin()->first + 1, key;
        std::memcpy(&key, ActiveBuffer()->constData() + 4, 4);
        records[id] = key;
        cursor_ = id;
    }
    void InternalCancel() override {}
    void SetBookmarkFlag(QByteArray& b, TBookmarkFlag flag) override { b[8] = char(flag); }
    QByteArray GetBookmarkData(const QByteArray& b) const override {
        return TBookmarkFlag(b[8]) == TBookmarkFlag::bfCurrent ? b.left(4) : QByteArray();
    }
    int GetRecordCount() override {
        ++countCalls;
        return int(records.size());
    }
    bool LocateRecord(const QString&, const QVariant& v, TLocateOptions) override {
        for (int id : order())
            if (records.at(id) == v.toInt()) {
                cursor_ = id;
                return true;
            }
        return false;
    }
    QVariant GetFieldData(const TField* f) const override {
        const QByteArray* b = ActiveBuffer();
        if (!b) return QVariant();
        int v;
        std::memcpy(&v, b->constData() + (f->FieldNo() == 1 ? 0 : 4), 4);
        return v;
    }
    void SetFieldData(TField*, const QVariant& v) override {
        int x = v.toInt();
        std::memcpy(ActiveBuffer()->data() + 4, &x, 4);
    }

  private:
    int cursor_ = kBof;
};

#endif  // BREVANTIS_TESTS_DB_ORDERED_DATASET_H
