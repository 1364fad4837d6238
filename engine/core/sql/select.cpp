// select.cpp: SELECT over one table or one procedure result, and procedure calls.
#include "engine/core/sql/select.h"

#include <limits>

#include "engine/expr/expr_text.h"
#include "engine/expr/field_source.h"
#include "engine/include/engine_api.h"
#include "engine/record/record.h"

namespace engine::sql {

using expr::ColumnRef;
using expr::ExprError;
using expr::Node;
using expr::Op;

int columnIndex(const std::vector<ColumnDef>& columns, std::string_view name) {
    for (size_t i = 0; i < columns.size(); ++i) {
        if (expr::equalsNoCase(columns[i].name, name)) return static_cast<int>(i);
    }
    return -1;
}

Status mapNotFound(Status status, const std::string& table) {
    if (status.code == AE_FILE_NOT_FOUND || status.code == AE_TABLE_NOT_IN_DICTIONARY)
        return sqlError(kNativeUnknownTable, "table not found: " + table);
    return status;
}

Status openTableForSql(Catalog& catalog, const std::string& name, std::unique_ptr<Table>* out) {
    Status st = mapNotFound(catalog.openTable(name, out), name);
    if (st.ok() && !*out) return Status::error(AE_INTERNAL_ERROR, "table not opened: " + name);
    return st;
}

namespace {

Status fromExprError(const ExprError& e) {
    switch (e.kind) {
        case ExprError::Kind::UnknownColumn:
            return sqlError(kNativeUnknownColumn, e.message);
        case ExprError::Kind::Type:
            return sqlError(kNativeTypeMismatch, e.message);
        case ExprError::Kind::Syntax:
            break;
    }
    return sqlError(kNativeSyntax, e.message);
}

bool noColumns(const std::string&, const std::string& name, ColumnRef*, ExprError* e) {
    e->kind = ExprError::Kind::UnknownColumn;
    e->message = "column not found: " + name;
    return false;
}

// Reads one base-64 record number (six digits, 'A' = 0); 0 when it is not one.
uint32_t decodeRecordNumber(const std::string& text) {
    static constexpr std::string_view kDigits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (text.size() != 6) return 0;
    uint64_t n = 0;
    for (char c : text) {
        size_t d = kDigits.find(c);
        if (d == std::string_view::npos) return 0;
        n = n * 64 + d;
    }
    return n > std::numeric_limits<uint32_t>::max() ? 0 : static_cast<uint32_t>(n);
}

// When the condition is RIGHT(rowid, 6) = '<six digits>' (alone or as one side of a top
// AND), the one record it can match; 0 when it is not of that form.
uint32_t recordNumberFromCondition(const Node& n, int rowidColumn) {
    if (n.op == Op::And) {
        uint32_t r = recordNumberFromCondition(*n.kids[0], rowidColumn);
        return r != 0 ? r : recordNumberFromCondition(*n.kids[1], rowidColumn);
    }
    if (n.op != Op::Compare || n.cmp != expr::CmpOp::EqEq) return 0;
    for (int side = 0; side < 2; ++side) {
        const Node& call = *n.kids[side];
        const Node& lit = *n.kids[1 - side];
        if (call.op != Op::Call || call.fn != expr::Fn::Right || call.kids[0]->op != Op::Column ||
            call.kids[0]->column != rowidColumn || call.kids[1]->op != Op::Literal ||
            call.kids[1]->literal.kind != Value::Kind::Integer ||
            call.kids[1]->literal.integer != 6 || lit.op != Op::Literal ||
            lit.literal.kind != Value::Kind::String)
            continue;
        // Matches nothing when not a valid code; the scan then proves it.
        return decodeRecordNumber(lit.literal.text);
    }
    return 0;
}

ColumnDef computedColumn(const std::string& name, expr::Type type) {
    ColumnDef c;
    c.name = name;
    switch (type) {
        case expr::Type::Logical:
            c.type = ColumnType::Logical;
            c.length = 1;
            break;
        case expr::Type::Number:
            c.type = ColumnType::Double;
            c.length = 8;
            break;
        case expr::Type::Date:
            c.type = ColumnType::Date;
            c.length = 4;
            break;
        case expr::Type::Time:
            c.type = ColumnType::Time;
            c.length = 4;
            break;
        case expr::Type::TimeStamp:
            c.type = ColumnType::TimeStamp;
            c.length = 8;
            break;
        case expr::Type::Binary:
            c.type = ColumnType::Binary;
            c.length = 9;
            break;
        default:
            c.type = ColumnType::String;
            c.length = 1;
            break;
    }
    return c;
}

// Widens computed text columns to their longest value and gives whole-number results an
// INTEGER column.
void settleComputedColumns(const std::vector<bool>& computed, std::vector<ColumnDef>& columns,
                           ResultSet* out) {
    for (size_t i = 0; i < columns.size(); ++i) {
        if (!computed[i]) continue;
        ColumnDef& c = columns[i];
        ResultRows& rows = out->rows;
        if (c.type == ColumnType::String) {
            for (size_t r = 0; r < rows.size(); ++r)
                c.length =
                    std::max<uint32_t>(c.length, static_cast<uint32_t>(rows[r][i].text.size()));
        } else if (c.type == ColumnType::Double) {
            bool whole = true;
            for (size_t r = 0; r < rows.size(); ++r) {
                const Value& v = rows[r][i];
                whole = whole && (v.isNull() || (v.kind == Value::Kind::Integer &&
                                                 v.integer > std::numeric_limits<int32_t>::min() &&
                                                 v.integer <= std::numeric_limits<int32_t>::max()));
            }
            if (whole) {
                c.type = ColumnType::Integer;
                c.length = 4;
            } else {
                for (size_t r = 0; r < rows.size(); ++r) {
                    Value& v = rows[r][i];
                    if (v.kind == Value::Kind::Integer)
                        v = Value::ofDouble(static_cast<double>(v.integer));
                }
            }
        }
    }
}

// The FROM source: its columns (a table's are followed by the RowID pseudo column) and
// the name that qualifies them.
struct Source {
    std::vector<ColumnDef> columns;
    size_t realColumns = 0;  // columns before the pseudo column
    int rowid = -1;          // index of RowID, -1 for a procedure
    std::string name;        // the alias, or the table's name
    std::unique_ptr<Table> table;
    ResultSet procedureRows;
};

class Select {
  public:
    Select(Catalog& catalog, Statement& s) : catalog_(catalog), s_(s) {}

