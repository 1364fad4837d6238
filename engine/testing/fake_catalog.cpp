// fake_catalog.cpp: in-memory tables and the lock procedures for the SQL tests.
#include "engine/testing/fake_catalog.h"

#include "engine/expr/expr_text.h"
#include "engine/include/engine_api.h"
#include "engine/record/record.h"

namespace engine::sql {
namespace {

std::string key(std::string_view name) {
    return expr::upper1252(expr::trimRight(name));
}

// Appends a row of these values. REQUIRES: as many as the rows' width.
void addRow(ResultSet* out, std::initializer_list<Value> values) {
    std::span<Value> row = out->rows.append();
    std::copy(values.begin(), values.end(), row.begin());
}

class FakeTableHandle : public Table {
  public:
    explicit FakeTableHandle(FakeTable* t) : t_(t) {}
    const std::vector<ColumnDef>& columns() const override { return t_->columns; }
    uint32_t lastRecordNumber() const override { return static_cast<uint32_t>(t_->records.size()); }
    Status readRow(uint32_t recno, Row& row, bool* exists) override {
        *exists = recno >= 1 && recno <= t_->records.size() && t_->records[recno - 1].has_value();
        if (*exists) row = *t_->records[recno - 1];
        return Status::success();
    }
    std::string rowId(uint32_t recno) const override {
        static const char kDigits[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string code(6, 'A');
        for (int i = 5; i >= 0; --i, recno /= 64) code[i] = kDigits[recno % 64];
        return "BAAAAAAAAAAA" + code;
    }
    Status insertRow(const Row& values) override {
        t_->records.push_back(values);
        return Status::success();
    }

  private:
    FakeTable* t_;
};

ColumnDef text(const char* name, uint32_t length) {
    ColumnDef c;
    c.name = name;
    c.type = ColumnType::String;
    c.length = length;
    return c;
}

ColumnDef integer(const char* name) {
    ColumnDef c;
    c.name = name;
    c.type = ColumnType::Integer;
    c.length = 4;
    return c;
}

}  // namespace

FakeTable* FakeCatalog::find(std::string_view name) {
    auto it = tables.find(key(name));
    return it == tables.end() ? nullptr : &it->second;
}

Status FakeCatalog::openTable(std::string_view name, std::unique_ptr<Table>* out) {
    FakeTable* t = find(name);
    if (!t) return Status::error(AE_TABLE_NOT_IN_DICTIONARY, "no table " + std::string(name));
    *out = std::make_unique<FakeTableHandle>(t);
    return Status::success();
}

Status FakeCatalog::createTable(std::string_view name, const std::vector<ColumnDef>& columns) {
    if (find(name)) return Status::error(AE_INVALID_ARGUMENT, "table exists");
    tables[key(name)] = FakeTable{columns, {}, {}};
    return Status::success();
}

Status FakeCatalog::createIndex(std::string_view name, std::string_view table,
                                const std::vector<std::string>& columns, bool unique,
                                bool descending) {
    FakeTable* t = find(table);
    if (!t) return Status::error(AE_FILE_NOT_FOUND, "no table");
    t->indexes.push_back(FakeIndex{std::string(name), columns, unique, descending});
    return Status::success();
}

Status FakeCatalog::dropTable(std::string_view name) {
    if (tables.erase(key(name)) == 0) return Status::error(AE_FILE_NOT_FOUND, "no table");
    return Status::success();
}

Status FakeCatalog::executeProcedure(std::string_view name, const Row& args, ResultSet* out) {
    std::string call = std::string(name) + "(";
    for (size_t i = 0; i < args.size(); ++i) {
        if (i) call += ",";
        switch (args[i].kind) {
            case Value::Kind::Integer:
                call += std::to_string(args[i].integer);
                break;
            case Value::Kind::Double:
                call += std::to_string(args[i].real);
                break;
            case Value::Kind::Null:
                call += "NULL";
                break;
            default:
                call += args[i].text;
        }
    }
    calls.push_back(call + ")");
    bool allLocks = expr::equalsNoCase(name, "sp_mgGetAllLocks");
    bool owner = expr::equalsNoCase(name, "sp_mgGetLockOwner");
    if (!allLocks && !owner)
        return sqlError(kNativeUnknownProcedure, "procedure not found: " + std::string(name));
    if (args.size() != (allLocks ? 1u : 2u) || args[0].kind != Value::Kind::String ||
        (owner && args[1].kind != Value::Kind::Integer))
        return sqlError(kNativeBadArguments, "wrong arguments for " + std::string(name));
    const std::vector<int32_t>& held = locks[key(args[0].text)];
    if (allLocks) {
        (void)record::makeResultLayout({integer("LockedRecNo")}, &out->layout);
        out->rows = ResultRows(1);
        for (int32_t r : held) addRow(out, {Value::ofInteger(r)});
        return Status::success();
    }
    (void)record::makeResultLayout(
        {text("UserName", 50), integer("ConnNumber"), text("DictionaryUser", 50),
         text("Address", 30), text("LockType", 15), text("OSUserLoginName", 50),
         text("TSAddress", 30), text("ApplicationID", 70)},
        &out->layout);
    out->rows = ResultRows(out->layout->columns.size());
    for (int32_t r : held) {
        if (r != args[1].integer) continue;
        addRow(out,
               {Value::ofString("POSTE-07"), Value::ofInteger(3), Value::ofString("adssys"),
                Value::ofString("10.0.0.7"), Value::ofString("Record"), Value::ofString("mdupont"),
                Value::ofString("10.0.0.7"), Value::ofString("Facturation")});
    }
    return Status::success();
}

}  // namespace engine::sql
