// parser.h: recursive-descent parser of expressions, for filters and for SQL clauses.
#ifndef BREVANTIS_ENGINE_EXPR_PARSER_H
#define BREVANTIS_ENGINE_EXPR_PARSER_H

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "engine/expr/lexer.h"
#include "engine/expr/node.h"

namespace engine::expr {

// A Lexer with a lookahead of up to kLookahead tokens. A reference from peek() stays valid
// until that token is taken.
class TokenStream {
  public:
    static constexpr size_t kLookahead = 4;

    TokenStream(std::string_view text, Dialect dialect) : lexer_(text, dialect) {}
    // REQUIRES: ahead < kLookahead (else std::out_of_range).
    const Token& peek(size_t ahead = 0) {
        // Parsers peek many times per token: the token already read is returned inline.
        return ahead < size_ ? ring_[(head_ + ahead) % kLookahead] : read(ahead);
    }
    Token take() {
        if (size_ == 0) read(0);
        Token t = ring_[head_];
        head_ = (head_ + 1) % kLookahead;
        --size_;
        return t;
    }

  private:
    const Token& read(size_t ahead);

    Lexer lexer_;
    std::array<Token, kLookahead> ring_;  // size_ tokens from head_, wrapping around
    size_t head_ = 0;
    size_t size_ = 0;
};

struct ParseOptions {
    Dialect dialect = Dialect::Expression;
    // SQL: the value bound to a :name parameter (called once per occurrence).
    std::function<Value(const std::string& name)> param;
};

// Parses one expression from `tokens`, stopping before the first token that cannot
// continue it (the caller checks what follows). Names stay unresolved (Op::Name).
// Returns nullptr and fills *error (kind Syntax) on failure; never throws.
std::unique_ptr<Node> parseExpression(TokenStream& tokens, const ParseOptions& options,
                                      ExprError* error);

// "syntax error at offset N: <what>" for the token `at`.
std::string syntaxMessage(const Token& at, const std::string& what);

}  // namespace engine::expr

#endif  // BREVANTIS_ENGINE_EXPR_PARSER_H
