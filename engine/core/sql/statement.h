// statement.h: parsed SQL statements, as the executor runs them.
#ifndef BREVANTIS_ENGINE_CORE_SQL_STATEMENT_H
#define BREVANTIS_ENGINE_CORE_SQL_STATEMENT_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/sql/catalog.h"
#include "engine/expr/node.h"
#include "engine/record/value.h"

namespace engine::sql {

using NodePtr = std::unique_ptr<expr::Node>;

// A procedure and its arguments, constant expressions. A literal argument is kept as its
// value; any other is kept as a tree, evaluated into its place when the call runs.
struct ProcedureCall {
    std::string_view name;      // a view of the statement text
    std::vector<NodePtr> args;  // constant expressions, in order
};

struct SelectItem {
    enum class Kind { Star, QualifiedStar, Expression } kind = Kind::Expression;
    std::string qualifier;  // QualifiedStar: the X of X.*
    NodePtr expr;           // Expression
    std::string alias;      // AS name, may be empty
};

// One statement; which members are used depends on `kind`.
struct Statement {
    enum class Kind {
        CreateTable,
        CreateIndex,
        DropTable,
        Insert,
        Execute,
        Select
    } kind = Kind::Select;
    size_t offset = 0;                         // where it starts in the text
    std::string table;                         // every kind but Execute (Select: FROM table)
    std::string name;                          // CreateIndex: the index name
    std::vector<ColumnDef> columns;            // CreateTable
    std::vector<std::string> columnNames;      // CreateIndex keys; Insert column list
    bool unique = false, descending = false;   // CreateIndex
    std::vector<std::vector<NodePtr>> values;  // Insert: one list per row
    ProcedureCall procedure;                   // Execute; Select FROM (EXECUTE PROCEDURE ...)
    bool fromProcedure = false;                // Select
    std::string alias;                         // Select: the FROM source's alias
    std::vector<SelectItem> items;             // Select
    NodePtr where;                             // Select, may be null
};

// The statements of a text, in order.
using StatementList = std::vector<Statement>;

// Parses every statement of `text`, which must outlive the statements (they may hold views
// of it). `param` gives the value of each :name parameter. REQUIRES: out is empty.
// On a syntax error returns AE_SQL_ERROR (native kNativeSyntax, or kNativeNoStatement
// for a text without any statement) and leaves *out unspecified.
Status parseStatements(std::string_view text, const std::vector<std::string>& paramNames,
                       const std::vector<Value>& params, StatementList* out);

}  // namespace engine::sql

#endif  // BREVANTIS_ENGINE_CORE_SQL_STATEMENT_H
