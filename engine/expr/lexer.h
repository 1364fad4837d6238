// lexer.h: splits expression and SQL text into tokens.
//
// One lexer serves both languages; the dialect decides the few points where they differ:
// SQL has comments, :name parameters, '' and "" doubling inside literals and '#' starting
// temporary table names; expressions have .T./.AND. style dotted words and '#' as "not
// equal".
#ifndef BREVANTIS_ENGINE_EXPR_LEXER_H
#define BREVANTIS_ENGINE_EXPR_LEXER_H

#include <cstddef>
#include <forward_list>
#include <string>
#include <string_view>

#include "engine/expr/expr_text.h"

namespace engine::expr {

enum class Dialect { Expression, Sql };

enum class TokenKind {
    End,      // end of text
    Name,     // identifier; text = the name (brackets removed)
    Number,   // text = the digits as written
    String,   // text = the value (quotes removed, doubled quotes undone); quote = ' or "
    Dotted,   // .T. .F. .AND. ...; text = the word between the dots, upper-cased
    Param,    // :name; text = the name
    Symbol,   // text = one of = == <> != # < > <= >= + - * / ( ) , ; . !
    Invalid,  // text = what is wrong (unterminated literal, stray character)
};

// A token's text is a view: into the source text, or into the Lexer's own storage when
// it differs from the source (a literal with doubled quotes, a dotted word, a message).
// Either lives as long as the Lexer and the source text.
struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text;
    char quote = 0;     // String: the quote character used
    size_t offset = 0;  // byte offset of the token in the source text

    // Symbol token `symbol`.
    bool is(std::string_view symbol) const { return kind == TokenKind::Symbol && text == symbol; }
    // Name token equal to `word` without regard to ASCII letter case.
    bool isWord(std::string_view word) const {
        return kind == TokenKind::Name && equalsNoCase(text, word);
    }
};

class Lexer {
  public:
    Lexer(std::string_view text, Dialect dialect) : text_(text), dialect_(dialect) {}

    // The next token; End forever once the text is exhausted. Never throws.
    Token next();

  private:
    void skipBlanksAndComments();
    Token lexString(char quote);
    Token lexNumber();
    Token lexName();
    bool lexDotted(Token* out);

    // Keeps `text` for as long as the Lexer lives and answers a view of it.
    std::string_view keep(std::string text);

    std::string_view text_;
    Dialect dialect_;
    size_t pos_ = 0;
    std::forward_list<std::string> kept_;  // a list never moves what it holds
};

}  // namespace engine::expr

#endif  // BREVANTIS_ENGINE_EXPR_LEXER_H
