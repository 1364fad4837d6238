// field_source.h: what an expression reads from a row — column lookup and current values.
//
// The storage layer implements FieldSource over a cursor or a record image; the SQL
// executor and the tests implement it over an in-memory Row. Compiling an expression
// resolves names once through findColumn/column; evaluating reads values through
// readValue, which lets the implementation reuse the caller's Value storage so that
// evaluating a row need not allocate.
#ifndef BREVANTIS_ENGINE_EXPR_FIELD_SOURCE_H
#define BREVANTIS_ENGINE_EXPR_FIELD_SOURCE_H

#include <span>
#include <string_view>
#include <vector>

#include "engine/record/value.h"

namespace engine::expr {

class FieldSource {
  public:
    virtual ~FieldSource() = default;

    // Index (from 0) of the column whose name equals `name` without regard to letter case
    // (ASCII letters), or -1 when there is none.
    virtual int findColumn(std::string_view name) const = 0;

    // Description of column `index`. REQUIRES: 0 <= index < number of columns.
    virtual const ColumnDef& column(int index) const = 0;

    // Writes the value of column `index` in the current row into `out`, replacing what it
    // held (reusing its string capacity is encouraged). Text is Windows-1252; fixed-width
    // text may keep its trailing blanks; text from a CIChar column carries
    // caseInsensitive = true; an empty (null) cell gives Kind::Null.
    // REQUIRES: 0 <= index < number of columns. Must not throw.
    virtual void readValue(int index, Value& out) const = 0;
};

// A FieldSource over a column list and one row held in memory (SQL results, tests).
// The row may be changed between evaluations; both must outlive their use. Columns past
// the row's end read as Null.
class RowFieldSource : public FieldSource {
  public:
    explicit RowFieldSource(const std::vector<ColumnDef>* columns, std::span<const Value> row = {})
        : columns_(columns), row_(row) {}
    void setRow(std::span<const Value> row) { row_ = row; }

    int findColumn(std::string_view name) const override;
    const ColumnDef& column(int index) const override { return (*columns_)[index]; }
    void readValue(int index, Value& out) const override;

  private:
    const std::vector<ColumnDef>* columns_;
    std::span<const Value> row_;
};

}  // namespace engine::expr

#endif  // BREVANTIS_ENGINE_EXPR_FIELD_SOURCE_H
