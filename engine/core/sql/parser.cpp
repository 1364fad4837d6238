// parser.cpp: the statements of the engine's SQL dialect, into Statement values.
#include "engine/expr/parser.h"

#include <algorithm>
#include <cstdlib>

#include "engine/core/sql/statement.h"
#include "engine/expr/expr_text.h"
#include "engine/record/record.h"

namespace engine::sql {
namespace {

using expr::Token;
using expr::TokenKind;

struct TypeName {
    const char* name;
    ColumnType type;
    int lengths;  // how many numbers may follow in parentheses (0, 1 or 2)
    bool lengthRequired;
};

constexpr TypeName kTypes[] = {
    {"CICHAR", ColumnType::CiString, 1, true},
    {"CHAR", ColumnType::String, 1, true},
    {"CHARACTER", ColumnType::String, 1, true},
    {"VARCHAR", ColumnType::Varchar, 1, true},
    {"NCHAR", ColumnType::NChar, 1, true},
    {"NVARCHAR", ColumnType::NVarchar, 1, true},
    {"RAW", ColumnType::Raw, 1, true},
    {"NUMERIC", ColumnType::Numeric, 2, true},
    {"INTEGER", ColumnType::Integer, 0, false},
    {"INT", ColumnType::Integer, 0, false},
    {"SHORTINT", ColumnType::ShortInt, 0, false},
    {"SHORT", ColumnType::ShortInt, 0, false},
    {"AUTOINC", ColumnType::AutoInc, 0, false},
    {"LOGICAL", ColumnType::Logical, 0, false},
    {"DOUBLE", ColumnType::Double, 0, false},
    {"CURDOUBLE", ColumnType::CurDouble, 0, false},
    {"MONEY", ColumnType::Money, 0, false},
    {"DATE", ColumnType::Date, 0, false},
    {"TIME", ColumnType::Time, 0, false},
    {"TIMESTAMP", ColumnType::TimeStamp, 0, false},
    {"MODTIME", ColumnType::ModTime, 0, false},
    {"ROWVERSION", ColumnType::RowVersion, 0, false},
    {"MEMO", ColumnType::Memo, 0, false},
    {"NMEMO", ColumnType::NMemo, 0, false},
    {"BLOB", ColumnType::Binary, 0, false},
    {"BINARY", ColumnType::Binary, 0, false},
    {"IMAGE", ColumnType::Image, 0, false},
};

// Words that end a clause and so can never be an alias.
constexpr std::string_view kReserved[] = {"FROM",   "WHERE",  "AS",    "ON",   "ORDER",
                                          "GROUP",  "HAVING", "UNION", "JOIN", "INNER",
                                          "SELECT", "INTO",   "VALUES"};

constexpr size_t kLongestReserved =
    std::max_element(std::begin(kReserved), std::end(kReserved),
                     [](std::string_view a, std::string_view b) { return a.size() < b.size(); })
        ->size();

bool isReserved(const Token& t) {
    if (t.text.size() > kLongestReserved) return false;  // most names: no word to compare
    return std::any_of(std::begin(kReserved), std::end(kReserved),
                       [&t](std::string_view w) { return t.isWord(w); });
}

class StatementParser {
  public:
    StatementParser(std::string_view text, const expr::ParseOptions& options)
        : tokens_(text, expr::Dialect::Sql), options_(options) {}

    Status parseAll(StatementList* out) {
        for (;;) {
            while (tokens_.peek().is(";")) tokens_.take();
            if (tokens_.peek().kind == TokenKind::End) break;
            Statement& s = out->emplace_back();
            s.offset = tokens_.peek().offset;
            if (!parseStatement(&s)) return sqlError(kNativeSyntax, message_);
            if (!tokens_.peek().is(";") && tokens_.peek().kind != TokenKind::End)
                return sqlError(
                    kNativeSyntax,
                    expr::syntaxMessage(tokens_.peek(), "';' or end of statement expected"));
        }
        if (out->empty()) return sqlError(kNativeNoStatement, "the text holds no statement");
        // Only the last statement's rows are returned, so rows asked for earlier could
        // only serve to smuggle further statements behind a value typed into a query.
        for (size_t i = 0; i + 1 < out->size(); ++i) {
            Statement::Kind k = (*out)[i].kind;
            if (k == Statement::Kind::Select || k == Statement::Kind::Execute)
                return sqlError(kNativeSyntax,
                                "a statement that returns rows must be the last one of the text");
        }
        return Status::success();
    }

  private:
    bool fail(const std::string& what) {
        if (message_.empty()) message_ = expr::syntaxMessage(tokens_.peek(), what);
        return false;
    }

