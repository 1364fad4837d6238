// node.h: the compiled expression tree shared by the filter language and SQL.
//
// Parsing builds a tree whose column references are still names; bindTree() resolves them
// and gives every node its static type, so that evaluation needs no name lookup and no
// type test that could fail. Evaluation writes into caller-provided Values and reuses
// per-node scratch storage, so a row evaluates without allocating once warmed up.
#ifndef BREVANTIS_ENGINE_EXPR_NODE_H
#define BREVANTIS_ENGINE_EXPR_NODE_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/expr/field_source.h"
#include "engine/expr/values.h"
#include "engine/record/value.h"

namespace engine::expr {

enum class Op : uint8_t {
    Literal,
    Column,
    Name,
    Not,
    Neg,
    And,
    Or,
    Compare,
    Add,
    Sub,
    Mul,
    Div,
    Call,
    IsNull
};
enum class CmpOp : uint8_t { Eq, EqEq, Ne, Lt, Le, Gt, Ge };
enum class Fn : uint8_t {
    Upper,
    Lower,
    RTrim,
    LTrim,
    AllTrim,
    Left,
    Right,
    Substr,
    Len,
    Empty,
    Chr,
    Ctod,
    Ctot,
    Ctots
};

// Deepest tree accepted; deeper input is refused so that evaluation cannot exhaust the stack.
inline constexpr int kMaxDepth = 200;

// Invariant after bindTree(): no Name node remains and `type` is set on every node.
struct Node {
    Op op = Op::Literal;
    CmpOp cmp = CmpOp::Eq;    // Compare
    Fn fn = Fn::Upper;        // Call
    bool negate = false;      // IsNull: IS NOT NULL
    bool textAsDate = false;  // Compare (SQL): a text literal against a date or time is read as one
    Type type = Type::Null;
    int depth = 1;                 // height of the subtree
    size_t offset = 0;             // position in the source text, for messages
    Value literal;                 // Literal
    int column = -1;               // Column: index in the FieldSource
    bool caseInsensitive = false;  // Column: text from a CIChar column
    std::string qualifier;         // Name: "X" of X.Col, may be empty
    std::string name;              // Name: the column name; Call: the function name as written
    std::vector<std::unique_ptr<Node>> kids;
    mutable Value scratch;  // storage for a second operand during evaluation

    // Makes a node and sets its depth from its children; nullptr when too deep.
    static std::unique_ptr<Node> make(Op op, size_t offset,
                                      std::vector<std::unique_ptr<Node>> kids = {});
    static std::unique_ptr<Node> makeLiteral(Value v, size_t offset);
    bool isConstant() const;  // no column or name below it
};

struct EvalContext {
    const FieldSource* row = nullptr;  // may be null for constant trees
    bool exact = true;                 // exact-match setting for "=" on text
    bool sqlNulls = false;             // NULL is unknown (SQL) rather than blank (filters)
};

// Evaluates `node` into `out`. Never throws; a function given a bad argument gives Null.
void evaluate(const Node& node, const EvalContext& ctx, Value& out);

// Logical truth of an evaluated value (Null and non-logicals are false).
inline bool isTrue(const Value& v) {
    return v.kind == Value::Kind::Logical && v.logical;
}

// Failure of parse or bind, with the kind the SQL layer maps to a native error.
struct ExprError {
    enum class Kind { Syntax, UnknownColumn, Type } kind = Kind::Syntax;
    std::string message;
};

// What a name resolves to.
struct ColumnRef {
    int index = -1;
    ColumnType type = ColumnType::String;
};

// Resolves qualifier.name; returns false and fills the error when it cannot.
using Resolver = std::function<bool(const std::string& qualifier, const std::string& name,
                                    ColumnRef* out, ExprError* error)>;

// Resolves names and computes types bottom-up, checking operand and argument types.
// Constant arguments of CTOD/CTOT/CTOTS must be valid date or time texts.
bool bindTree(Node& node, const Resolver& resolve, ExprError* error);

}  // namespace engine::expr

#endif  // BREVANTIS_ENGINE_EXPR_NODE_H
