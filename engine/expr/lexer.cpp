// lexer.cpp: tokenizer for expressions and SQL.
#include "engine/expr/lexer.h"

#include <array>
#include <cstdint>

#include "engine/expr/expr_text.h"

namespace engine::expr {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// What each byte may be.
enum CharClass : uint8_t { kStartsName = 1, kContinuesName = 2, kContinuesSqlName = 4, kBlank = 8 };
constexpr std::array<uint8_t, 256> charClasses() {
    std::array<uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        // Letters, '_', '@' and every byte above 127 (accented letters of Windows-1252).
        bool start =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '@' || c >= 0x80;
        bool more = start || (c >= '0' && c <= '9') || c == '$';
        t[c] = static_cast<uint8_t>((start ? kStartsName : 0) |
                                    (more ? kContinuesName | kContinuesSqlName : 0));
    }
    t['#'] = kContinuesSqlName;  // '#' continues a name only in SQL (#Temp); in expressions it
                                 // means "not equal"
    for (char c : {' ', '\t', '\r', '\n', '\f', '\v'}) t[static_cast<unsigned char>(c)] = kBlank;
    return t;
}
constexpr std::array<uint8_t, 256> kCharClasses = charClasses();

uint8_t classOf(char c) {
    return kCharClasses[static_cast<unsigned char>(c)];
}
bool isBlank(char c) {
    return classOf(c) & kBlank;
}
bool isNameStart(char c) {
    return classOf(c) & kStartsName;
}
bool isNameChar(char c, bool sql) {
    return classOf(c) & (sql ? kContinuesSqlName : kContinuesName);
}

// Where the name bytes of `text` from `from` on end.
size_t nameEnd(std::string_view text, size_t from, Dialect dialect) {
    while (from < text.size() && isNameChar(text[from], dialect == Dialect::Sql)) ++from;
    return from;
}

// Length of the symbol at `s` (with `left` > 0 bytes from there to the end of the text):
// == <> != <= >= first, then one of =#<>+-*/(),;.!  0 when it starts with none.
size_t symbolLength(const char* s, size_t left) {
    const char c = s[0];
    const char d = left > 1 ? s[1] : '\0';
    switch (c) {
        case '=':
            return d == '=' ? 2 : 1;
        case '<':
            return d == '>' || d == '=' ? 2 : 1;
        case '>':
            return d == '=' ? 2 : 1;
        case '!':
            return d == '=' ? 2 : 1;
        case '#':
        case '+':
        case '-':
        case '*':
        case '/':
        case '(':
        case ')':
        case ',':
        case ';':
        case '.':
            return 1;
        default:
            return 0;
    }
}

}  // namespace

void Lexer::skipBlanksAndComments() {
    const char* const s = text_.data();
    const size_t n = text_.size();
    size_t p = pos_;
    while (p < n) {
        char c = s[p];
        if (isBlank(c)) {
            ++p;
            continue;
        }
        if ((c != '/' && c != '-') || dialect_ != Dialect::Sql || p + 1 >= n) break;
        char d = s[p + 1];
        if ((c == '/' && d == '/') || (c == '-' && d == '-')) {
            while (p < n && s[p] != '\n') ++p;
        } else if (c == '/' && d == '*') {
            size_t end = text_.find("*/", p + 2);
            p = end == std::string_view::npos ? n : end + 2;
        } else {
            break;
        }
    }
    pos_ = p;
}

std::string_view Lexer::keep(std::string text) {
    return kept_.emplace_front(std::move(text));
}

Token Lexer::lexString(char quote) {
    const size_t start = pos_;
    std::string value;  // made only when a doubled quote makes the value differ from the source
    bool copied = false;
    for (size_t from = start + 1;;) {
        size_t end = text_.find(quote, from);
        if (end == std::string_view::npos) break;
        pos_ = end + 1;
        // SQL writes a quote inside a literal by doubling it.
        if (dialect_ == Dialect::Sql && pos_ < text_.size() && text_[pos_] == quote) {
            value.append(text_.substr(from, end + 1 - from));  // up to and with one quote
            copied = true;
            from = ++pos_;
            continue;
        }
        if (!copied) return Token{TokenKind::String, text_.substr(from, end - from), quote, start};
        value.append(text_.substr(from, end - from));
        return Token{TokenKind::String, keep(std::move(value)), quote, start};
    }
    pos_ = text_.size();
    return Token{TokenKind::Invalid, "unterminated literal", 0, start};
}