    // Words and symbols are views so that their lengths are known where they are written.
    bool expectWord(std::string_view word) {
        if (!tokens_.peek().isWord(word)) return fail(std::string(word) + " expected");
        tokens_.take();
        return true;
    }

    // Every symbol a statement requires is one character.
    bool expectSymbol(char symbol) {
        const Token& t = tokens_.peek();
        if (t.kind != TokenKind::Symbol || t.text.size() != 1 || t.text[0] != symbol)
            return fail(std::string("'") + symbol + "' expected");
        tokens_.take();
        return true;
    }

    bool acceptWord(std::string_view word) {
        if (!tokens_.peek().isWord(word)) return false;
        tokens_.take();
        return true;
    }

    bool identifier(std::string_view* out, const char* what) {
        const Token& t = tokens_.peek();
        if (t.kind != TokenKind::Name || isReserved(t))
            return fail(std::string(what) + " expected");
        *out = tokens_.take().text;
        return true;
    }

    bool identifier(std::string* out, const char* what) {
        std::string_view name;
        if (!identifier(&name, what)) return false;
        out->assign(name);
        return true;
    }

    bool unsignedNumber(uint32_t* out) {
        const Token& t = tokens_.peek();
        if (t.kind != TokenKind::Number ||
            t.text.find_first_not_of("0123456789") != std::string::npos || t.text.size() > 9)
            return fail("length expected");
        *out = static_cast<uint32_t>(
            std::strtoul(std::string(tokens_.take().text).c_str(), nullptr, 10));
        return true;
    }

    NodePtr expression() {
        NodePtr n = expr::parseExpression(tokens_, options_, &exprError_);
        if (!n && message_.empty()) message_ = exprError_.message;
        return n;
    }

    bool parseStatement(Statement* s) {
        if (acceptWord("CREATE")) {
            if (acceptWord("TABLE")) return parseCreateTable(s);
            s->unique = acceptWord("UNIQUE");
            if (acceptWord("INDEX")) return parseCreateIndex(s);
            return fail("TABLE or INDEX expected");
        }
        if (acceptWord("DROP")) {
            s->kind = Statement::Kind::DropTable;
            return expectWord("TABLE") && identifier(&s->table, "table name");
        }
        if (acceptWord("INSERT")) return parseInsert(s);
        if (acceptWord("EXECUTE") || acceptWord("EXEC")) {
            s->kind = Statement::Kind::Execute;
            return parseProcedureCall(&s->procedure);
        }
        if (acceptWord("SELECT")) return parseSelect(s);
        return fail("statement expected");
    }

    bool parseColumnType(ColumnDef* c) {
        const Token& t = tokens_.peek();
        const TypeName* type = nullptr;
        for (const TypeName& candidate : kTypes) {
            if (t.isWord(candidate.name)) type = &candidate;
        }
        if (!type) return fail("column type expected");
        tokens_.take();
        c->type = type->type;
        c->length = record::defaultLength(type->type);
        if (type->lengths > 0 && tokens_.peek().is("(")) {
            tokens_.take();
            uint32_t decimals = 0;
            if (!unsignedNumber(&c->length)) return false;
            if (type->lengths > 1 && tokens_.peek().is(",")) {
                tokens_.take();
                if (!unsignedNumber(&decimals)) return false;
            }
            c->decimals = static_cast<uint16_t>(std::min<uint32_t>(decimals, 0xFFFF));
            if (!expectSymbol(')')) return false;
        } else if (type->lengthRequired) {
            return fail(std::string("length expected after ") + type->name);
        }
        if (acceptWord("NOT")) {
            if (!expectWord("NULL")) return false;
            c->nullable = false;
        } else {
            acceptWord("NULL");
        }
        return true;
    }

    bool parseCreateTable(Statement* s) {
        s->kind = Statement::Kind::CreateTable;
        if (!identifier(&s->table, "table name") || !expectSymbol('(')) return false;
        do {
            ColumnDef c;
            if (!identifier(&c.name, "column name") || !parseColumnType(&c)) return false;
            s->columns.push_back(std::move(c));
        } while (tokens_.peek().is(",") && (tokens_.take(), true));
        return expectSymbol(')');
    }

    bool nameList(std::vector<std::string>* out) {
        if (!expectSymbol('(')) return false;
        do {
            std::string name;
            if (!identifier(&name, "column name")) return false;
            out->push_back(std::move(name));
        } while (tokens_.peek().is(",") && (tokens_.take(), true));
        return expectSymbol(')');
    }

    bool parseCreateIndex(Statement* s) {
        s->kind = Statement::Kind::CreateIndex;
        if (!identifier(&s->name, "index name") || !expectWord("ON") ||
            !identifier(&s->table, "table name") || !nameList(&s->columnNames))
            return false;
        s->descending = acceptWord("DESC");
        return true;
    }

