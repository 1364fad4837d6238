// parser.cpp: precedence-climbing parser shared by the filter language and SQL.
//
// Precedence, lowest first: OR; AND; NOT; comparisons and IS [NOT] NULL; + -; * /;
// unary minus; primaries (literals, names, X.name, calls, parentheses).
#include "engine/expr/parser.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <stdexcept>

#include "engine/expr/expr_text.h"

namespace engine::expr {

const Token& TokenStream::read(size_t ahead) {
    if (ahead >= kLookahead) throw std::out_of_range("token lookahead too far");
    for (; size_ <= ahead; ++size_) ring_[(head_ + size_) % kLookahead] = lexer_.next();
    return ring_[(head_ + ahead) % kLookahead];
}

std::string syntaxMessage(const Token& at, const std::string& what) {
    std::string m = "syntax error at offset " + std::to_string(at.offset) + ": " + what;
    if (at.kind == TokenKind::Invalid)
        m.append(" (").append(at.text).append(")");
    else if (at.kind == TokenKind::End)
        m += " (end of text)";
    else
        m.append(" (near '").append(at.text.substr(0, 40)).append("')");
    return m;
}

namespace {

struct FnName {
    const char* name;
    Fn fn;
    bool sql;   // available in SQL
    bool expr;  // available in filter expressions
};

// SQL's TRIM removes blanks on both sides; the filter language's only trailing ones.
constexpr FnName kFunctions[] = {
    {"UPPER", Fn::Upper, true, true},      {"LOWER", Fn::Lower, true, true},
    {"UCASE", Fn::Upper, true, false},     {"LCASE", Fn::Lower, true, false},
    {"TRIM", Fn::AllTrim, true, false},    {"TRIM", Fn::RTrim, false, true},
    {"RTRIM", Fn::RTrim, true, true},      {"LTRIM", Fn::LTrim, true, true},
    {"ALLTRIM", Fn::AllTrim, false, true}, {"LEFT", Fn::Left, true, true},
    {"RIGHT", Fn::Right, true, true},      {"SUBSTRING", Fn::Substr, true, true},
    {"SUBSTR", Fn::Substr, true, true},    {"LEN", Fn::Len, false, true},
    {"LENGTH", Fn::Len, true, false},      {"CHAR_LENGTH", Fn::Len, true, false},
    {"EMPTY", Fn::Empty, false, true},     {"CHR", Fn::Chr, false, true},
    {"CHAR", Fn::Chr, true, false},        {"CTOD", Fn::Ctod, false, true},
    {"CTOT", Fn::Ctot, false, true},       {"CTOTS", Fn::Ctots, false, true},
};

// A number token's value: whole numbers that fit are integers; the others, and those that
// do not fit, doubles. False when it is out of a double's range. REQUIRES: *out is Null,
// so that only its kind and number need writing.
bool numberValue(std::string_view text, Value* out) {
    auto integer = [out](long long v) {
        out->kind = Value::Kind::Integer;
        out->integer = v;
        return true;
    };
    if (text.find_first_of(".eE") == std::string_view::npos) {
        long long v = 0;
        if (std::from_chars(text.data(), text.data() + text.size(), v).ec == std::errc())
            return integer(v);
    }
    const std::string digits(text);  // strtod reads a terminated string
    errno = 0;
    double d = std::strtod(digits.c_str(), nullptr);
    if (errno != 0) return false;
    out->kind = Value::Kind::Double;
    out->real = d;
    return true;
}

// Operator levels, loosest first. NOT is a prefix between AND and the comparisons, a sign
// a prefix tighter than * and /; the others are binary, left-associative but for the
// comparisons (IS [NOT] NULL included), of which an operand holds at most one.
enum Level { kOr = 1, kAnd, kNot, kCompare, kAdd, kMul, kSign };

// A binary operator (or IS) found after an operand.
struct Binary {
    Level level;
    Op op;
    CmpOp cmp = CmpOp::Eq;  // kCompare with Op::Compare
};

class Parser {
  public:
    Parser(TokenStream& t, const ParseOptions& o, ExprError* e) : t_(t), o_(o), e_(e) {}

    // A whole expression.
    std::unique_ptr<Node> parseAll() { return parseLevel(kOr); }

  private:
    bool sql() const { return o_.dialect == Dialect::Sql; }

    // Word operators: AND, OR, NOT in both languages; .AND. .OR. .NOT. in filters.
    bool isKeyword(std::string_view word) {
        const Token& t = t_.peek();
        if (t.isWord(word)) return true;
        return !sql() && t.kind == TokenKind::Dotted && t.text == word;
    }

    std::unique_ptr<Node> error(const Token& at, const std::string& what) {
        if (e_->message.empty()) {
            e_->kind = ExprError::Kind::Syntax;
            e_->message = syntaxMessage(at, what);
        }
        return nullptr;
    }

    std::unique_ptr<Node> tooDeep(size_t offset) {
        Token at;
        at.offset = offset;
        at.kind = TokenKind::Symbol;
        return error(at, "expression nested too deeply");
    }

