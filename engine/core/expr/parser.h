// parser.h: recursive-descent parser of expressions, for filters and for SQL clauses.
#ifndef BREVANTIS_ENGINE_CORE_EXPR_PARSER_H
#define BREVANTIS_ENGINE_CORE_EXPR_PARSER_H

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "expr/lexer.h"
#include "expr/node.h"

namespace engine::expr {

// A Lexer with lookahead.
class TokenStream {
public:
    TokenStream(std::string_view text, Dialect dialect) : lexer_(text, dialect) {}
    const Token& peek(size_t ahead = 0);
    Token take();

private:
    Lexer lexer_;
    std::deque<Token> buffer_;
};

struct ParseOptions {
    Dialect dialect = Dialect::Expression;
    // SQL: the value bound to a :name parameter (called once per occurrence).
    std::function<Value(const std::string& name)> param;
};

// Parses one expression from `tokens`, stopping before the first token that cannot
// continue it (the caller checks what follows). Names stay unresolved (Op::Name).
// Returns nullptr and fills *error (kind Syntax) on failure; never throws.
std::unique_ptr<Node> parseExpression(TokenStream& tokens, const ParseOptions& options, ExprError* error);

// "syntax error at offset N: <what>" for the token `at`.
std::string syntaxMessage(const Token& at, const std::string& what);

}  // namespace engine::expr

#endif  // BREVANTIS_ENGINE_CORE_EXPR_PARSER_H
