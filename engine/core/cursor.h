// cursor.h: one open table or SQL result as a handle sees it — position, AOF, filter,
// exact setting — and the navigation over it in record order or in an index's order.
#ifndef BREVANTIS_ENGINE_CORE_CURSOR_H
#define BREVANTIS_ENGINE_CORE_CURSOR_H

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/core/session.h"
#include "engine/core/table.h"
#include "engine/expr/expression.h"

namespace engine {

// A FieldSource over one record of a Table (blob columns read as their content): a stored
// record by number, or a record not yet stored.
class RecordFieldSource : public expr::FieldSource {
  public:
    explicit RecordFieldSource(const Table* table, uint32_t recno = 0) : table_(table) {
        if (recno) setRecord(recno);
    }
    RecordFieldSource(const Table* table, const Record* record) : table_(table), record_(record) {}
    // The table's records are read under its mutex, which whoever evaluates an expression
    // over them holds: the analysis cannot follow it through the expression's interface.
    void setRecord(uint32_t recno) NO_THREAD_SAFETY_ANALYSIS { record_ = &table_->record(recno); }
    int findColumn(std::string_view name) const override { return table_->findColumn(name); }
    const ColumnDef& column(int index) const override { return table_->columns()[index]; }
    void readValue(int index, Value& out) const override NO_THREAD_SAFETY_ANALYSIS;

  private:
    const Table* table_;
    const Record* record_ = nullptr;
};

// An AOF or a filter: its expression and, cached, the records that pass it.
// Invariant: when resolvedVersion equals the table's version and resolvedExact the
// cursor's exact setting, `matches` holds exactly the live records that pass, ascending.
struct FilterSlot {
    bool set = false;
    std::string text;
    std::unique_ptr<expr::Expression> expression;
    std::vector<uint32_t> matches;
    uint64_t resolvedVersion = 0;
    bool resolvedExact = false;
};

// The index entry the cursor's last index move landed on, while the table is unchanged:
// reading rows one after another then needs no key to be built and looked up again.
struct IndexPlace {
    const Index* index = nullptr;
    uint64_t version = 0;
    uint32_t recno = 0;
    std::set<std::pair<std::string, uint32_t>>::const_iterator entry;
};

struct Cursor {
    std::shared_ptr<Table> table;
    CursorInfo info;         // as returned at open (index handles included)
    std::string lockFile;    // key of the record locks; empty for SQL results
    std::string temporary;   // upper-case name of the temporary table it reads, else empty
    uint64_t heldBytes = 0;  // memory a kept SQL result's rows take; 0 for a table
    bool readOnly = false;
    uint32_t recno = 0;  // current record when neither bof nor eof
    bool bof = true;
    bool eof = false;
    FilterSlot aof;
    FilterSlot filter;
    bool exact = false;
    IndexPlace place;
};

// Navigation. `index` is null for record-number order. Each reads the cursor's table: its
// caller holds the table's mutex, as a reader at least.
void gotoEdge(Cursor& c, const Index* index, bool top) REQUIRES_SHARED(c.table->mutex());
void gotoBof(Cursor& c) REQUIRES_SHARED(c.table->mutex());
void skipRows(Cursor& c, const Index* index, int32_t n) REQUIRES_SHARED(c.table->mutex());
bool isVisible(Cursor& c, uint32_t recno) REQUIRES_SHARED(c.table->mutex());
// Rows a count respecting filters sees: in record order, or in `index`'s entries when it
// has a condition.
uint32_t countVisible(Cursor& c, const Index* index) REQUIRES_SHARED(c.table->mutex());
// Soft or hard seek of a (possibly partial) key; returns whether the key matched.
bool seekKey(Cursor& c, const Index& index, std::string_view key, bool soft)
    REQUIRES_SHARED(c.table->mutex());
void describePosition(Cursor& c, Position* out) REQUIRES_SHARED(c.table->mutex());
// Fills the record number, image and blobs of *out with record `recno` of `t`, leaving
// its flags. REQUIRES: 1 <= recno <= t.recordCount().
void describeRecord(const Table& t, uint32_t recno, Position* out) REQUIRES_SHARED(t.mutex());

// Compiles `text` into the slot; AE_INVALID_ARGUMENT with the reason when it does not compile.
Status setFilterSlot(Cursor& c, FilterSlot& slot, std::string_view text);

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_CURSOR_H
