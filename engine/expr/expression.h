// expression.h: the engine's filter expression language — compile once, evaluate per row.
//
// Used for optimized filters (AOF), plain filters and the single-row evaluation call.
// Language: column names, "..." and '...' literals, numbers, .T. .F. .TRUE. .FALSE.,
// = == <> != # < > <= >=, AND OR NOT and .AND. .OR. .NOT., parentheses, + (string
// concatenation or addition), - (subtraction), and the functions UPPER, LOWER, EMPTY,
// CHR, CTOD, CTOT, CTOTS, TRIM, RTRIM, LTRIM, ALLTRIM, LEFT, RIGHT, SUBSTR, LEN. Names
// and keywords ignore letter case. The dialect is described in engine/doc/sql.md.
#ifndef BREVANTIS_ENGINE_EXPR_EXPRESSION_H
#define BREVANTIS_ENGINE_EXPR_EXPRESSION_H

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/expr/field_source.h"
#include "engine/record/value.h"

namespace engine::expr {

struct Node;  // compiled tree; internal (expr/node.h)

// One (column = literal) term of a conjunction; see Expression::equalityTerms.
struct EqualityTerm {
    int column = -1;               // index in the column set the expression was compiled on
    Value value;                   // the literal, already converted (dates as Julian days)
    bool caseInsensitive = false;  // compare text without regard to letter case
};

class Expression {
  public:
    ~Expression();
    Expression(Expression&&) noexcept;
    Expression& operator=(Expression&&) noexcept;

    // Compiles `text` (Windows-1252) against the columns of `columns`. On success returns
    // the expression; on failure returns nullptr and sets *error to an English message
    // naming what is wrong (unknown column, syntax error and its position). Never throws
    // for any input; nesting deeper than a fixed limit is refused as an error.
    static std::unique_ptr<Expression> compile(std::string_view text, const FieldSource& columns,
                                               std::string* error);

    // Evaluates on the current row of `row` (which must describe the same columns as the
    // compile-time source). `exact` is the exact-match setting: on, "=" compares whole
    // text values; off, only as many characters as the right-hand value has. "==" always
    // compares whole values. A result that is not a logical true (null, error, other kind)
    // counts as false. Not reentrant: one evaluation at a time per Expression.
    bool matches(const FieldSource& row, bool exact) const;

    // Evaluates to a value (any kind); same rules as matches(). An evaluation error (bad
    // argument to a function, mismatched kinds) yields Kind::Null.
    Value evaluate(const FieldSource& row, bool exact) const;

    // When the whole expression is a conjunction of (column = literal) terms, in any
    // nesting of AND and parentheses, with "=" or "==" and the literal on either side
    // (UPPER(col) = UPPER(literal) counts, as case-insensitive), returns them in text order.
    // Returns nullopt otherwise, and also when `exact` is off and a term compares text with
    // "=" (a prefix match, which a whole-value lookup cannot answer).
    // A row matches exactly when, for every term, equalityKey(row value, ci) equals
    // equalityKey(term.value, ci).
    std::optional<std::vector<EqualityTerm>> equalityTerms(bool exact) const;

  private:
    explicit Expression(std::unique_ptr<Node> root);
    static std::unique_ptr<Expression> compileOrThrow(std::string_view text,
                                                      const FieldSource& columns,
                                                      std::string* error);
    std::unique_ptr<Node> root_;
    mutable Value result_;  // reused by matches() so that a row evaluates without allocating
};

// A byte string that is equal for two values exactly when the expression language finds
// them equal with "==": text without its trailing blanks (upper-cased in Windows-1252 when
// `caseInsensitive`), integers and doubles by numeric value, dates, times and timestamps
// by their numbers, logicals by truth; null gives a key of its own. Meant for hash lookups;
// keys are self-delimiting, so the keys of several columns may be concatenated.
std::string equalityKey(const Value& value, bool caseInsensitive);

}  // namespace engine::expr

#endif  // BREVANTIS_ENGINE_EXPR_EXPRESSION_H