    Status run(ResultSet* out) {
        Status st = openSource();
        if (!st.ok()) return st;
        st = bindItems();
        // Before any row is made: a row of too many values is refused for what it is.
        if (st.ok() && columns_.size() > record::kMaxColumns)
            return Status::error(AE_INVALID_ARGUMENT,
                                 "A result has at most " + std::to_string(record::kMaxColumns) +
                                     " columns; this one has " + std::to_string(columns_.size()) +
                                     ".");
        if (st.ok() && s_.where) st = bindCondition(*s_.where);
        if (st.ok() && src_.table) src_.table->readsColumns(columnsRead());
        out->rows.reset(nodes_.size());
        if (st.ok()) st = collectRows(out);
        if (!st.ok()) return st;
        settleComputedColumns(computed_, columns_, out);
        return record::makeResultLayout(std::move(columns_), &out->layout);
    }

  private:
    Status openSource() {
        if (s_.fromProcedure) {
            Status st = runProcedure(catalog_, s_.procedure, &src_.procedureRows);
            if (!st.ok()) return st;
            src_.columns = src_.procedureRows.layout->columns;
            src_.realColumns = src_.columns.size();
            src_.name = s_.alias.empty() ? std::string(s_.procedure.name) : s_.alias;
            return st;
        }
        Status st = openTableForSql(catalog_, s_.table, &src_.table);
        if (!st.ok()) return st;
        src_.columns = src_.table->columns();
        src_.realColumns = src_.columns.size();
        ColumnDef rowid;
        rowid.name = "RowID";
        rowid.type = ColumnType::String;
        rowid.length = 18;
        rowid.nullable = false;
        rowid.permissions = 1;  // read only
        src_.rowid = static_cast<int>(src_.columns.size());
        src_.columns.push_back(rowid);
        src_.name = s_.alias.empty() ? s_.table : s_.alias;
        return st;
    }