Token Lexer::lexNumber() {
    const char* const s = text_.data();
    const size_t n = text_.size();
    const size_t start = pos_;
    size_t p = start;
    while (p < n && isDigit(s[p])) ++p;
    if (p + 1 < n && s[p] == '.' && isDigit(s[p + 1])) {
        ++p;
        while (p < n && isDigit(s[p])) ++p;
    } else if (p < n && s[p] == '.' && start < p && !(p + 1 < n && isNameStart(s[p + 1]))) {
        ++p;  // "12." is a number; "12.AND." is not
    }
    if (p < n && (s[p] == 'e' || s[p] == 'E')) {
        size_t save = p++;
        if (p < n && (s[p] == '+' || s[p] == '-')) ++p;
        if (p < n && isDigit(s[p])) {
            while (p < n && isDigit(s[p])) ++p;
        } else {
            p = save;
        }
    }
    pos_ = p;
    return Token{TokenKind::Number, std::string_view(s + start, p - start), 0, start};
}

Token Lexer::lexName() {
    const size_t start = pos_;
    pos_ = nameEnd(text_, start, dialect_);
    return Token{TokenKind::Name, std::string_view(text_.data() + start, pos_ - start), 0, start};
}

// Expression dialect: ".word." becomes one Dotted token.
bool Lexer::lexDotted(Token* out) {
    size_t p = pos_ + 1;
    while (p < text_.size() &&
           ((text_[p] >= 'a' && text_[p] <= 'z') || (text_[p] >= 'A' && text_[p] <= 'Z')))
        ++p;
    if (p == pos_ + 1 || p >= text_.size() || text_[p] != '.') return false;
    std::string word;
    for (size_t i = pos_ + 1; i < p; ++i)
        word += static_cast<char>(cp1252::upper(static_cast<unsigned char>(text_[i])));
    *out = Token{TokenKind::Dotted, keep(std::move(word)), 0, pos_};
    pos_ = p + 1;
    return true;
}

Token Lexer::next() {
    skipBlanksAndComments();
    if (pos_ >= text_.size()) return Token{TokenKind::End, {}, 0, text_.size()};
    char c = text_[pos_];
    size_t start = pos_;
    if (isNameStart(c)) return lexName();
    if (c == '\'' || c == '"') return lexString(c);
    if (isDigit(c) || (c == '.' && pos_ + 1 < text_.size() && isDigit(text_[pos_ + 1])))
        return lexNumber();
    if (dialect_ == Dialect::Sql) {
        if (c == '#' && pos_ + 1 < text_.size() && isNameChar(text_[pos_ + 1], true))
            return lexName();
        if (c == '[') {
            size_t end = text_.find(']', pos_ + 1);
            if (end == std::string_view::npos)
                return Token{TokenKind::Invalid, "unterminated [name]", 0, start};
            pos_ = end + 1;
            return Token{TokenKind::Name, text_.substr(start + 1, end - start - 1), 0, start};
        }
        if (c == ':' && pos_ + 1 < text_.size() && isNameChar(text_[pos_ + 1], true)) {
            ++pos_;
            Token t = lexName();
            t.kind = TokenKind::Param;
            t.offset = start;
            return t;
        }
    } else if (c == '.') {
        Token t;
        if (lexDotted(&t)) return t;
    }
    if (size_t n = symbolLength(text_.data() + pos_, text_.size() - pos_); n > 0) {
        pos_ += n;
        return Token{TokenKind::Symbol, std::string_view(text_.data() + start, n), 0, start};
    }
    ++pos_;
    return Token{TokenKind::Invalid, keep(std::string("unexpected character '") + c + "'"), 0,
                 start};
}

}  // namespace engine::expr