    bool parseInsert(Statement* s) {
        s->kind = Statement::Kind::Insert;
        if (!expectWord("INTO") || !identifier(&s->table, "table name")) return false;
        if (tokens_.peek().is("(") && !nameList(&s->columnNames)) return false;
        if (!expectWord("VALUES")) return false;
        do {
            if (!expectSymbol('(')) return false;
            std::vector<NodePtr> row;
            do {
                NodePtr v = expression();
                if (!v) return false;
                row.push_back(std::move(v));
            } while (tokens_.peek().is(",") && (tokens_.take(), true));
            if (!expectSymbol(')')) return false;
            s->values.push_back(std::move(row));
        } while (tokens_.peek().is(",") && (tokens_.take(), true));
        return true;
    }

    // PROCEDURE name ( [expr {, expr}] ), after EXECUTE.
    bool parseProcedureCall(ProcedureCall* call) {
        if (!expectWord("PROCEDURE") || !identifier(&call->name, "procedure name") ||
            !expectSymbol('('))
            return false;
        if (!tokens_.peek().is(")")) {
            do {
                NodePtr a = expression();
                if (!a) return false;
                call->args.push_back(std::move(a));
            } while (tokens_.peek().is(",") && (tokens_.take(), true));
        }
        return expectSymbol(')');
    }

    bool parseSelectItem(SelectItem* item) {
        const Token& t = tokens_.peek();
        if (t.is("*")) {
            tokens_.take();
            item->kind = SelectItem::Kind::Star;
            return true;
        }
        if (t.kind == TokenKind::Name && tokens_.peek(1).is(".") && tokens_.peek(2).is("*")) {
            item->kind = SelectItem::Kind::QualifiedStar;
            item->qualifier = tokens_.take().text;
            tokens_.take();
            tokens_.take();
            return true;
        }
        item->expr = expression();
        if (!item->expr) return false;
        return optionalAlias(&item->alias);
    }

    // [AS] name, where a bare name must not be a clause word.
    bool optionalAlias(std::string* alias) {
        if (acceptWord("AS")) return identifier(alias, "alias");
        const Token& t = tokens_.peek();
        if (t.kind == TokenKind::Name && !isReserved(t)) *alias = tokens_.take().text;
        return true;
    }

    bool parseSelect(Statement* s) {
        s->kind = Statement::Kind::Select;
        do {
            SelectItem item;
            if (!parseSelectItem(&item)) return false;
            s->items.push_back(std::move(item));
        } while (tokens_.peek().is(",") && (tokens_.take(), true));
        if (!expectWord("FROM")) return false;
        if (tokens_.peek().is("(")) {
            tokens_.take();
            if (!expectWord("EXECUTE") || !parseProcedureCall(&s->procedure) || !expectSymbol(')'))
                return false;
            s->fromProcedure = true;
        } else if (!identifier(&s->table, "table name")) {
            return false;
        }
        if (!optionalAlias(&s->alias)) return false;
        if (tokens_.peek().is(",") || tokens_.peek().isWord("JOIN"))
            return fail("only one table may follow FROM");
        if (acceptWord("WHERE")) {
            s->where = expression();
            if (!s->where) return false;
        }
        return true;
    }

    expr::TokenStream tokens_;
    const expr::ParseOptions& options_;
    std::string message_;
    expr::ExprError exprError_;  // one for every expression of the text, cleared by each parse
};

}  // namespace

Status parseStatements(std::string_view text, const std::vector<std::string>& paramNames,
                       const std::vector<Value>& params, StatementList* out) {
    expr::ParseOptions options;
    options.dialect = expr::Dialect::Sql;
    options.param = [&](const std::string& name) {
        for (size_t i = 0; i < paramNames.size() && i < params.size(); ++i) {
            if (expr::equalsNoCase(paramNames[i], name)) return params[i];
        }
        return Value::null();
    };
    StatementParser parser(text, options);
    return parser.parseAll(out);
}

std::vector<std::string> parameterNames(std::string_view text) {
    std::vector<std::string> names;
    if (text.find(':') == std::string_view::npos) return names;  // no :name in the text
    expr::Lexer lexer(text, expr::Dialect::Sql);
    for (Token t = lexer.next(); t.kind != TokenKind::End; t = lexer.next()) {
        if (t.kind == TokenKind::Invalid) break;
        if (t.kind != TokenKind::Param) continue;
        bool seen = std::any_of(names.begin(), names.end(), [&t](const std::string& n) {
            return expr::equalsNoCase(n, t.text);
        });
        if (!seen) names.emplace_back(t.text);
    }
    return names;
}

}  // namespace engine::sql