    bool qualifierMatches(const std::string& qualifier) const {
        return qualifier.empty() || expr::equalsNoCase(qualifier, src_.name);
    }

    bool resolve(const std::string& qualifier, const std::string& name, ColumnRef* out,
                 ExprError* e) const {
        if (!qualifierMatches(qualifier)) {
            e->kind = ExprError::Kind::UnknownColumn;
            e->message = "column not found: " + qualifier + "." + name + " (unknown alias)";
            return false;
        }
        int i = columnIndex(src_.columns, name);
        if (i < 0) {
            e->kind = ExprError::Kind::UnknownColumn;
            e->message = "column not found: " + (qualifier.empty() ? name : qualifier + "." + name);
            return false;
        }
        out->index = i;
        out->type = src_.columns[i].type;
        return true;
    }

    Status bindNode(Node& n) {
        ExprError e;
        expr::Resolver r = [this](const std::string& q, const std::string& name, ColumnRef* out,
                                  ExprError* err) { return resolve(q, name, out, err); };
        if (!expr::bindTree(n, r, &e)) return fromExprError(e);
        return Status::success();
    }

    Status bindItems() {
        for (SelectItem& item : s_.items) {
            if (item.kind != SelectItem::Kind::Expression) {
                if (!qualifierMatches(item.qualifier))
                    return sqlError(kNativeUnknownColumn, "unknown alias: " + item.qualifier);
                for (size_t i = 0; i < src_.realColumns; ++i) {
                    columns_.push_back(src_.columns[i]);
                    columns_.back().offset = 0;
                    computed_.push_back(false);
                    nodes_.push_back(columnNode(static_cast<int>(i)));
                }
                continue;
            }
            Status st = bindNode(*item.expr);
            if (!st.ok()) return st;
            bool isColumn = item.expr->op == Op::Column;
            ColumnDef c = isColumn ? src_.columns[item.expr->column]
                                   : computedColumn("EXPR_" + std::to_string(columns_.size() + 1),
                                                    item.expr->type);
            if (!item.alias.empty()) c.name = item.alias;
            c.offset = 0;
            columns_.push_back(std::move(c));
            computed_.push_back(!isColumn);
            nodes_.push_back(item.expr.get());
        }
        return Status::success();
    }

    Status bindCondition(Node& where) {
        Status st = bindNode(where);
        if (st.ok() && where.type != expr::Type::Logical && where.type != expr::Type::Null)
            return sqlError(kNativeTypeMismatch, "the WHERE condition is not a logical expression");
        return st;
    }

    const Node* columnNode(int index) {
        auto n = std::make_unique<Node>();
        n->op = Op::Column;
        n->column = index;
        owned_.push_back(std::move(n));
        return owned_.back().get();
    }

    bool keep(const expr::FieldSource& row) const {
        if (!s_.where) return true;
        Value v;
        expr::evaluate(*s_.where, expr::EvalContext{&row, true, true}, v);
        return expr::isTrue(v);
    }

    // The source columns any result column or the condition reads.
    std::vector<bool> columnsRead() const {
        std::vector<bool> read(src_.columns.size(), false);
        auto mark = [&](const Node& n, auto& self) -> void {
            if (n.op == Op::Column && n.column >= 0 && static_cast<size_t>(n.column) < read.size())
                read[static_cast<size_t>(n.column)] = true;
            for (const auto& kid : n.kids) self(*kid, self);
        };
        for (const Node* n : nodes_) mark(*n, mark);
        if (s_.where) mark(*s_.where, mark);
        return read;
    }

