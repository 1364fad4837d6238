// node.cpp: construction, binding (name resolution, type checking) and evaluation of trees.
#include "engine/expr/node.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/expr/expr_text.h"

namespace engine::expr {

std::unique_ptr<Node> Node::make(Op op, size_t offset, std::vector<std::unique_ptr<Node>> kids) {
    int depth = 0;
    for (const auto& k : kids) depth = std::max(depth, k->depth);
    if (depth + 1 > kMaxDepth) return nullptr;
    auto n = std::make_unique<Node>();
    n->op = op;
    n->offset = offset;
    n->depth = depth + 1;
    n->kids = std::move(kids);
    return n;
}

// A leaf needs none of make()'s work on children: most trees are mostly leaves.
std::unique_ptr<Node> Node::makeLiteral(Value v, size_t offset) {
    auto n = std::make_unique<Node>();
    n->op = Op::Literal;
    n->offset = offset;
    n->type = typeOfValue(v);
    n->literal = std::move(v);
    return n;
}

bool Node::isConstant() const {
    if (op == Op::Column || op == Op::Name) return false;
    return std::all_of(kids.begin(), kids.end(), [](const auto& k) { return k->isConstant(); });
}

// ---- binding ----

namespace {

struct FnSignature {
    int minArgs, maxArgs;
    Type args[3];
    Type result;
};

// Type::Null in an argument slot accepts any type.
FnSignature signatureOf(Fn fn) {
    const Type S = Type::String, N = Type::Number, A = Type::Null;
    switch (fn) {
        case Fn::Upper:
        case Fn::Lower:
        case Fn::RTrim:
        case Fn::LTrim:
        case Fn::AllTrim:
            return {1, 1, {S}, S};
        case Fn::Left:
        case Fn::Right:
            return {2, 2, {S, N}, S};
        case Fn::Substr:
            return {2, 3, {S, N, N}, S};
        case Fn::Len:
            return {1, 1, {S}, N};
        case Fn::Empty:
            return {1, 1, {A}, Type::Logical};
        case Fn::Chr:
            return {1, 1, {N}, S};
        case Fn::Ctod:
            return {1, 1, {S}, Type::Date};
        case Fn::Ctot:
            return {1, 1, {S}, Type::Time};
        case Fn::Ctots:
            return {1, 1, {S}, Type::TimeStamp};
    }
    return {0, 0, {}, Type::Null};
}

bool fail(ExprError* e, ExprError::Kind kind, std::string message) {
    e->kind = kind;
    e->message = std::move(message);
    return false;
}

bool typeError(ExprError* e, const Node& n, const std::string& what) {
    return fail(e, ExprError::Kind::Type, what + " at offset " + std::to_string(n.offset));
}

// Constant date and time arguments are checked once here rather than silently
// matching nothing at every row.
bool checkConversionArgument(const Node& n, ExprError* e) {
    if (n.op != Op::Call || (n.fn != Fn::Ctod && n.fn != Fn::Ctot && n.fn != Fn::Ctots))
        return true;
    if (!n.kids[0]->isConstant()) return true;
    Value v;
    evaluate(n, EvalContext{}, v);
    if (!v.isNull()) return true;
    return typeError(e, n, "invalid date or time text for " + n.name);
}

bool bindCall(Node& n, ExprError* e) {
    FnSignature sig = signatureOf(n.fn);
    int argc = static_cast<int>(n.kids.size());
    if (argc < sig.minArgs || argc > sig.maxArgs)
        return fail(
            e, ExprError::Kind::Syntax,
            "wrong number of arguments for " + n.name + " at offset " + std::to_string(n.offset));
    for (int i = 0; i < argc; ++i) {
        Type want = sig.args[i], got = n.kids[i]->type;
        if (want != Type::Null && got != Type::Null && got != want)
            return typeError(e, n,
                             std::string("argument ") + std::to_string(i + 1) + " of " + n.name +
                                 " must be " + typeName(want) + ", not " + typeName(got));
    }
    n.type = sig.result;
    return checkConversionArgument(n, e);
}

bool isDateLike(Type t) {
    return t == Type::Date || t == Type::TimeStamp;
}

bool bindArithmetic(Node& n, ExprError* e) {
    Type l = n.kids[0]->type, r = n.kids[1]->type;
    if (l == Type::Null) l = r;
    if (r == Type::Null) r = l;
    if (n.op == Op::Add) {
        if (l == r && (l == Type::String || l == Type::Number || l == Type::Null))
            n.type = l;
        else if (isDateLike(l) && r == Type::Number)
            n.type = l;
        else
            return typeError(e, n,
                             std::string("cannot add ") + typeName(l) + " and " + typeName(r));
        return true;
    }
    if (n.op == Op::Sub && isDateLike(l) && r == Type::Number)
        n.type = l;
    else if (n.op == Op::Sub && l == Type::Date && r == Type::Date)
        n.type = Type::Number;
    else if ((l == Type::Number || l == Type::Null) && (r == Type::Number || r == Type::Null))
        n.type = Type::Number;
    else
        return typeError(e, n, std::string("arithmetic on ") + typeName(l) + " and " + typeName(r));
    return true;
}

bool isLogicalOrNull(Type t) {
    return t == Type::Logical || t == Type::Null;
}

// SQL compares a date, time or timestamp with a text literal by reading the text as one.
bool readTextAsDate(Node& cmp, ExprError* e) {
    for (int side = 0; side < 2; ++side) {
        Node& lit = *cmp.kids[side];
        Type other = cmp.kids[1 - side]->type;
        if (lit.op != Op::Literal || lit.literal.kind != Value::Kind::String) continue;
        if (other != Type::Date && other != Type::Time && other != Type::TimeStamp) continue;
        int32_t jd = 0, ms = 0;
        bool ok = other == Type::Date   ? parseDate(lit.literal.text, &jd)
                  : other == Type::Time ? parseTime(lit.literal.text, &ms)
                                        : parseTimeStamp(lit.literal.text, &jd, &ms);
        if (!ok) return typeError(e, lit, "invalid " + std::string(typeName(other)) + " text");
        lit.literal = other == Type::Date   ? Value::ofDate(jd)
                      : other == Type::Time ? Value::ofTime(ms)
                                            : Value::ofTimeStamp(jd, ms);
        lit.type = other;
        lit.name.clear();
    }
    return true;
}

}  // namespace

bool bindTree(Node& n, const Resolver& resolve, ExprError* e) {
    for (auto& k : n.kids) {
        if (!bindTree(*k, resolve, e)) return false;
    }
    switch (n.op) {
        case Op::Literal:
            if (!n.name.empty()) {  // a double-quoted SQL word: a column if one has that name
                ColumnRef ref;
                ExprError ignored;
                if (resolve("", n.name, &ref, &ignored)) {
                    n.op = Op::Column;
                    n.column = ref.index;
                    n.type = typeOfColumn(ref.type);
                    n.caseInsensitive = ref.type == ColumnType::CiString;
                }
            }
            return true;
        case Op::Column:
            return true;
        case Op::Name: {
            ColumnRef ref;
            if (!resolve(n.qualifier, n.name, &ref, e)) return false;
            n.op = Op::Column;
            n.column = ref.index;
            n.type = typeOfColumn(ref.type);
            n.caseInsensitive = ref.type == ColumnType::CiString;
            return true;
        }
        case Op::Not:
            if (!isLogicalOrNull(n.kids[0]->type))
                return typeError(e, n, "NOT needs a logical operand");
            n.type = Type::Logical;
            return true;
        case Op::And:
        case Op::Or:
            if (!isLogicalOrNull(n.kids[0]->type) || !isLogicalOrNull(n.kids[1]->type))
                return typeError(e, n, "AND and OR need logical operands");
            n.type = Type::Logical;
            return true;
        case Op::Neg:
            if (n.kids[0]->type != Type::Number && n.kids[0]->type != Type::Null)
                return typeError(e, n, "minus needs a numeric operand");
            n.type = Type::Number;
            return true;
        case Op::Compare:
            if (n.textAsDate && !readTextAsDate(n, e)) return false;
            if (!comparable(n.kids[0]->type, n.kids[1]->type))
                return typeError(e, n,
                                 std::string("cannot compare ") + typeName(n.kids[0]->type) +
                                     " with " + typeName(n.kids[1]->type));
            n.type = Type::Logical;
            return true;
        case Op::IsNull:
            n.type = Type::Logical;
            return true;
        case Op::Add:
        case Op::Sub:
        case Op::Mul:
        case Op::Div:
            return bindArithmetic(n, e);
        case Op::Call:
            return bindCall(n, e);
    }
    return true;
}

// ---- evaluation ----

namespace {

void setLogical(Value& out, bool b) {
    out.kind = Value::Kind::Logical;
    out.logical = b;
}

void setNull(Value& out) {
    out.kind = Value::Kind::Null;
}

// Whole part of a number, saturated so that huge counts stay huge.
int64_t toInt(const Value& v) {
    if (v.kind == Value::Kind::Integer) return v.integer;
    if (v.kind != Value::Kind::Double || !std::isfinite(v.real)) return 0;
    if (v.real >= 9.0e18) return std::numeric_limits<int64_t>::max();
    if (v.real <= -9.0e18) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(v.real);
}

double toDouble(const Value& v) {
    return v.kind == Value::Kind::Integer ? static_cast<double>(v.integer) : v.real;
}

bool compareResult(CmpOp op, int c) {
    switch (op) {
        case CmpOp::Eq:
        case CmpOp::EqEq:
            return c == 0;
        case CmpOp::Ne:
            return c != 0;
        case CmpOp::Lt:
            return c < 0;
        case CmpOp::Le:
            return c <= 0;
        case CmpOp::Gt:
            return c > 0;
        case CmpOp::Ge:
            return c >= 0;
    }
    return false;
}

// A literal operand is read in place rather than copied for every row.
const Value& operand(const Node& kid, const EvalContext& ctx, Value& storage) {
    if (kid.op == Op::Literal) return kid.literal;
    evaluate(kid, ctx, storage);
    return storage;
}

void evalCompare(const Node& n, const EvalContext& ctx, Value& out) {
    evaluate(*n.kids[0], ctx, out);
    const Value& right = operand(*n.kids[1], ctx, n.scratch);
    if (ctx.sqlNulls && (out.isNull() || right.isNull())) return setNull(out);
    bool text = out.kind == Value::Kind::String || right.kind == Value::Kind::String;
    bool prefix = text && !ctx.exact && (n.cmp == CmpOp::Eq || n.cmp == CmpOp::Ne);
    setLogical(out, compareResult(n.cmp, compareValues(out, right, prefix)));
}

// Three-valued AND/OR; without SQL nulls a Null operand is simply false.
void evalLogical(const Node& n, const EvalContext& ctx, Value& out) {
    const bool isAnd = n.op == Op::And;
    evaluate(*n.kids[0], ctx, out);
    bool leftNull = out.isNull() && ctx.sqlNulls;
    bool left = isTrue(out);
    if (!leftNull && left != isAnd) return setLogical(out, left);  // short cut
    evaluate(*n.kids[1], ctx, out);
    bool rightNull = out.isNull() && ctx.sqlNulls;
    bool right = isTrue(out);
    if (!rightNull && right != isAnd) return setLogical(out, right);
    if (leftNull || rightNull) return setNull(out);
    setLogical(out, isAnd);
}

void evalArithmetic(const Node& n, const EvalContext& ctx, Value& out) {
    Value& right = n.scratch;
    evaluate(*n.kids[0], ctx, out);
    evaluate(*n.kids[1], ctx, right);
    if (out.isNull() || right.isNull()) {
        if (n.type != Type::String || ctx.sqlNulls) return setNull(out);
        if (out.isNull()) out = Value::ofString("");
    }
    if (out.kind == Value::Kind::String) {
        if (right.kind == Value::Kind::String) out.text += right.text;
        out.caseInsensitive = out.caseInsensitive || right.caseInsensitive;
        return;
    }
    if (out.kind == Value::Kind::Date || out.kind == Value::Kind::TimeStamp) {
        if (right.kind == Value::Kind::Date) {  // date - date: days between
            int64_t days = static_cast<int64_t>(out.julian) - right.julian;
            out = Value::ofInteger(days);
            return;
        }
        int64_t d = toInt(right);
        if (d > 10000000 || d < -10000000) return setNull(out);
        out.julian += static_cast<int32_t>(n.op == Op::Sub ? -d : d);
        return;
    }
    if (out.kind == Value::Kind::Integer && right.kind == Value::Kind::Integer && n.op != Op::Div) {
        int64_t r = 0;
        bool overflow = n.op == Op::Add   ? __builtin_add_overflow(out.integer, right.integer, &r)
                        : n.op == Op::Sub ? __builtin_sub_overflow(out.integer, right.integer, &r)
                                          : __builtin_mul_overflow(out.integer, right.integer, &r);
        if (!overflow) {
            out.integer = r;
            return;
        }
    }
    double a = toDouble(out), b = toDouble(right), r = 0;
    switch (n.op) {
        case Op::Add:
            r = a + b;
            break;
        case Op::Sub:
            r = a - b;
            break;
        case Op::Mul:
            r = a * b;
            break;
        default:
            if (b == 0) return setNull(out);
            r = a / b;
    }
    // An overflow has no value: infinities and NaN would compare as equal to anything.
    if (!std::isfinite(r)) return setNull(out);
    out = Value::ofDouble(r);
}

// Text functions work in place on `out`.
void evalText(Fn fn, const Node& n, const EvalContext& ctx, Value& out) {
    std::string& t = out.text;
    int64_t a = 0, b = 0;
    if (n.kids.size() > 1) {
        evaluate(*n.kids[1], ctx, n.scratch);
        if (n.scratch.isNull()) return setNull(out);
        a = toInt(n.scratch);
    }
    if (n.kids.size() > 2) {
        evaluate(*n.kids[2], ctx, n.scratch);
        if (n.scratch.isNull()) return setNull(out);
        b = toInt(n.scratch);
    }
    const int64_t size = static_cast<int64_t>(t.size());
    switch (fn) {
        case Fn::Upper:
            for (char& c : t) c = static_cast<char>(cp1252::upper(static_cast<unsigned char>(c)));
            break;
        case Fn::Lower:
            for (char& c : t) c = static_cast<char>(cp1252::lower(static_cast<unsigned char>(c)));
            break;
        case Fn::RTrim:
            t.resize(trimRight(t).size());
            break;
        case Fn::LTrim:
            t.erase(0, std::min(t.find_first_not_of(' '), t.size()));
            break;
        case Fn::AllTrim:
            t.resize(trimRight(t).size());
            t.erase(0, std::min(t.find_first_not_of(' '), t.size()));
            break;
        case Fn::Left:
            t.resize(static_cast<size_t>(std::clamp<int64_t>(a, 0, size)));
            break;
        case Fn::Right:
            t.erase(0, static_cast<size_t>(size - std::clamp<int64_t>(a, 0, size)));
            break;
        case Fn::Substr: {
            int64_t start = std::clamp<int64_t>(a < 1 ? 1 : a, 1, size + 1) - 1;
            int64_t len =
                n.kids.size() > 2 ? std::clamp<int64_t>(b, 0, size - start) : size - start;
            t = t.substr(static_cast<size_t>(start), static_cast<size_t>(len));
            break;
        }
        default:
            break;
    }
}

void evalCall(const Node& n, const EvalContext& ctx, Value& out) {
    evaluate(*n.kids[0], ctx, out);
    if (n.fn == Fn::Empty) return setLogical(out, isEmptyValue(out));
    if (out.isNull()) return;  // functions of a missing value are missing
    switch (n.fn) {
        case Fn::Len: {
            int64_t len = static_cast<int64_t>(out.text.size());
            out = Value::ofInteger(len);
            return;
        }
        case Fn::Chr: {
            int64_t code = toInt(out);
            if (code < 0 || code > 255) return setNull(out);
            out = Value::ofString(std::string(1, static_cast<char>(code)));
            return;
        }
        case Fn::Ctod: {
            int32_t jd = 0;
            if (!parseDate(out.text, &jd)) return setNull(out);
            out = Value::ofDate(jd);
            return;
        }
        case Fn::Ctot: {
            int32_t ms = 0;
            if (!parseTime(out.text, &ms)) return setNull(out);
            out = Value::ofTime(ms);
            return;
        }
        case Fn::Ctots: {
            int32_t jd = 0, ms = 0;
            if (!parseTimeStamp(out.text, &jd, &ms)) return setNull(out);
            out = Value::ofTimeStamp(jd, ms);
            return;
        }
        default:
            if (out.kind != Value::Kind::String) return setNull(out);
            evalText(n.fn, n, ctx, out);
    }
}

}  // namespace

void evaluate(const Node& n, const EvalContext& ctx, Value& out) {
    switch (n.op) {
        case Op::Literal:
            out = n.literal;
            return;
        case Op::Column:
            if (ctx.row == nullptr) return setNull(out);
            ctx.row->readValue(n.column, out);
            return;
        case Op::Name:
            return setNull(out);
        case Op::Not:
            evaluate(*n.kids[0], ctx, out);
            if (ctx.sqlNulls && out.isNull()) return;
            return setLogical(out, !isTrue(out));
        case Op::Neg:
            evaluate(*n.kids[0], ctx, out);
            if (out.kind == Value::Kind::Integer &&
                out.integer != std::numeric_limits<int64_t>::min())
                out.integer = -out.integer;
            else if (out.kind == Value::Kind::Integer || out.kind == Value::Kind::Double)
                out = Value::ofDouble(-toDouble(out));
            return;
        case Op::And:
        case Op::Or:
            return evalLogical(n, ctx, out);
        case Op::Compare:
            return evalCompare(n, ctx, out);
        case Op::IsNull: {
            evaluate(*n.kids[0], ctx, out);
            bool null = out.isNull();
            return setLogical(out, null != n.negate);
        }
        case Op::Add:
        case Op::Sub:
        case Op::Mul:
        case Op::Div:
            return evalArithmetic(n, ctx, out);
        case Op::Call:
            return evalCall(n, ctx, out);
    }
}

}  // namespace engine::expr
