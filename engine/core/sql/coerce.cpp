// coerce.cpp: conversion of SQL values to column kinds for INSERT.
#include "engine/core/sql/coerce.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "engine/expr/values.h"

namespace engine::sql {
namespace {

Status mismatch(const ColumnDef& c, const Value& v) {
    return sqlError(kNativeTypeMismatch, std::string("a ") + expr::typeName(expr::typeOfValue(v)) +
                                             " value cannot be stored in column \"" + c.name +
                                             "\"");
}

Status tooLong(const ColumnDef& c) {
    return sqlError(kNativeValueTooLong, "the value does not fit column \"" + c.name + "\"");
}

bool isWhole(const Value& v) {
    return v.kind == Value::Kind::Integer ||
           (v.kind == Value::Kind::Double && std::isfinite(v.real) &&
            std::trunc(v.real) == v.real && std::fabs(v.real) < 9.0e18);
}

int64_t wholeOf(const Value& v) {
    return v.kind == Value::Kind::Integer ? v.integer : static_cast<int64_t>(v.real);
}

Status toInteger(const Value& in, const ColumnDef& c, int64_t lo, int64_t hi, Value* out) {
    if (!isWhole(in)) return in.kind == Value::Kind::Double ? tooLong(c) : mismatch(c, in);
    int64_t i = wholeOf(in);
    if (i < lo || i > hi) return tooLong(c);
    *out = Value::ofInteger(i);
    return Status::success();
}

// NUMERIC(n,d) stores the number as text of n characters with d decimals.
Status toNumeric(double d, const ColumnDef& c, Value* out) {
    char buf[400];
    int n = std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(c.decimals), d);
    if (!std::isfinite(d) || n < 0 || static_cast<uint32_t>(n) > c.length) return tooLong(c);
    *out = Value::ofDouble(d);
    return Status::success();
}

Status toText(const Value& in, const ColumnDef& c, bool limited, Value* out) {
    if (in.kind != Value::Kind::String) return mismatch(c, in);
    if (limited && in.text.size() > c.length) return tooLong(c);
    *out = Value::ofString(in.text, c.type == ColumnType::CiString);
    return Status::success();
}

Status toMoment(const Value& in, const ColumnDef& c, expr::Type want, Value* out) {
    int32_t jd = 0, ms = 0;
    if (in.kind == Value::Kind::String) {
        bool ok = want == expr::Type::Date   ? expr::parseDate(in.text, &jd)
                  : want == expr::Type::Time ? expr::parseTime(in.text, &ms)
                                             : expr::parseTimeStamp(in.text, &jd, &ms);
        if (!ok)
            return sqlError(kNativeTypeMismatch, "\"" + in.text.substr(0, 40) +
                                                     "\" is not a valid value for column \"" +
                                                     c.name + "\"");
    } else if (expr::typeOfValue(in) == want ||
               (want == expr::Type::TimeStamp && in.kind == Value::Kind::Date)) {
        jd = in.julian;
        ms = in.kind == Value::Kind::Date ? 0 : in.millis;
    } else {
        return mismatch(c, in);
    }
    if (want == expr::Type::Date)
        *out = Value::ofDate(jd);
    else if (want == expr::Type::Time)
        *out = Value::ofTime(ms);
    else
        *out = Value::ofTimeStamp(jd, ms);
    return Status::success();
}

}  // namespace

Status coerceForColumn(const Value& in, const ColumnDef& c, Value* out) {
    if (in.isNull()) {
        *out = Value::null();
        return Status::success();
    }
    switch (c.type) {
        case ColumnType::String:
        case ColumnType::CiString:
        case ColumnType::Varchar:
        case ColumnType::VarcharFox:
        case ColumnType::NChar:
        case ColumnType::NVarchar:
            return toText(in, c, true, out);
        case ColumnType::Memo:
        case ColumnType::NMemo:
            return toText(in, c, false, out);
        case ColumnType::Binary:
        case ColumnType::Image:
        case ColumnType::Raw:
        case ColumnType::VarbinaryFox: {
            if (in.kind != Value::Kind::String && in.kind != Value::Kind::Binary)
                return mismatch(c, in);
            bool limited = c.type == ColumnType::Raw || c.type == ColumnType::VarbinaryFox;
            if (limited && in.text.size() > c.length) return tooLong(c);
            *out = Value::ofBinary(in.text);
            return Status::success();
        }
        case ColumnType::ShortInt:
            return toInteger(in, c, -32767, 32767, out);
        case ColumnType::Integer:
        case ColumnType::AutoInc:
            // -2147483648 is the stored form of an empty INTEGER.
            return toInteger(in, c, -2147483647, 2147483647, out);
        case ColumnType::RowVersion:
            return toInteger(in, c, 0, std::numeric_limits<int64_t>::max(), out);
        case ColumnType::Numeric:
            if (in.kind != Value::Kind::Integer && in.kind != Value::Kind::Double)
                return mismatch(c, in);
            return toNumeric(
                in.kind == Value::Kind::Integer ? static_cast<double>(in.integer) : in.real, c,
                out);
        case ColumnType::Double:
        case ColumnType::CurDouble:
        case ColumnType::Money:
            if (in.kind == Value::Kind::Integer)
                *out = Value::ofDouble(static_cast<double>(in.integer));
            else if (in.kind == Value::Kind::Double)
                *out = in;
            else
                return mismatch(c, in);
            return Status::success();
        case ColumnType::Logical:
            if (in.kind != Value::Kind::Logical) return mismatch(c, in);
            *out = in;
            return Status::success();
        case ColumnType::Date:
        case ColumnType::CompactDate:
            return toMoment(in, c, expr::Type::Date, out);
        case ColumnType::Time:
            return toMoment(in, c, expr::Type::Time, out);
        case ColumnType::TimeStamp:
        case ColumnType::ModTime:
            return toMoment(in, c, expr::Type::TimeStamp, out);
    }
    return mismatch(c, in);
}

}  // namespace engine::sql