    // Adds a row, then asks the catalog whether the result may grow so: the rows' memory is
    // bounded as they are made, not once they all are.
    Status project(const expr::FieldSource& row, ResultSet* out) {
        std::span<Value> r = out->rows.append();
        resultBytes_ += r.size() * sizeof(Value);
        for (size_t i = 0; i < nodes_.size(); ++i) {
            expr::evaluate(*nodes_[i], expr::EvalContext{&row, true, true}, r[i]);
            resultBytes_ += r[i].text.size();
        }
        // Asked at every step of this much growth: often enough to stop early, seldom
        // enough to cost nothing.
        constexpr uint64_t kCheckStep = 1u << 20;
        if (resultBytes_ < nextCheck_) return Status::success();
        nextCheck_ = resultBytes_ + kCheckStep;
        return catalog_.roomForResult(resultBytes_);
    }

    Status collectRows(ResultSet* out) {
        expr::RowFieldSource source(&src_.columns);
        if (s_.fromProcedure) {
            const ResultRows& rows = src_.procedureRows.rows;
            for (size_t r = 0; r < rows.size(); ++r) {
                source.setRow(rows[r]);
                if (!keep(source)) continue;
                if (Status st = project(source, out); !st.ok()) return st;
            }
            return Status::success();
        }
        Row row;
        uint32_t first = 1, last = src_.table->lastRecordNumber();
        if (uint32_t only = s_.where ? recordNumberFromCondition(*s_.where, src_.rowid) : 0;
            only != 0) {
            if (only > last) return Status::success();
            first = last = only;
        }
        for (uint32_t recno = first; recno >= first && recno <= last; ++recno) {
            bool exists = false;
            Status st = src_.table->readRow(recno, row, &exists);
            if (!st.ok()) return st;
            if (!exists) continue;
            row.resize(src_.realColumns);
            row.push_back(Value::ofString(src_.table->rowId(recno)));
            source.setRow(row);
            if (!keep(source)) continue;
            if (Status pst = project(source, out); !pst.ok()) return pst;
        }
        return Status::success();
    }

    Catalog& catalog_;
    Statement& s_;
    Source src_;
    std::vector<ColumnDef> columns_;  // of the result, laid out once its rows are in
    std::vector<const Node*> nodes_;  // one per result column
    std::vector<bool> computed_;      // result column computed rather than copied
    std::vector<std::unique_ptr<Node>> owned_;
    uint64_t resultBytes_ = 0;  // what the rows made so far take, about
    uint64_t nextCheck_ = 0;    // resultBytes_ at which the catalog is asked next
};

}  // namespace

Status takeConstantValue(Node& node, Value* out) {
    if (node.op == Op::Literal) {  // binding could not make it a column: there are none
        *out = std::move(node.literal);
        return Status::success();
    }
    ExprError e;
    if (!expr::bindTree(node, noColumns, &e)) return fromExprError(e);
    expr::evaluate(node, expr::EvalContext{nullptr, true, true}, *out);
    return Status::success();
}

Status runProcedure(Catalog& catalog, ProcedureCall& call, ResultSet* out) {
    Row args(call.args.size());
    for (size_t i = 0; i < args.size(); ++i) {
        Status st = takeConstantValue(*call.args[i], &args[i]);
        if (!st.ok()) return st;
    }
    *out = ResultSet{};
    Status st = catalog.executeProcedure(call.name, args, out);
    if (!st.ok()) return st;
    if (!out->layout || out->rows.width() != out->layout->columns.size())
        return Status::error(AE_INTERNAL_ERROR, "procedure " + std::string(call.name) +
                                                    " returned a malformed result");
    return st;
}

Status runSelect(Catalog& catalog, Statement& s, ResultSet* out) {
    *out = ResultSet{};
    return Select(catalog, s).run(out);
}

}  // namespace engine::sql
