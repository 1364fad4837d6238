// select.h: SELECT and EXECUTE PROCEDURE, and the helpers every statement shares.
#ifndef BREVANTIS_ENGINE_CORE_SQL_SELECT_H
#define BREVANTIS_ENGINE_CORE_SQL_SELECT_H

#include <memory>
#include <string>
#include <vector>

#include "engine/core/sql/catalog.h"
#include "engine/core/sql/statement.h"
#include "engine/expr/node.h"

namespace engine::sql {

// Opens a table, reporting a missing one as an SQL error (kNativeUnknownTable).
Status openTableForSql(Catalog& catalog, const std::string& name, std::unique_ptr<Table>* out);

// A missing-table answer of the catalog becomes kNativeUnknownTable; others pass through.
Status mapNotFound(Status status, const std::string& table);

// Index of the column named `name` (ASCII letters without regard to case), or -1.
int columnIndex(const std::vector<ColumnDef>& columns, std::string_view name);

// Value of an expression that may not name any column (INSERT values, procedure args).
// Statements run once: the value is taken from the tree, a literal's moved out of its node.
Status takeConstantValue(expr::Node& node, Value* out);

// Runs a procedure into *out, its arguments evaluated first.
Status runProcedure(Catalog& catalog, ProcedureCall& call, ResultSet* out);

// Runs a SELECT into a static result.
Status runSelect(Catalog& catalog, Statement& s, ResultSet* out);

}  // namespace engine::sql

#endif  // BREVANTIS_ENGINE_CORE_SQL_SELECT_H
