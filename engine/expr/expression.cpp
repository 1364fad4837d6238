// expression.cpp: compiling filter expressions and finding their equality terms.
#include "engine/expr/expression.h"

#include "engine/expr/expr_text.h"
#include "engine/expr/node.h"
#include "engine/expr/parser.h"

namespace engine::expr {

Expression::Expression(std::unique_ptr<Node> root) : root_(std::move(root)) {}
Expression::~Expression() = default;
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;

std::unique_ptr<Expression> Expression::compile(std::string_view text, const FieldSource& columns,
                                                std::string* error) {
    try {
        return compileOrThrow(text, columns, error);
    } catch (const std::exception& e) {
        if (error) *error = std::string("cannot compile the expression: ") + e.what();
        return nullptr;
    }
}

std::unique_ptr<Expression> Expression::compileOrThrow(std::string_view text,
                                                       const FieldSource& columns,
                                                       std::string* error) {
    TokenStream tokens(text, Dialect::Expression);
    ExprError e;
    auto root = parseExpression(tokens, ParseOptions{}, &e);
    if (root && tokens.peek().kind != TokenKind::End) {
        e.message = syntaxMessage(tokens.peek(), "operator or end of expression expected");
        root.reset();
    }
    Resolver resolve = [&columns](const std::string&, const std::string& name, ColumnRef* out,
                                  ExprError* err) {
        int i = columns.findColumn(name);
        if (i < 0) {
            err->kind = ExprError::Kind::UnknownColumn;
            err->message = "unknown column \"" + name.substr(0, 128) + "\"";
            return false;
        }
        out->index = i;
        out->type = columns.column(i).type;
        return true;
    };
    if (root && !bindTree(*root, resolve, &e)) root.reset();
    if (!root) {
        if (error) *error = e.message;
        return nullptr;
    }
    return std::unique_ptr<Expression>(new Expression(std::move(root)));
}

bool Expression::matches(const FieldSource& row, bool exact) const {
    expr::evaluate(*root_, EvalContext{&row, exact, false}, result_);
    return isTrue(result_);
}

Value Expression::evaluate(const FieldSource& row, bool exact) const {
    Value v;
    expr::evaluate(*root_, EvalContext{&row, exact, false}, v);
    return v;
}

namespace {

// The column under at most one UPPER/LOWER: its index, and the folding function if any.
bool columnOperand(const Node& n, int* column, const Node** folded, bool* ci) {
    const Node* c = &n;
    *folded = nullptr;
    if (c->op == Op::Call && (c->fn == Fn::Upper || c->fn == Fn::Lower)) {
        *folded = c;
        c = c->kids[0].get();
    }
    if (c->op != Op::Column) return false;
    *column = c->column;
    *ci = c->caseInsensitive;
    return true;
}

bool addTerm(const Node& cmp, bool exact, std::vector<EqualityTerm>* terms) {
    if (cmp.cmp != CmpOp::Eq && cmp.cmp != CmpOp::EqEq) return false;
    for (int side = 0; side < 2; ++side) {
        const Node& colSide = *cmp.kids[side];
        const Node& litSide = *cmp.kids[1 - side];
        EqualityTerm term;
        const Node* folded = nullptr;
        if (!litSide.isConstant() ||
            !columnOperand(colSide, &term.column, &folded, &term.caseInsensitive))
            continue;
        evaluate(litSide, EvalContext{}, term.value);
        // A blank literal also matches empty cells, which a key lookup cannot see.
        if (isEmptyValue(term.value)) return false;
        if (term.value.kind == Value::Kind::String) {
            if (!exact && cmp.cmp == CmpOp::Eq) return false;  // prefix match
            if (folded) {
                // UPPER(col) = "abc" can match nothing; leave that to a scan.
                const std::string& t = term.value.text;
                if (t != (folded->fn == Fn::Upper ? upper1252(t) : lower1252(t))) return false;
                term.caseInsensitive = true;
            }
            term.caseInsensitive = term.caseInsensitive || term.value.caseInsensitive;
        } else if (folded) {
            return false;
        }
        terms->push_back(std::move(term));
        return true;
    }
    return false;
}

bool collectTerms(const Node& n, bool exact, std::vector<EqualityTerm>* terms) {
    if (n.op == Op::And)
        return collectTerms(*n.kids[0], exact, terms) && collectTerms(*n.kids[1], exact, terms);
    if (n.op == Op::Compare) return addTerm(n, exact, terms);
    return false;
}

}  // namespace

std::optional<std::vector<EqualityTerm>> Expression::equalityTerms(bool exact) const {
    std::vector<EqualityTerm> terms;
    if (!collectTerms(*root_, exact, &terms)) return std::nullopt;
    return terms;
}

}  // namespace engine::expr
