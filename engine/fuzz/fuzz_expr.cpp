// fuzz_expr.cpp: any filter text must compile or be refused, never crash; and when the
// expression offers equality terms, a key lookup must find exactly the rows it matches.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/expr/expression.h"
#include "engine/expr/values.h"

using namespace engine;

namespace {

ColumnDef column(const char* name, ColumnType type, uint32_t length) {
    ColumnDef c;
    c.name = name;
    c.type = type;
    c.length = length;
    return c;
}

const std::vector<ColumnDef> kColumns = {
    column("TableName", ColumnType::CiString, 25), column("LockedRecNo", ColumnType::Integer, 4),
    column("UserName", ColumnType::String, 10),    column("DateCol", ColumnType::Date, 4),
    column("Flag", ColumnType::Logical, 1),        column("Amount", ColumnType::Double, 8),
};

const std::vector<Row> kRows = {
    {Value::ofString("Inventaire   ", true), Value::ofInteger(123), Value::ofString("ab\"cd     "),
     Value::ofDate(expr::julianDay(2020, 1, 2)), Value::ofLogical(true), Value::ofDouble(12.5)},
    {Value::ofString("INVENTAIRE", true), Value::ofInteger(0), Value::ofString("x"), Value::null(),
     Value::ofLogical(false), Value::ofDouble(-1)},
    {Value::null(), Value::null(), Value::null(), Value::null(), Value::null(), Value::null()},
};

// Whether a row matches the terms the way a hash lookup would answer.
bool keysMatch(const std::vector<expr::EqualityTerm>& terms, const Row& row) {
    for (const auto& t : terms) {
        if (expr::equalityKey(row[t.column], t.caseInsensitive) !=
            expr::equalityKey(t.value, t.caseInsensitive))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    expr::RowFieldSource source(&kColumns);
    std::string error;
    auto e = expr::Expression::compile(text, source, &error);
    if (!e) {
        if (error.empty()) __builtin_trap();  // a refusal always says why
        return 0;
    }
    for (bool exact : {true, false}) {
        auto terms = e->equalityTerms(exact);
        for (const Row& row : kRows) {
            source.setRow(row);
            bool matched = e->matches(source, exact);
            (void)e->evaluate(source, exact);
            if (terms && matched != keysMatch(*terms, row)) __builtin_trap();
        }
    }
    return 0;
}
