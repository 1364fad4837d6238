// executor.cpp: runs parsed statements against a Catalog, one after the other.
#include "engine/core/sql/executor.h"

#include <algorithm>
#include <limits>

#include "engine/core/sql/coerce.h"
#include "engine/core/sql/select.h"
#include "engine/core/sql/statement.h"
#include "engine/expr/expr_text.h"
#include "engine/include/engine_api.h"

namespace engine::sql {
namespace {

class Executor {
  public:
    explicit Executor(Catalog& catalog) : catalog_(catalog) {}

    Status run(Statement& s, ExecuteResult* out) {
        *out = ExecuteResult{};
        switch (s.kind) {
            case Statement::Kind::CreateTable:
                return catalog_.createTable(s.table, s.columns);
            case Statement::Kind::CreateIndex:
                return createIndex(s);
            case Statement::Kind::DropTable:
                return mapNotFound(catalog_.dropTable(s.table), s.table);
            case Statement::Kind::Insert:
                return insert(s, out);
            case Statement::Kind::Execute:
                out->hasCursor = true;
                return runProcedure(catalog_, s.procedure, &out->result);
            case Statement::Kind::Select:
                out->hasCursor = true;
                return runSelect(catalog_, s, &out->result);
        }
        return Status::success();
    }

  private:
    Status createIndex(const Statement& s) {
        std::unique_ptr<Table> table;
        Status st = openTableForSql(catalog_, s.table, &table);
        if (!st.ok()) return st;
        for (const std::string& name : s.columnNames) {
            if (columnIndex(table->columns(), name) < 0)
                return sqlError(kNativeUnknownColumn, "column not found: " + name);
        }
        table.reset();
        return mapNotFound(
            catalog_.createIndex(s.name, s.table, s.columnNames, s.unique, s.descending), s.table);
    }

    Status insert(Statement& s, ExecuteResult* out) {
        std::unique_ptr<Table> table;
        Status st = openTableForSql(catalog_, s.table, &table);
        if (!st.ok()) return st;
        const std::vector<ColumnDef>& columns = table->columns();
        // Target column of each value, in statement order.
        std::vector<int> targets;
        if (s.columnNames.empty()) {
            for (size_t i = 0; i < columns.size(); ++i) targets.push_back(static_cast<int>(i));
        } else {
            for (const std::string& name : s.columnNames) {
                int i = columnIndex(columns, name);
                if (i < 0) return sqlError(kNativeUnknownColumn, "column not found: " + name);
                if (std::find(targets.begin(), targets.end(), i) != targets.end())
                    return sqlError(kNativeSyntax, "column named twice: " + name);
                targets.push_back(i);
            }
        }
        int64_t inserted = 0;
        for (auto& values : s.values) {
            if (values.size() != targets.size())
                return sqlError(kNativeSyntax,
                                "the number of values does not match the number of columns");
            Row row(columns.size());
            for (size_t k = 0; k < values.size(); ++k) {
                Value v;
                st = takeConstantValue(*values[k], &v);
                if (st.ok()) st = coerceForColumn(v, columns[targets[k]], &row[targets[k]]);
                if (!st.ok()) return st;
            }
            st = table->insertRow(row);
            if (!st.ok()) return st;
            ++inserted;
        }
        out->rowsAffected = inserted;
        return Status::success();
    }

    Catalog& catalog_;
};

}  // namespace

Status execute(Catalog& catalog, std::string_view text, const std::vector<Value>& params,
               ExecuteResult* out) {
    try {
        *out = ExecuteResult{};
        StatementList statements;
        // Without values every parameter is NULL: their names are not needed.
        std::vector<std::string> names;
        if (!params.empty()) names = parameterNames(text);
        Status st = parseStatements(text, names, params, &statements);
        if (!st.ok()) return st;
        Executor executor(catalog);
        for (size_t i = 0; i < statements.size(); ++i) {
            st = executor.run(statements[i], out);
            if (!st.ok()) return st;
        }
        return Status::success();
    } catch (const std::bad_alloc&) {
        return Status::error(AE_INTERNAL_ERROR, "out of memory while running the statement");
    } catch (const std::exception& e) {
        return Status::error(AE_INTERNAL_ERROR, std::string("internal error: ") + e.what());
    }
}

}  // namespace engine::sql
