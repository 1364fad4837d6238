// session_sql.cpp: the session as the SQL executor's Catalog, and SQL results as cursors.
#include <algorithm>
#include <functional>
#include <span>

#include "codepage/cp1252.h"
#include "engine/core/session_impl.h"
#include "engine/core/sql/catalog.h"
#include "engine/core/sql/executor.h"
#include "engine/core/test_hooks.h"
#include "engine/include/engine_api.h"
#include "engine/record/raw_key.h"
#include "engine/record/record.h"
#include "engine/record/record_text.h"

namespace engine {
namespace {

// Builds a record image from one Value per column; blob values go to `blobs`.
Status imageFromRow(const std::vector<ColumnDef>& columns, const std::string& blank,
                    std::span<const Value> values, std::string* image, BlobWrites* blobs) {
    *image = blank;
    auto* p = reinterpret_cast<uint8_t*>(image->data());
    for (size_t i = 0; i < columns.size() && i < values.size(); ++i) {
        const ColumnDef& c = columns[i];
        if (record::isBlobType(c.type)) {
            if (!values[i].isNull() && !values[i].text.empty()) {
                std::string content = values[i].text;
                if (c.type == ColumnType::NMemo) {
                    std::u16string w = cp1252::toUtf16(content);
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

// Row `recno` of a result as its table would hold it once appended (AUTOINC numbered,
// blob cells marked) and a cursor would report it.
Status describeResultRow(const RecordLayout& layout, std::span<const Value> values, uint32_t recno,
                         int64_t* nextAutoInc, Position* out) {
    BlobWrites blobs;
    Status s = imageFromRow(layout.columns, layout.blankRecord, values, &out->record, &blobs);
    if (!s.ok()) return s;
    out->recordNumber = recno;
    out->visible = true;
    numberAutoInc(layout.columns, true, out->record, nextAutoInc);
    for (size_t i = 0; i < layout.columns.size(); ++i) {
        if (!record::isBlobType(layout.columns[i].type)) continue;
        auto it = blobs.find(static_cast<int>(i));
        std::string content =
            it != blobs.end() && it->second ? std::move(*it->second) : std::string();
        setBlobCell(out->record, layout.columns[i], content);
        out->blobs.push_back({static_cast<uint16_t>(i), content.empty(), std::move(content)});
    }
    return Status::success();
}

// The values of the statement's parameters in the order the executor binds them: by
// number, or by name. No parameters given leaves *values empty: every one is then NULL,
// and the text need not be scanned for them.
Status bindParameters(std::string_view text, const std::vector<SqlParam>& params,
                      std::vector<Value>* values) {
    if (params.empty()) return Status::success();
    std::vector<std::string> names = sql::parameterNames(text);
    values->resize(names.size());
    for (const SqlParam& p : params) {
        size_t at = p.number ? p.number - 1u : names.size();
        if (!p.number)
            for (size_t i = 0; i < names.size(); ++i)
                if (record::equalsNoCase(names[i], p.name)) at = i;
        if (at >= values->size())
            return Status::error(AE_INVALID_ARGUMENT, "The statement has no such parameter.");
        (*values)[at] = p.value;
    }
    return Status::success();
}

std::function<void(std::string_view)> gRowReadHook;  // set while no statement runs

}  // namespace

void setRowReadHook(std::function<void(std::string_view)> hook) {
    gRowReadHook = std::move(hook);
}

namespace {

// A table as a statement sees it. The statement reads it as one of the table's readers,
// from its first read to its end, so that the rows it reads are those of one moment, and
// appends to it as its writer, a row at a time (a statement that appends reads no table).
// The analysis cannot follow a lock held across calls: these methods go without it.
class SqlTable : public sql::Table {
  public:
    // `temporary`: the upper-case name of a temporary table, whose rows count against the
    // session's limit; empty for a stored table.
    SqlTable(std::shared_ptr<engine::Table> t, Session::Impl* session, std::string temporary)
        : table_(std::move(t)), session_(session), temporary_(std::move(temporary)) {}
    ~SqlTable() override NO_THREAD_SAFETY_ANALYSIS {
        if (reading_) table_->mutex().unlockShared();
    }
    const std::vector<ColumnDef>& columns() const override { return table_->columns(); }
    uint32_t lastRecordNumber() const override NO_THREAD_SAFETY_ANALYSIS {
        startReading();
        return table_->recordCount();
    }
    Status readRow(uint32_t recno, Row& row, bool* exists) override NO_THREAD_SAFETY_ANALYSIS {
        startReading();
        if (gRowReadHook && !table_->path().empty()) gRowReadHook(table_->path());
        *exists = table_->isLive(recno);
        if (!*exists) return Status::success();
        const Record& record = table_->record(recno);
        RecordFieldSource source(table_.get(), recno);
        const std::vector<ColumnDef>& columns = table_->columns();
        row.resize(columns.size());
        size_t blob = 0;
        for (size_t i = 0; i < row.size(); ++i) {
            const bool damaged = record::isBlobType(columns[i].type) &&
                                 !record.damagedBlobs.empty() && record.blobDamaged(blob++);
            if (!damaged) {
                source.readValue(static_cast<int>(i), row[i]);
                continue;
            }
            // A statement does not go on as if a value that cannot be read were empty; one
            // that does not read it is not concerned.
            if (read_.empty() || (i < read_.size() && read_[i]))
                return Status::error(AE_INTERNAL_ERROR,
                                     "The memo value " + columns[i].name + " of record " +
                                         std::to_string(recno) + " is damaged in " +
                                         table_->path() + ".");
            row[i] = Value{};
        }
        return Status::success();
    }
    void readsColumns(std::vector<bool> columns) override { read_ = std::move(columns); }
    std::string rowId(uint32_t recno) const override {
        return record::rowId(table_->tableId(), recno);
    }
    Status insertRow(const Row& values) override {
        std::string image;
        BlobWrites blobs;
        Status s = imageFromRow(table_->columns(), table_->blankImage(), values, &image, &blobs);
        if (!s.ok()) return s;
        WriterLock write(table_->mutex());
        const int64_t growth = table_->growthOf(0, image.size(), blobs);
        if (!temporary_.empty()) s = session_->roomForTemporary(growth);
        if (!s.ok()) return s;
        uint32_t written = 0;
        s = table_->write(0, std::move(image), blobs, &written);
        if (s.ok() && !temporary_.empty()) session_->countTemporary(temporary_, growth);
        return s;
    }

  private:
    void startReading() const NO_THREAD_SAFETY_ANALYSIS {
        if (reading_) return;
        table_->mutex().lockShared();
        reading_ = true;
    }

    std::shared_ptr<engine::Table> table_;
    Session::Impl* session_;
    const std::string temporary_;
    std::vector<bool> read_;        // the columns the statement reads; empty: all
    mutable bool reading_ = false;  // the statement holds the table's mutex as a reader
};

// The session as SQL sees it: each of its steps takes the locks it needs.
class SessionCatalog : public sql::Catalog {
  public:
    explicit SessionCatalog(Session::Impl& s) : s_(s) {}
    Status openTable(std::string_view name, std::unique_ptr<sql::Table>* out) override {
        std::shared_ptr<engine::Table> t;
        std::string lockFile;
        Status st = s_.findTable(name, &t, &lockFile);
        if (!st.ok()) return st;
        const std::string trimmed = record::trimBlanks(name);
        const bool temporary = !trimmed.empty() && trimmed[0] == '#';
        *out = std::make_unique<SqlTable>(std::move(t), &s_,
                                          temporary ? record::upperAscii(trimmed) : std::string());
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
        Status st = runManagementProcedure(s_, name, args, out, &known);
        if (!known)
            return sql::sqlError(sql::kNativeUnknownProcedure,
                                 "Unknown procedure " + std::string(name) + ".");
        return st;
    }

    Status roomForResult(uint64_t bytes) override {
        if (s_.clientGone && s_.clientGone())
            return Status::error(AE_CONNECTION_LOST, "The client has gone: the statement stops.");
        const uint64_t limit = s_.server->options.maxResultBytes;
        if (bytes <= limit) return Status::success();
        return Status::error(AE_RESULTS_TOO_LARGE, "The result would take more than the " +
                                                       std::to_string(limit >> 20) +
                                                       " MiB the server allows a connection's "
                                                       "results: narrow the statement.");
    }

  private:
    Session::Impl& s_;
};

// A static cursor over every row of a result, standing before its first row.
Status keepResultCursor(Session::Impl& session, sql::ResultSet& result, CursorInfo* info) {
    // What the rows will take, known before they are made: the connection's limit refuses
    // them, not the machine's memory.
    uint64_t bytes = result.rows.size() * (sizeof(Record) + result.layout->recordLength);
    for (size_t r = 0; r < result.rows.size(); ++r)
        for (size_t i = 0; i < result.layout->columns.size(); ++i)
            if (record::isBlobType(result.layout->columns[i].type))
                bytes += result.rows[r][i].text.size();
    Status room = session.roomFor(bytes);
    if (!room.ok()) return room;
    std::shared_ptr<Table> table = Table::withLayout(result.layout);
    {
        WriterLock write(table->mutex());  // the session's own: nobody waits for it
        for (size_t r = 0; r < result.rows.size(); ++r) {
            std::string image;
            BlobWrites blobs;
            Status s =
                imageFromRow(table->columns(), table->blankImage(), result.rows[r], &image, &blobs);
            uint32_t written = 0;
            if (s.ok()) s = table->write(0, std::move(image), blobs, &written);
            if (!s.ok()) return s;
        }
    }
    auto cursor = std::make_unique<Cursor>();
    cursor->info = *info;
    cursor->table = std::move(table);
    cursor->readOnly = true;
    cursor->heldBytes = bytes;
    Cursor& kept = *cursor;
    session.addCursor(std::move(cursor));
    ReaderLock read(kept.table->mutex());
    engine::gotoBof(kept);
    *info = kept.info;
    return Status::success();
}

}  // namespace

void Session::watchClient(std::function<bool()> gone) {
    impl_->clientGone = std::move(gone);
}

Status Session::executeSql(std::string_view text, const std::vector<SqlParam>& params,
                           uint32_t prefetchRows, SqlResult* out) {
    *out = SqlResult{};
    std::vector<Value> values;
    Status s = bindParameters(text, params, &values);
    if (!s.ok()) return s;
    SessionCatalog catalog(*impl_);
    sql::ExecuteResult result;
    s = sql::execute(catalog, text, values, &result);
    if (!s.ok()) return s;
    out->rowsAffected = result.rowsAffected;
    out->returnsRows = result.hasCursor;
    if (!result.hasCursor) return s;
    // The first rows as a fresh cursor moving forward would see them: no filter is set yet.
    const sql::ResultSet& rows = result.result;
    out->recordCount = static_cast<uint32_t>(rows.rows.size());
    out->rows.resize(std::min(prefetchRows, out->recordCount));
    int64_t nextAutoInc = 1;
    for (uint32_t r = 0; r < out->rows.size() && s.ok(); ++r)
        s = describeResultRow(*rows.layout, rows.rows[r], r + 1, &nextAutoInc, &out->rows[r]);
    if (!s.ok()) return s;
    out->cursor.handleType = ADS_CURSOR;
    out->cursor.openOptions = ADS_READONLY;
    out->cursor.layout = rows.layout;
    // Every row is in the answer: the client moves among them, and no cursor is kept.
    if (out->rows.size() == out->recordCount) return s;
    return keepResultCursor(*impl_, result.result, &out->cursor);
}

}  // namespace engine