    std::unique_ptr<Node> binary(Op op, size_t at, std::unique_ptr<Node> l,
                                 std::unique_ptr<Node> r) {
        if (!l || !r) return nullptr;
        std::vector<std::unique_ptr<Node>> kids;
        kids.push_back(std::move(l));
        kids.push_back(std::move(r));
        auto n = Node::make(op, at, std::move(kids));
        return n ? std::move(n) : tooDeep(at);
    }

    std::unique_ptr<Node> unary(Op op, size_t at, std::unique_ptr<Node> k) {
        if (!k) return nullptr;
        std::vector<std::unique_ptr<Node>> kids;
        kids.push_back(std::move(k));
        auto n = Node::make(op, at, std::move(kids));
        return n ? std::move(n) : tooDeep(at);
    }

    // An expression of operators at `lowest` or tighter. Each operand is read once and then
    // the operators after it, rather than through a function per level: most operands, such
    // as a literal argument, are followed by no operator at all.
    std::unique_ptr<Node> parseLevel(Level lowest) {
        Level formed = kSign;  // the level of the operator that made `left`
        auto left = parseOperand(lowest, &formed);
        Binary b;
        // An operator takes `left` as its operand when a tighter one made it, or the same
        // one and it associates to the left.
        while (left && nextBinary(&b) && b.level >= lowest &&
               (formed > b.level || (formed == b.level && b.level != kCompare))) {
            left = b.level == kCompare ? comparison(std::move(left), b)
                                       : operation(std::move(left), b);
            formed = b.level;
        }
        return left;
    }

    // A left operand and its binary operator, + - * / AND OR, with the right operand.
    std::unique_ptr<Node> operation(std::unique_ptr<Node> left, const Binary& b) {
        size_t at = t_.take().offset;
        return binary(b.op, at, std::move(left), parseLevel(static_cast<Level>(b.level + 1)));
    }

    // A prefixed operand (NOT, where `lowest` admits it, or a sign) or a primary.
    // Only a word or a symbol can be a prefix: a literal goes straight to parsePrimary.
    std::unique_ptr<Node> parseOperand(Level lowest, Level* formed) {
        const Token& t = t_.peek();
        bool isNot = false;
        if (t.kind == TokenKind::Name || t.kind == TokenKind::Dotted) {
            isNot = lowest <= kNot && isKeyword("NOT");
        } else if (t.kind == TokenKind::Symbol) {
            isNot = lowest <= kNot && !sql() && t.is("!");
            if (!isNot && (t.is("-") || t.is("+"))) return prefixed(kSign);
        }
        if (isNot) {
            *formed = kNot;
            return prefixed(kNot);
        }
        return parsePrimary();
    }

    // NOT or a sign, and its operand; a + sign leaves the operand as it is.
    std::unique_ptr<Node> prefixed(Level operand) {
        Token op = t_.take();
        if (++depth_ > kMaxDepth) return tooDeep(op.offset);
        auto k = parseLevel(operand);
        --depth_;
        if (operand == kNot) return unary(Op::Not, op.offset, std::move(k));
        return op.text == "-" ? unary(Op::Neg, op.offset, std::move(k)) : std::move(k);
    }

    // Whether the next token is a binary operator (or IS), and which.
    bool nextBinary(Binary* b) {
        const Token& t = t_.peek();
        if (t.kind == TokenKind::Symbol) {
            switch (t.text[0]) {
                case '+':
                    *b = {kAdd, Op::Add};
                    return true;
                case '-':
                    *b = {kAdd, Op::Sub};
                    return true;
                case '*':
                    *b = {kMul, Op::Mul};
                    return true;
                case '/':
                    *b = {kMul, Op::Div};
                    return true;
                default:
                    *b = {kCompare, Op::Compare};
                    return comparisonOperator(t, &b->cmp);
            }
        }
        if (isKeyword("OR"))
            *b = {kOr, Op::Or};
        else if (isKeyword("AND"))
            *b = {kAnd, Op::And};
        else if (sql() && t.isWord("IS"))
            *b = {kCompare, Op::IsNull};
        else
            return false;
        return true;
    }

    bool comparisonOperator(const Token& t, CmpOp* op) {
        const std::string_view s = t.text;
        const char second = s.size() > 1 ? s[1] : '\0';
        switch (s[0]) {
            case '=':
                *op = second == '=' ? CmpOp::EqEq : CmpOp::Eq;
                break;
            case '<':
                *op = second == '>' ? CmpOp::Ne : second == '=' ? CmpOp::Le : CmpOp::Lt;
                break;
            case '>':
                *op = second == '=' ? CmpOp::Ge : CmpOp::Gt;
                break;
            case '#':
                *op = CmpOp::Ne;
                break;
            case '!':
                if (second != '=') return false;
                *op = CmpOp::Ne;
                break;
            default:
                return false;
        }
        // SQL's "=" always compares whole values; "==" and "#" are filter syntax.
        if (sql() && (*op == CmpOp::EqEq || s == "#")) return false;
        if (sql() && *op == CmpOp::Eq) *op = CmpOp::EqEq;
        return true;
    }

