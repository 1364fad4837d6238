// catalog.h: what the SQL executor needs from the engine's tables and procedures.
//
// The engine core implements Catalog once per connection (its dictionary or free-table
// folder, its '#' temporary tables, its rights); the SQL tests implement it in memory.
// Every call answers an engine::Status whose code is one of the AE_* codes (engine_api.h).
#ifndef BREVANTIS_ENGINE_CORE_SQL_CATALOG_H
#define BREVANTIS_ENGINE_CORE_SQL_CATALOG_H

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/record/status.h"
#include "engine/record/value.h"

namespace engine::sql {

// The rows of a static result, each of width() Values in column order. They are kept one
// after another in one vector, so that a result of many rows is one allocation rather than
// one per row.
// Invariant: values_.size() == size() * width().
class ResultRows {
  public:
    ResultRows() = default;
    explicit ResultRows(size_t width) : width_(width) {}

    size_t width() const { return width_; }
    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // REQUIRES: row < size(). Valid until the next append().
    std::span<Value> operator[](size_t row) { return {values_.data() + row * width_, width_}; }
    std::span<const Value> operator[](size_t row) const {
        return {values_.data() + row * width_, width_};
    }
    // Makes room for `rows` rows in all, so that appending up to them allocates nothing.
    void reserve(size_t rows) { values_.reserve(rows * width_); }
    // Empties the rows for a result of `width` columns, keeping their room: the rows
    // appended next are new Values, nothing of those before.
    void reset(size_t width) {
        width_ = width;
        count_ = 0;
        values_.clear();
    }
    // Appends a row of Null values, to be filled in place.
    std::span<Value> append() {
        values_.resize(values_.size() + width_);
        return (*this)[count_++];
    }

  private:
    size_t width_ = 0;
    size_t count_ = 0;
    std::vector<Value> values_;
};

// A static result: its columns laid out as a record (record::makeResultLayout) and its
// rows. A procedure whose columns never change shares one layout among all its results.
// Invariant, once its statement succeeded: layout is set and rows.width() is its number
// of columns.
struct ResultSet {
    SharedLayout layout;
    ResultRows rows;
};

// An open table as SQL sees it. Lives no longer than the Catalog that opened it.
class Table {
  public:
    virtual ~Table() = default;

    // Columns in table order, with their types, lengths and nullability.
    virtual const std::vector<ColumnDef>& columns() const = 0;

    // Highest record number in use (records are numbered from 1; deleted records keep
    // their numbers). 0 for an empty table.
    virtual uint32_t lastRecordNumber() const = 0;

    // Reads record `recno` into `row` (one Value per column; text of CIChar columns with
    // caseInsensitive = true; empty cells as Null). Sets *exists = false, leaving `row`
    // unspecified, for a deleted or never-written record. A value that cannot be read fails
    // the read only when its column is one the statement reads (see readsColumns).
    virtual Status readRow(uint32_t recno, Row& row, bool* exists) = 0;

    // The columns the statement reads (one flag per column; every one until told): the
    // others may be left Null by readRow.
    virtual void readsColumns(std::vector<bool> columns) { (void)columns; }

    // The record's 18-character ROWID: twelve characters naming the table, then the record
    // number in six base-64 digits.
    virtual std::string rowId(uint32_t recno) const = 0;

    // Appends a record. `values` has one Value per column: Null where the statement gave
    // none (an AUTOINC column then takes the next number), otherwise of the kind that
    // matches the column (String for text types, Integer for integer types, Double for
    // DOUBLE/NUMERIC/MONEY, Date/Time/TimeStamp, Logical, Binary for binary types);
    // the executor has already refused text longer than its column.
    virtual Status insertRow(const Row& values) = 0;
};

// Everything a connection can reach by name. Names are compared without regard to letter
// case; a name starting with '#' is a temporary table of this connection.
class Catalog {
  public:
    virtual ~Catalog() = default;

    // Opens table `name` (dictionary table, '#temp' table or free table). When no such
    // table exists, answers AE_FILE_NOT_FOUND or AE_TABLE_NOT_IN_DICTIONARY (the executor
    // reports both as an unknown table); other codes pass through unchanged.
    virtual Status openTable(std::string_view name, std::unique_ptr<Table>* out) = 0;

    // Creates an empty table with these columns (offsets are left 0 for the storage layer
    // to lay out). A '#' name makes a temporary table; on a dictionary connection another
    // name adds the table to the dictionary, on a free-table connection it creates a file.
    virtual Status createTable(std::string_view name, const std::vector<ColumnDef>& columns) = 0;

    // Creates index `name` on `table` over `columns` (names as written, in key order).
    virtual Status createIndex(std::string_view name, std::string_view table,
                               const std::vector<std::string>& columns, bool unique,
                               bool descending) = 0;

    // Removes table `name` (a temporary table, or a table of the dictionary with its file).
    virtual Status dropTable(std::string_view name) = 0;

    // Runs stored or system procedure `name` with `args` (SQL literals as Values: text as
    // String, whole numbers as Integer, others as Double; NULL as Null) and fills *out.
    // An unknown procedure answers AE_SQL_ERROR with a text made by sqlErrorText.
    virtual Status executeProcedure(std::string_view name, const Row& args, ResultSet* out) = 0;

    // Whether a result being made may grow to `bytes` in memory: a refusal (its own code and
    // text) stops the statement there, before the rest of its rows are made, and so does a
    // client that has gone. By default, any size.
    virtual Status roomForResult(uint64_t bytes) {
        (void)bytes;
        return Status::success();
    }
};

// Native SQL error numbers carried in AE_SQL_ERROR texts (see engine/doc/sql.md).
enum NativeError : int32_t {
    kNativeSyntax = 2103,            // the text does not parse
    kNativeTypeMismatch = 2105,      // value or comparison of the wrong kind
    kNativeValueTooLong = 2106,      // text or number does not fit its column
    kNativeUnknownColumn = 2115,     // a column name matches no column
    kNativeUnknownTable = 2121,      // no table of that name
    kNativeUnknownProcedure = 2122,  // no procedure of that name
    kNativeBadArguments = 2123,      // wrong number or kind of procedure arguments
    kNativeNoStatement = 2124,       // the text holds no statement (only blanks, comments)
};

// The text of an AE_SQL_ERROR: "Error 7200: <message> NativeError = N; <detail>".
// Readers find the native number after "NativeError = " up to the next ';'.
std::string sqlErrorText(int32_t native, std::string_view detail);

// Status{AE_SQL_ERROR, sqlErrorText(native, detail)}.
Status sqlError(int32_t native, std::string_view detail);

}  // namespace engine::sql

#endif  // BREVANTIS_ENGINE_CORE_SQL_CATALOG_H
