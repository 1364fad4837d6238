// statement.h: parsed SQL statements, as the executor runs them.
#ifndef BREVANTIS_ENGINE_CORE_SQL_STATEMENT_H
#define BREVANTIS_ENGINE_CORE_SQL_STATEMENT_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/expr/node.h"
#include "engine/core/sql/catalog.h"
#include "engine/record/value.h"

namespace engine::sql {

using NodePtr = std::unique_ptr<expr::Node>;

// A procedure and its arguments, constant expressions. A literal argument is kept as its
// value; any other is kept as a tree, evaluated into its place when the call runs.
struct ProcedureCall {
    std::string_view name;  // a view of the statement text
    Row args;               // in order; a computed argument's is Null until the call runs
    struct Computed {
        size_t arg;  // its place in args
        NodePtr expr;
    };
    std::vector<Computed> computed;  // in argument order
};

struct SelectItem {
    enum class Kind { Star, QualifiedStar, Expression } kind = Kind::Expression;
    std::string qualifier;  // QualifiedStar: the X of X.*
    NodePtr expr;           // Expression
    std::string alias;      // AS name, may be empty
};

// One statement; which members are used depends on `kind`.
struct Statement {
    enum class Kind { CreateTable, CreateIndex, DropTable, Insert, Execute, Select } kind = Kind::Select;
    size_t offset = 0;                          // where it starts in the text
    std::string table;                          // every kind but Execute (Select: FROM table)
    std::string name;                           // CreateIndex: the index name
    std::vector<ColumnDef> columns;             // CreateTable
    std::vector<std::string> columnNames;       // CreateIndex keys; Insert column list
    bool unique = false, descending = false;    // CreateIndex
    std::vector<std::vector<NodePtr>> values;   // Insert: one list per row
    ProcedureCall procedure;                    // Execute; Select FROM (EXECUTE PROCEDURE ...)
    bool fromProcedure = false;                 // Select
    std::string alias;                          // Select: the FROM source's alias
    std::vector<SelectItem> items;              // Select
    NodePtr where;                              // Select, may be null

    // Provided, though every member has its initializer, so that emplace_back() does not
    // zero the whole statement before initializing each member anyway.
    Statement() {}
};

// The statements of a text, in order. Nearly every text holds one: it is kept in place,
// so that a text is parsed without allocating a list for it; further ones in a vector.
// A reference to a statement stays valid until the next append().
class StatementList {
public:
    // A fresh statement at the end of the list.
    Statement& append() {
        return size_++ == 0 ? first_ : more_.emplace_back();
    }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // REQUIRES: i < size().
    Statement& operator[](size_t i) { return i == 0 ? first_ : more_[i - 1]; }

private:
    size_t size_ = 0;
    Statement first_;
    std::vector<Statement> more_;  // the second statement on
};

// Parses every statement of `text`, which must outlive the statements (they may hold views
// of it). `param` gives the value of each :name parameter. REQUIRES: out is empty.
// On a syntax error returns AE_SQL_ERROR (native kNativeSyntax, or kNativeNoStatement
// for a text without any statement) and leaves *out unspecified.
Status parseStatements(std::string_view text, const std::vector<std::string>& paramNames,
                       const std::vector<Value>& params, StatementList* out);

}  // namespace engine::sql

#endif  // BREVANTIS_ENGINE_CORE_SQL_STATEMENT_H
