// expression_test.cpp: the filter language, case by case, on one row of a lock table.
#include "engine/expr/expression.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "engine/expr/expr_text.h"
#include "engine/expr/parser.h"
#include "engine/expr/values.h"

namespace engine::expr {
namespace {

ColumnDef col(const char* name, ColumnType type, uint32_t length = 0) {
    ColumnDef c;
    c.name = name;
    c.type = type;
    c.length = length;
    return c;
}

class ExpressionTest : public ::testing::Test {
  protected:
    ExpressionTest() : source_(&columns_, row_) {}

    std::vector<ColumnDef> columns_ = {
        col("TableName", ColumnType::CiString, 25), col("LockedRecNo", ColumnType::Integer),
        col("UserName", ColumnType::String, 50),    col("ApplicationID", ColumnType::CiString, 70),
        col("DateCol", ColumnType::Date),           col("Flag", ColumnType::Logical),
        col("Stamp", ColumnType::TimeStamp),        col("Clock", ColumnType::Time),
        col("Amount", ColumnType::Double),          col("Note", ColumnType::String, 10),
    };
    // Fixed-width text keeps its trailing blanks, as the storage gives it.
    Row row_ = {
        Value::ofString("Inventaire               ", true),
        Value::ofInteger(123),
        Value::ofString("Dupont" + std::string(44, ' ')),
        Value::null(),
        Value::ofDate(julianDay(2020, 2, 1)),
        Value::ofLogical(true),
        Value::ofTimeStamp(julianDay(2020, 2, 1), ((13 * 60 + 5) * 60 + 7) * 1000),
        Value::ofTime(((8 * 60 + 30) * 60) * 1000),
        Value::ofDouble(12.5),
        Value::ofString("ab\"cd     "),
    };
    RowFieldSource source_;
};

enum Outcome { kTrue, kFalse, kError };

struct Case {
    const char* text;
    bool exact;
    Outcome outcome;
    const char* error = "";  // part of the message when kError
};

TEST_F(ExpressionTest, CasesOnOneRow) {
    const Case cases[] = {
        // The forms the record search builds.
        {"(TableName=\"Inventaire\") AND (LockedRecNo=123)", true, kTrue},
        {"(TableName=\"inventaire\") AND (LockedRecNo=123)", true, kTrue},  // CIChar
        {"(TableName=\"Inventaire\") AND (LockedRecNo=12)", true, kFalse},
        {"(UPPER(TableName)=UPPER(\"abc\"))", true, kFalse},
        {"(UPPER(TableName)=UPPER(\"inVENTaire\"))", true, kTrue},
        {"(Note=\"ab\" + Chr(34) + \"cd\")", true, kTrue},
        {"(empty(ApplicationID))", true, kTrue},
        {"(empty(TableName))", true, kFalse},
        {"(DateCol=ctod(\"01/02/2020\"))", true, kTrue},
        {"(DateCol=ctod(\"02/01/2020\"))", true, kFalse},
        {"(DateCol=ctod(\"2020-02-01\"))", true, kTrue},
        {"(Stamp=ctots(\"01/02/2020 13:05:07\"))", true, kTrue},
        {"(Stamp=ctots(\"01/02/2020 01:05:07 PM\"))", true, kTrue},
        {"(Clock=ctot(\"08:30:00\"))", true, kTrue},
        {"(Flag=.TRUE.)", true, kTrue},
        {"(Flag=.F.)", true, kFalse},
        {"(Amount=12.5)", true, kTrue},
        // Exact setting: "=" on text compares the right-hand length only when off.
        {"TableName=\"Invent\"", false, kTrue},
        {"TableName=\"Invent\"", true, kFalse},
        {"TableName==\"Invent\"", false, kFalse},
        {"TableName=\"\"", false, kTrue},
        {"TableName=\"Inventaire   \"", true, kTrue},  // trailing blanks do not count
        {"UserName=\"dupont\"", true, kFalse},         // Char is case-sensitive
        {"UserName#\"Martin\" .AND. .NOT. Flag=.F.", true, kTrue},
        {"UserName<>\"Dupont\" OR LockedRecNo>=123", true, kTrue},
        {"UserName!=\"Dupont\" .OR. LockedRecNo<123", true, kFalse},
        {"!Flag .OR. LockedRecNo>123", true, kFalse},
        {"LockedRecNo > 100 AND LockedRecNo <= 123 AND NOT LockedRecNo < 50", true, kTrue},
        {"LockedRecNo + 1 = 124", true, kTrue},
        {"-LockedRecNo * 2 = -246 .AND. Amount / 2 = 6.25", true, kTrue},
        {"LockedRecNo / 0 = 5", true, kFalse},          // no value (blank), no crash
        {"1e308 * 10 - 1e308 * 10 = 5", true, kFalse},  // overflow has no value
        {"LEFT(UserName, 1e300) = 'Dupont'", true, kTrue},
        {"DateCol + 29 = ctod(\"01/03/2020\") AND DateCol - ctod(\"31/01/2020\") = 1", true, kTrue},
        {"LEN(UserName) = 50 AND LEN(TRIM(UserName)) = 6", true, kTrue},
        {"TRIM(UserName) + \"!\" == \"Dupont!\"", true, kTrue},
        {"LEFT(TableName, 3) = 'INV'", true, kTrue},
        {"RIGHT(TRIM(TableName), 4) = 'aire'", true, kTrue},
        {"SUBSTR(TableName, 2, 3) = 'nve'", true, kTrue},
        {"UPPER('\xE9t\x9C') = '\xC9T\x8C'", true, kTrue},          // Windows-1252 letters
        {"LockedRecNo = 123 AND ApplicationID = ''", true, kTrue},  // missing text is blank
        // Errors: unknown names, mismatched kinds, bad syntax, bad literals.
        {"(Nope=1)", true, kError, "unknown column \"Nope\""},
        {"TableName = 1", true, kError, "cannot compare"},
        {"LockedRecNo = \"123\"", true, kError, "cannot compare"},
        {"Flag AND 1", true, kError, "logical"},
        {"(TableName=\"abc\"", true, kError, "')' expected"},
        {"TableName=\"abc", true, kError, "unterminated literal"},
        {"TableName=", true, kError, "operand expected"},
        {"TableName=\"a\" LockedRecNo=1", true, kError, "end of expression expected"},
        {"FOO(TableName)", true, kError, "unknown function"},
        {"UPPER(TableName, 2)", true, kError, "wrong number of arguments"},
        {"DateCol = ctod(\"31/31/2020\")", true, kError, "invalid date"},
        {"Flag = .MAYBE.", true, kError, "unexpected .MAYBE."},
        {"", true, kError, "operand expected"},
        {"LockedRecNo = 99999999999999999999999999", true, kFalse},  // too big for an integer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        auto e = Expression::compile(c.text, source_, &error);
        if (c.outcome == kError) {
            EXPECT_EQ(e, nullptr);
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
            continue;
        }
        ASSERT_NE(e, nullptr) << error;
        EXPECT_EQ(e->matches(source_, c.exact), c.outcome == kTrue);
    }
}

TEST_F(ExpressionTest, DeepNestingIsRefusedNotCrashed) {
    std::string error;
    std::string deep = std::string(100000, '(') + "Flag" + std::string(100000, ')');
    EXPECT_EQ(Expression::compile(deep, source_, &error), nullptr);
    std::string longChain = "LockedRecNo";
    for (int i = 0; i < 100000; ++i) longChain += "+1";
    EXPECT_EQ(Expression::compile(longChain + "=0", source_, &error), nullptr);
    EXPECT_NE(error.find("too deeply"), std::string::npos) << error;
}

// The tree as fully parenthesized text, and where parsing stopped when it stopped early.
std::string grouped(std::string_view text, Dialect dialect) {
    TokenStream tokens(text, dialect);
    ParseOptions options;
    options.dialect = dialect;
    ExprError error;
    std::unique_ptr<Node> tree = parseExpression(tokens, options, &error);
    if (!tree) return "error: " + error.message;
    std::function<std::string(const Node&)> render = [&render](const Node& n) -> std::string {
        static const std::map<Op, std::string> kNames = {
            {Op::Not, "NOT"}, {Op::Neg, "-"},       {Op::And, "AND"},
            {Op::Or, "OR"},   {Op::Compare, "cmp"}, {Op::Add, "+"},
            {Op::Sub, "-"},   {Op::Mul, "*"},       {Op::Div, "/"}};
        if (n.op == Op::Name) return n.name;
        if (n.op == Op::Literal)
            return n.literal.kind == Value::Kind::Integer ? std::to_string(n.literal.integer) : "?";
        if (n.op == Op::IsNull)
            return "(" + render(*n.kids[0]) + (n.negate ? " IS NOT NULL)" : " IS NULL)");
        if (n.kids.size() == 1) return "(" + kNames.at(n.op) + " " + render(*n.kids[0]) + ")";
        return "(" + render(*n.kids[0]) + " " + kNames.at(n.op) + " " + render(*n.kids[1]) + ")";
    };
    std::string out = render(*tree);
    if (tokens.peek().kind != TokenKind::End)
        out += " | " + std::string(text.substr(tokens.peek().offset));
    return out;
}

TEST(ExpressionParsing, OperatorsGroupByPrecedence) {
    const struct {
        const char* text;
        Dialect dialect;
        const char* grouped;
    } cases[] = {
        {"a OR b AND c", Dialect::Expression, "(a OR (b AND c))"},
        {"a AND b OR c .OR. d", Dialect::Expression, "(((a AND b) OR c) OR d)"},
        {"NOT a = b AND c", Dialect::Expression, "((NOT (a cmp b)) AND c)"},
        {"NOT NOT a AND !b", Dialect::Expression, "((NOT (NOT a)) AND (NOT b))"},
        {"-a * b + c", Dialect::Expression, "(((- a) * b) + c)"},
        {"a - b - c / d / e", Dialect::Expression, "((a - b) - ((c / d) / e))"},
        {"a + b * c = d / e - 1", Dialect::Expression, "((a + (b * c)) cmp ((d / e) - 1))"},
        {"- - a + +b", Dialect::Expression, "((- (- a)) + b)"},
        {"(a OR b) AND c", Dialect::Expression, "((a OR b) AND c)"},
        // A comparison takes no comparison as an operand: parsing stops before the second.
        {"a = b = c", Dialect::Expression, "(a cmp b) | = c"},
        {"NOT a < b # c", Dialect::Expression, "(NOT (a cmp b)) | # c"},
        {"a IS NOT NULL AND b IS NULL OR c", Dialect::Sql,
         "(((a IS NOT NULL) AND (b IS NULL)) OR c)"},
        {"NOT a + 1 IS NULL", Dialect::Sql, "(NOT ((a + 1) IS NULL))"},
        {"a = b IS NULL", Dialect::Sql, "(a cmp b) | IS NULL"},
        {"a IS NULL = b", Dialect::Sql, "(a IS NULL) | = b"},
        // NOT binds looser than comparisons and arithmetic, so it cannot follow them.
        {"a = NOT b", Dialect::Expression,
         "error: syntax error at offset 4: operand expected (near 'NOT')"},
        {"a * - NOT b", Dialect::Expression,
         "error: syntax error at offset 6: operand expected (near 'NOT')"},
        {"a IS b", Dialect::Sql,
         "error: syntax error at offset 5: NULL expected after IS (near 'b')"},
        // A literal ends where no operator follows it, and goes on where one does.
        {"17, a", Dialect::Sql, "17 | , a"},
        {"17) a", Dialect::Expression, "17 | ) a"},
        {"'x'; a", Dialect::Sql, "? | ; a"},
        {"17 a", Dialect::Sql, "17 | a"},
        {"17 + 1, a", Dialect::Sql, "(17 + 1) | , a"},
        {"'x' IS NULL, a", Dialect::Sql, "(? IS NULL) | , a"},
        {"17 .AND. a", Dialect::Expression, "(17 AND a)"},
        {"17 # 1)", Dialect::Expression, "(17 cmp 1) | )"},
        {"17 # 1", Dialect::Sql, "17 | # 1"},
    };
    for (const auto& c : cases) EXPECT_EQ(grouped(c.text, c.dialect), c.grouped) << c.text;
}

// Whole numbers that fit are integers, whatever their length; the others are doubles.
TEST(ExpressionParsing, NumbersKeepTheirValue) {
    const struct {
        const char* text;
        Value::Kind kind;
        int64_t integer;
        double real;
    } cases[] = {
        {"0", Value::Kind::Integer, 0, 0},
        {"007", Value::Kind::Integer, 7, 0},
        {"999999999999999999", Value::Kind::Integer, 999999999999999999, 0},
        {"9223372036854775807", Value::Kind::Integer, INT64_MAX, 0},
        {"9223372036854775808", Value::Kind::Double, 0, 9223372036854775808.0},
        {"12.5", Value::Kind::Double, 0, 12.5},
        {"12.", Value::Kind::Double, 0, 12.0},
        {".5", Value::Kind::Double, 0, 0.5},
        {"1e3", Value::Kind::Double, 0, 1000.0},
    };
    for (const auto& c : cases) {
        for (Dialect dialect : {Dialect::Expression, Dialect::Sql}) {
            const std::string text = std::string("  ") + c.text;
            TokenStream tokens(text, dialect);
            ParseOptions options;
            options.dialect = dialect;
            ExprError error;
            std::unique_ptr<Node> n = parseExpression(tokens, options, &error);
            ASSERT_NE(n, nullptr) << c.text << ": " << error.message;
            EXPECT_EQ(n->op, Op::Literal) << c.text;
            EXPECT_EQ(n->offset, 2u) << c.text;
            EXPECT_EQ(n->literal.kind, c.kind) << c.text;
            if (c.kind == Value::Kind::Integer)
                EXPECT_EQ(n->literal.integer, c.integer) << c.text;
            else
                EXPECT_EQ(n->literal.real, c.real) << c.text;
        }
    }
}

TEST_F(ExpressionTest, EqualityTermsOfConjunctions) {
    std::string error;
    auto e =
        Expression::compile("(TableName=\"Inv\" + Chr(34)) AND (123=LockedRecNo)", source_, &error);
    ASSERT_NE(e, nullptr) << error;
    auto terms = e->equalityTerms(true);
    ASSERT_TRUE(terms.has_value());
    ASSERT_EQ(terms->size(), 2u);
    EXPECT_EQ((*terms)[0].column, 0);
    EXPECT_EQ((*terms)[0].value.text, "Inv\"");
    EXPECT_TRUE((*terms)[0].caseInsensitive);
    EXPECT_EQ((*terms)[1].column, 1);
    EXPECT_EQ((*terms)[1].value.integer, 123);
    // Text "=" with exact off is a prefix match: no key lookup.
    EXPECT_FALSE(e->equalityTerms(false).has_value());

    auto upper = Expression::compile("(UPPER(UserName)=UPPER(\"dupont\"))", source_, &error);
    ASSERT_TRUE(upper->equalityTerms(true).has_value());
    EXPECT_TRUE((*upper->equalityTerms(true))[0].caseInsensitive);

    for (const char* text :
         {"TableName=\"a\" OR LockedRecNo=1", "empty(TableName)", "LockedRecNo>1",
          "TableName=UserName", "TableName=\"\"", "UPPER(UserName)=\"Dupont\""}) {
        SCOPED_TRACE(text);
        auto other = Expression::compile(text, source_, &error);
        ASSERT_NE(other, nullptr) << error;
        EXPECT_FALSE(other->equalityTerms(true).has_value());
    }
}

TEST(EqualityKey, EqualExactlyWhenTheLanguageSaysSo) {
    EXPECT_EQ(equalityKey(Value::ofString("Inventaire   ", true), true),
              equalityKey(Value::ofString("INVENTAIRE"), true));
    EXPECT_NE(equalityKey(Value::ofString("Inventaire"), false),
              equalityKey(Value::ofString("INVENTAIRE"), false));
    EXPECT_EQ(equalityKey(Value::ofInteger(123), false),
              equalityKey(Value::ofDouble(123.0), false));
    EXPECT_NE(equalityKey(Value::ofInteger(123), false),
              equalityKey(Value::ofDouble(123.5), false));
    EXPECT_EQ(equalityKey(Value::ofDate(100), false),
              equalityKey(Value::ofTimeStamp(100, 0), false));
    EXPECT_NE(equalityKey(Value::null(), false), equalityKey(Value::ofString(""), false));
    // Concatenated keys of two columns stay distinct when the text moves between them.
    EXPECT_NE(
        equalityKey(Value::ofString("abSx"), false) + equalityKey(Value::ofString("y"), false),
        equalityKey(Value::ofString("ab"), false) + equalityKey(Value::ofString("xSy"), false));
}

TEST(DateText, ParsesTheDocumentedForms) {
    int32_t jd = -1, ms = -1;
    EXPECT_TRUE(parseDate("31/12/1999", &jd));
    EXPECT_EQ(jd, 2451544);
    EXPECT_TRUE(parseDate("1/2/20", &jd));
    EXPECT_EQ(jd, julianDay(2020, 2, 1));
    EXPECT_TRUE(parseDate("  /  /    ", &jd));
    EXPECT_EQ(jd, 0);
    EXPECT_FALSE(parseDate("30/02/2020", &jd));
    EXPECT_FALSE(parseDate("12/31/2020", &jd));
    EXPECT_FALSE(parseDate("2020/01/02", &jd));
    EXPECT_TRUE(parseTime("12:00:00 AM", &ms));
    EXPECT_EQ(ms, 0);
    EXPECT_TRUE(parseTime("23:59:59.5", &ms));
    EXPECT_EQ(ms, 86399500);
    EXPECT_FALSE(parseTime("24:00", &ms));
    EXPECT_TRUE(parseTimeStamp("2020-01-02T13:05:07.250", &jd, &ms));
    EXPECT_EQ(jd, julianDay(2020, 1, 2));
    EXPECT_EQ(ms, 47107250);
    EXPECT_FALSE(parseTimeStamp("01/02/2020x13:05", &jd, &ms));
}

}  // namespace
}  // namespace engine::expr
