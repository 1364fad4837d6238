// session_sql.cpp: the session as the SQL executor's Catalog, and SQL results as cursors.
#include <algorithm>

#include "ace.h"
#include "record/raw_key.h"
#include "record/record.h"
#include "record/text.h"
#include "session_impl.h"
#include "sql/catalog.h"
#include "sql/executor.h"

namespace engine {
namespace {

// Builds a record image from one Value per column; blob values go to `blobs`.
Status imageFromRow(const Table& t, const Row& values, std::string* image, BlobWrites* blobs) {
    *image = t.blankImage();
    auto* p = reinterpret_cast<uint8_t*>(image->data());
    for (size_t i = 0; i < t.columns().size() && i < values.size(); ++i) {
        const ColumnDef& c = t.columns()[i];
        if (record::isBlobType(c.type)) {
            if (!values[i].isNull() && !values[i].text.empty()) {
                std::string content = values[i].text;
                if (c.type == ColumnType::NMemo) {
                    std::u16string w = record::toUtf16(content);
                    content.assign(reinterpret_cast<const char*>(w.data()), 2 * w.size());
                }
                (*blobs)[static_cast<int>(i)] = content;
            }
            continue;
        }
        Status s = record::encodeValue(c, values[i], p);
        if (!s.ok()) return s;
    }
    return Status::success();
}

class SqlTable : public sql::Table {
public:
    explicit SqlTable(std::shared_ptr<engine::Table> t) : table_(std::move(t)) {}
    const std::vector<ColumnDef>& columns() const override { return table_->columns(); }
    uint32_t lastRecordNumber() const override { return table_->recordCount(); }
    Status readRow(uint32_t recno, Row& row, bool* exists) override {
        *exists = table_->isLive(recno);
        if (!*exists) return Status::success();
        RecordFieldSource source(table_.get(), recno);
        row.resize(table_->columns().size());
        for (size_t i = 0; i < row.size(); ++i) source.readValue(static_cast<int>(i), row[i]);
        return Status::success();
    }
    std::string rowId(uint32_t recno) const override { return record::rowId(table_->tableId(), recno); }
    Status insertRow(const Row& values) override {
        std::string image;
        BlobWrites blobs;
        Status s = imageFromRow(*table_, values, &image, &blobs);
        uint32_t written = 0;
        if (s.ok()) s = table_->write(0, std::move(image), blobs, &written);
        return s;
    }

private:
    std::shared_ptr<engine::Table> table_;
};

class SessionCatalog : public sql::Catalog {
public:
    explicit SessionCatalog(Session::Impl& s) : s_(s) {}
    Status openTable(std::string_view name, std::unique_ptr<sql::Table>* out) override {
        std::shared_ptr<engine::Table> t;
        std::string lockFile;
        Status st = s_.findTable(name, &t, &lockFile);
        if (st.ok()) *out = std::make_unique<SqlTable>(std::move(t));
        return st;
    }
    Status createTable(std::string_view name, const std::vector<ColumnDef>& columns) override {
        return s_.createTable(name, columns);
    }
    Status createIndex(std::string_view name, std::string_view table,
                            const std::vector<std::string>& columns, bool unique,
                            bool descending) override {
        IndexDef def;
        def.name = record::trimBlanks(name);
        def.columns = columns;
        def.flags = (unique ? ADS_INDEX_UNIQUE : 0) | (descending ? ADS_INDEX_DESCENDING : 0);
        return s_.createIndex(table, std::move(def));
    }
    Status dropTable(std::string_view name) override { return s_.dropTable(name); }
    Status executeProcedure(std::string_view name, const Row& args, sql::ResultSet* out) override {
        bool known = false;
        Status st = runManagementProcedure(s_, name, args, &out->columns, &out->rows, &known);
        if (!known) return sql::sqlError(sql::kNativeUnknownProcedure, "Unknown procedure " + std::string(name) + ".");
        return st;
    }

private:
    Session::Impl& s_;
};

}  // namespace

Status Session::executeSql(std::string_view text, const std::vector<SqlParam>& params,
                           uint32_t prefetchRows, SqlResult* out) {
    std::lock_guard<std::mutex> lock(impl_->server->mu);
    *out = SqlResult{};
    std::vector<std::string> names = sql::parameterNames(text);
    std::vector<Value> values(names.size());
    for (const SqlParam& p : params) {
        size_t at = p.number ? p.number - 1u : names.size();
        if (!p.number)
            for (size_t i = 0; i < names.size(); ++i)
                if (record::equalsNoCase(names[i], p.name)) at = i;
        if (at >= values.size())
            return Status::error(AE_INVALID_ARGUMENT, "The statement has no such parameter.");
        values[at] = p.value;
    }
    SessionCatalog catalog(*impl_);
    sql::ExecuteResult result;
    Status s = sql::execute(catalog, text, values, &result);
    if (!s.ok()) return s;
    out->rowsAffected = result.rowsAffected;
    out->returnsRows = result.hasCursor;
    if (!out->returnsRows) return Status::success();

    std::shared_ptr<Table> table;
    s = Table::createInMemory(std::move(result.result.columns), &table, true);
    if (!s.ok()) return s;
    for (const Row& row : result.result.rows) {
        std::string image;
        BlobWrites blobs;
        s = imageFromRow(*table, row, &image, &blobs);
        uint32_t written = 0;
        if (s.ok()) s = table->write(0, std::move(image), blobs, &written);
        if (!s.ok()) return s;
    }
    CursorInfo& info = out->cursor;
    info.handleType = ADS_CURSOR;
    info.openOptions = ADS_READONLY;
    info.recordLength = table->recordLength();
    info.columns = table->columns();
    info.blankRecord = table->blankImage();
    const uint32_t count = table->recordCount();
    out->recordCount = count;
    // The first rows as a fresh cursor moving forward would see them: no filter is set yet.
    out->rows.resize(std::min(count, prefetchRows));
    for (uint32_t r = 1; r <= out->rows.size(); ++r) {
        Position& row = out->rows[r - 1];
        row.visible = table->isLive(r);
        describeRecord(*table, r, &row);
    }
    // Every row is in the answer: nobody will move this cursor, so none is made.
    if (count <= prefetchRows) return Status::success();
    auto c = std::make_unique<Cursor>();
    c->table = std::move(table);
    c->readOnly = true;
    c->info = std::move(info);
    Handle h = impl_->addCursor(std::move(c));
    Cursor& cursor = *impl_->cursors[h];
    engine::gotoBof(cursor);
    out->cursor = cursor.info;
    return Status::success();
}

}  // namespace engine