    // A left operand and a comparison operator or IS, with what follows them.
    std::unique_ptr<Node> comparison(std::unique_ptr<Node> left, const Binary& b) {
        size_t at = t_.take().offset;
        if (b.op == Op::Compare) {
            auto n = binary(Op::Compare, at, std::move(left), parseLevel(kAdd));
            if (n) {
                n->cmp = b.cmp;
                n->textAsDate = sql();
            }
            return n;
        }
        bool negate = false;
        if (t_.peek().isWord("NOT")) {
            t_.take();
            negate = true;
        }
        if (!t_.peek().isWord("NULL")) return error(t_.peek(), "NULL expected after IS");
        t_.take();
        auto n = unary(Op::IsNull, at, std::move(left));
        if (n) n->negate = negate;
        return n;
    }

    std::unique_ptr<Node> number(const Token& t) {
        Value v;
        if (!numberValue(t.text, &v)) return error(t, "number out of range");
        return Node::makeLiteral(std::move(v), t.offset);
    }

    std::unique_ptr<Node> literalWord(const Token& t) {
        const std::string_view w = t.text;
        if (w == "T" || w == "TRUE" || w == "Y")
            return Node::makeLiteral(Value::ofLogical(true), t.offset);
        if (w == "F" || w == "FALSE" || w == "N")
            return Node::makeLiteral(Value::ofLogical(false), t.offset);
        return error(t, "unexpected ." + std::string(w) + ".");
    }

    std::unique_ptr<Node> call(const Token& name) {
        const FnName* found = nullptr;
        for (const FnName& f : kFunctions) {
            if ((sql() ? f.sql : f.expr) && equalsNoCase(name.text, f.name)) found = &f;
        }
        if (!found) return error(name, "unknown function " + std::string(name.text.substr(0, 40)));
        t_.take();  // "("
        if (++depth_ > kMaxDepth) return tooDeep(name.offset);
        std::vector<std::unique_ptr<Node>> args;
        if (!t_.peek().is(")")) {
            for (;;) {
                auto a = parseAll();
                if (!a) return nullptr;
                args.push_back(std::move(a));
                if (!t_.peek().is(",")) break;
                t_.take();
            }
        }
        --depth_;
        if (!t_.peek().is(")")) return error(t_.peek(), "')' expected");
        t_.take();
        auto n = Node::make(Op::Call, name.offset, std::move(args));
        if (!n) return tooDeep(name.offset);
        n->fn = found->fn;
        n->name = found->name;
        return n;
    }

    std::unique_ptr<Node> name(const Token& first) {
        auto n = Node::make(Op::Name, first.offset);
        n->name = first.text;
        if (sql() && t_.peek().is(".") && t_.peek(1).kind == TokenKind::Name) {
            t_.take();
            n->qualifier = n->name;
            n->name = t_.take().text;
        }
        return n;
    }

    std::unique_ptr<Node> parsePrimary() {
        const Token& t = t_.peek();
        switch (t.kind) {
            case TokenKind::Number:
                return number(t_.take());
            case TokenKind::String: {
                Token s = t_.take();
                auto n = Node::makeLiteral(Value::ofString(std::string(s.text)), s.offset);
                // A double-quoted SQL word may also name a column: bind decides.
                if (sql() && s.quote == '"') n->name = s.text;
                return n;
            }
            case TokenKind::Dotted:
                return literalWord(t_.take());
            case TokenKind::Param: {
                Token p = t_.take();
                return Node::makeLiteral(o_.param ? o_.param(std::string(p.text)) : Value::null(),
                                         p.offset);
            }
            case TokenKind::Name: {
                if (sql() && (t.isWord("NULL")))
                    return Node::makeLiteral(Value::null(), t_.take().offset);
                if (sql() && t.isWord("TRUE"))
                    return Node::makeLiteral(Value::ofLogical(true), t_.take().offset);
                if (sql() && t.isWord("FALSE"))
                    return Node::makeLiteral(Value::ofLogical(false), t_.take().offset);
                if (t.isWord("AND") || t.isWord("OR") || t.isWord("NOT"))
                    return error(t, "operand expected");
                Token word = t_.take();
                if (t_.peek().is("(")) return call(word);
                return name(word);
            }
            case TokenKind::Symbol:
                if (t.is("(")) {
                    size_t at = t_.take().offset;
                    if (++depth_ > kMaxDepth) return tooDeep(at);
                    auto inner = parseAll();
                    --depth_;
                    if (!inner) return nullptr;
                    if (!t_.peek().is(")")) return error(t_.peek(), "')' expected");
                    t_.take();
                    return inner;
                }
                return error(t, "operand expected");
            default:
                return error(t, "operand expected");
        }
    }

    TokenStream& t_;
    const ParseOptions& o_;
    ExprError* e_;
    int depth_ = 0;
};

}  // namespace

std::unique_ptr<Node> parseExpression(TokenStream& tokens, const ParseOptions& options,
                                      ExprError* error) {
    error->message.clear();
    Parser p(tokens, options, error);
    auto n = p.parseAll();
    if (!n && error->message.empty()) {
        error->kind = ExprError::Kind::Syntax;
        error->message = syntaxMessage(tokens.peek(), "invalid expression");
    }
    return n;
}

}  // namespace engine::expr
