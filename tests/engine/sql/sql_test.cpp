// sql_test.cpp: the SQL dialect against an in-memory catalog — the tool's exact templates,
// then one table of statements that run or fail with their codes.
#include <gtest/gtest.h>

#include "engine/core/sql/executor.h"
#include "engine/expr/values.h"
#include "engine/include/engine_api.h"
#include "engine/testing/fake_catalog.h"

namespace engine::sql {
namespace {

ColumnDef col(const char* name, ColumnType type, uint32_t length) {
    ColumnDef c;
    c.name = name;
    c.type = type;
    c.length = length;
    return c;
}

// Joins lines the way the data-access layer sends them: each followed by CR LF.
std::string lines(std::initializer_list<std::string> ls) {
    std::string t;
    for (const std::string& l : ls) t += l + "\r\n";
    return t;
}

int32_t nativeOf(const Status& s) {
    size_t at = s.text.find("NativeError = ");
    if (s.code != AE_SQL_ERROR || at == std::string::npos ||
        s.text.find("Error 7200:") == std::string::npos)
        return 0;
    return std::atoi(s.text.c_str() + at + 14);
}

class SqlTest : public ::testing::Test {
  protected:
    SqlTest() {
        FakeTable clients;
        clients.columns = {col("NumClient", ColumnType::CiString, 10),
                           col("Nom", ColumnType::String, 30), col("Solde", ColumnType::Double, 8),
                           col("Ouvert", ColumnType::Date, 4)};
        for (int i = 1; i <= 64; ++i) {
            clients.records.push_back(Row{Value::ofString("C" + std::to_string(i), true),
                                          Value::ofString("Client " + std::to_string(i)),
                                          Value::ofDouble(i * 1.5),
                                          Value::ofDate(expr::julianDay(2020, 1, 2))});
        }
        clients.records[1].reset();  // record 2 deleted
        catalog_.tables["CLIENTS"] = clients;
        FakeTable factures;
        factures.columns = {col("NumFacture", ColumnType::Integer, 4),
                            col("Client", ColumnType::CiString, 10)};
        factures.records = {Row{Value::ofInteger(123), Value::ofString("C1", true)},
                            Row{Value::ofInteger(124), Value::ofString("C3", true)}};
        catalog_.tables["FACTURES"] = factures;
        catalog_.locks["/DATA/BASE/CLIENTS.ADT"] = {42, 7};
        catalog_.locks["/X/CLIENTS.ADT"] = {42};
    }

    Status run(const std::string& text, const std::vector<Value>& params = {}) {
        return execute(catalog_, text, params, &result_);
    }

    FakeCatalog catalog_;
    ExecuteResult result_;
};

TEST_F(SqlTest, ResultTableCreationAndDrop) {
    const std::string create = lines({
        "CREATE TABLE #UsersTableLocks (",
        "    DictionaryName CIChar(25),",
        "\t  DictionaryPath CIChar(100),",
        "\t  TableName CIChar(25),",
        "\t  TablePath CIChar(100),",
        "\t  UserName CIChar(50),",
        "\t  OsUserLoginName CIChar(50),",
        "\t  ApplicationID CIChar(70),",
        "\t  LockedRecNo Integer );",
        "",
        "Create Index UserName on #UsersTableLocks(UserName);",
        "Create Index OsUserLoginName on #UsersTableLocks(OsUserLoginName);",
    });
    ASSERT_TRUE(run(create).ok()) << run(create).text;
    EXPECT_FALSE(result_.hasCursor);
    const FakeTable* t = catalog_.find("#UsersTableLocks");
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->columns.size(), 8u);
    EXPECT_EQ(t->columns[1].name, "DictionaryPath");
    EXPECT_EQ(t->columns[1].type, ColumnType::CiString);
    EXPECT_EQ(t->columns[1].length, 100u);
    EXPECT_EQ(t->columns[7].type, ColumnType::Integer);
    ASSERT_EQ(t->indexes.size(), 2u);
    EXPECT_EQ(t->indexes[1].name, "OsUserLoginName");
    EXPECT_EQ(t->indexes[1].columns, std::vector<std::string>{"OsUserLoginName"});

    const std::string drop = "Drop\r\nTable\r\n#UsersTableLocks;\r\n";
    EXPECT_TRUE(run(drop).ok());
    EXPECT_EQ(catalog_.find("#UsersTableLocks"), nullptr);
    Status again = run(drop);
    EXPECT_EQ(again.code, static_cast<uint32_t>(AE_SQL_ERROR));
    EXPECT_EQ(nativeOf(again), kNativeUnknownTable);
}

TEST_F(SqlTest, LockProcedures) {
    ASSERT_TRUE(run("EXECUTE PROCEDURE sp_mgGetAllLocks('/data/Base/Clients.adt ');\r\n").ok());
    ASSERT_TRUE(result_.hasCursor);
    ASSERT_EQ(result_.result.rows.size(), 2u);
    EXPECT_EQ(result_.result.layout->columns[0].name, "LockedRecNo");
    EXPECT_EQ(catalog_.calls.back(), "sp_mgGetAllLocks(/data/Base/Clients.adt )");

    ASSERT_TRUE(run("EXECUTE PROCEDURE sp_mgGetLockOwner( '/data/Base/Clients.adt',42);\r\n").ok());
    ASSERT_EQ(result_.result.rows.size(), 1u);
    EXPECT_EQ(result_.result.layout->columns.size(), 8u);
    EXPECT_EQ(result_.result.rows[0][5].text, "mdupont");

    // The query's first template line, Windows-1252 accents included, runs as sent.
    ASSERT_TRUE(run("EXECUTE PROCEDURE sp_mgGetAllLocks('Cette ligne doit \xEAtre chang\xE9"
                    "e par programmation!!');\r\n")
                    .ok());
    EXPECT_TRUE(result_.result.rows.empty());
    EXPECT_EQ(catalog_.calls.back(),
              "sp_mgGetAllLocks(Cette ligne doit \xEAtre chang\xE9"
              "e par programmation!!)");
}

TEST_F(SqlTest, RecordByRowIdTemplate) {
    auto text = [](const std::string& table, const std::string& code) {
        return lines(
            {"Select X.*, X.RowID", "From", table, "as X", "Where Right(X.RowID,6) =", code});
    };
    ASSERT_TRUE(run(text("Clients", " 'AAAAAq' ")).ok());
    ASSERT_EQ(result_.result.rows.size(), 1u);
    const auto& cols = result_.result.layout->columns;
    ASSERT_EQ(cols.size(), 5u);
    EXPECT_EQ(cols[0].type, ColumnType::CiString);  // X.* keeps the table's types
    EXPECT_EQ(cols[0].length, 10u);
    EXPECT_EQ(cols[4].name, "RowID");
    EXPECT_EQ(cols[4].type, ColumnType::String);
    EXPECT_EQ(cols[4].length, 18u);
    EXPECT_EQ(result_.result.rows[0][0].text, "C42");
    EXPECT_EQ(result_.result.rows[0][4].text, "BAAAAAAAAAAAAAAAAq");

    ASSERT_TRUE(run(text("Clients", " 'AAAABA' ")).ok());  // record 64
    EXPECT_EQ(result_.result.rows.size(), 1u);
    for (const char* none : {" 'AAAAAC' ", " 'AAAABB' ", " 'A*AAAq' ", " 'AAAq' "}) {
        SCOPED_TRACE(none);  // deleted, past the end, not a code, too short
        ASSERT_TRUE(run(text("Clients", none)).ok());
        EXPECT_TRUE(result_.result.rows.empty());
    }
    Status unknown = run(text("Clientz", " 'AAAAAq' "));
    EXPECT_EQ(nativeOf(unknown), kNativeUnknownTable);
    // Before its lines are replaced the template is refused cleanly.
    Status raw = run(text("//Ligne par programmation .. Nom de la table",
                          "//Ligne par programmation .. 6 derni\xE8res Character du RowID voulu"));
    EXPECT_EQ(nativeOf(raw), kNativeSyntax);
}

TEST_F(SqlTest, RowIdByFieldValueTemplate) {
    auto text = [](const std::string& table, const std::string& field, const std::string& value) {
        return lines({"select rowid from", std::string(17, ' ') + table,
                      " \t" + std::string(14, ' ') + "where", " \t" + std::string(14, ' ') + field,
                      " \t" + std::string(14, ' ') + "=", std::string(15, ' ') + value});
    };
    ASSERT_TRUE(run(text("Clients", "NumClient", "'c7'")).ok());  // CIChar: any letter case
    ASSERT_EQ(result_.result.rows.size(), 1u);
    EXPECT_EQ(result_.result.layout->columns[0].length, 18u);
    EXPECT_EQ(result_.result.rows[0][0].text.substr(12), "AAAAAH");

    ASSERT_TRUE(run(text("Factures", "NumFacture", "123")).ok());
    ASSERT_EQ(result_.result.rows.size(), 1u);
    EXPECT_EQ(result_.result.rows[0][0].text.substr(12), "AAAAAB");

    ASSERT_TRUE(run(text("Clients", "NumClient", "\"C7\"")).ok());  // the user's double quotes
    EXPECT_EQ(result_.result.rows.size(), 1u);

    EXPECT_EQ(nativeOf(run(text("Clients", "NumClient", "C7"))), kNativeUnknownColumn);
    EXPECT_EQ(nativeOf(run(text("Factures", "NumFacture", "'123'"))), kNativeTypeMismatch);
    EXPECT_EQ(nativeOf(run(text("Clients", "Numero", "'C7'"))), kNativeUnknownColumn);
    // A value that tries to append a statement runs nothing.
    EXPECT_EQ(nativeOf(run(text("Factures", "NumFacture", "1; DROP TABLE Clients"))),
              kNativeSyntax);
    EXPECT_NE(catalog_.find("Clients"), nullptr);
    EXPECT_EQ(nativeOf(run(text("//nom de la table", "//colonne \xE0 chercher",
                                "//Valeur de la colonne \xE0 chercher"))),
              kNativeSyntax);
}

TEST_F(SqlTest, LockOwnerThroughSubqueryTemplate) {
    auto text = [](const std::string& path, const std::string& recno) {
        return lines(
            {"Select Principal.UserName, Principal.OsUserLoginName, Principal.ApplicationID",
             "From", "(", "EXECUTE PROCEDURE sp_mgGetLockOwner(", path,
             std::string(9, '\t') + std::string(20, ' ') + ",", std::string(38, ' ') + recno,
             std::string(9, '\t') + std::string(17, ' ') + ")", ")as Principal;"});
    };
    ASSERT_TRUE(run(text("'/x/Clients.adt'", "42")).ok())
        << run(text("'/x/Clients.adt'", "42")).text;
    ASSERT_EQ(result_.result.layout->columns.size(), 3u);
    EXPECT_EQ(result_.result.layout->columns[1].name, "OSUserLoginName");
    EXPECT_EQ(result_.result.layout->columns[2].length, 70u);
    ASSERT_EQ(result_.result.rows.size(), 1u);
    EXPECT_EQ(result_.result.rows[0][2].text, "Facturation");

    ASSERT_TRUE(run(text("'/x/Clients.adt'", "43")).ok());
    EXPECT_TRUE(result_.result.rows.empty());
    EXPECT_EQ(nativeOf(run(text("//'D:\\Base\\Clients.adt'", "//RecNumber trouver par son RowID"))),
              kNativeSyntax);
    EXPECT_EQ(nativeOf(run("//Ligne par programmation\r\n")), kNativeNoStatement);
}

// Text literals reach the procedure as their value: quotes doubled inside them undone,
// the other quote kept, everything else byte for byte.
TEST_F(SqlTest, TextLiteralsReachTheProcedureAsTheirValue) {
    const struct {
        const char* literal;
        const char* value;
    } cases[] = {
        {"'/data/Base/Clients.adt'", "/data/Base/Clients.adt"},
        {"''", ""},
        {"'it''s'", "it's"},
        {"''''", "'"},
        {"'a''''b'''", "a''b'"},
        {"'say \"hi\"'", "say \"hi\""},
        {"\"l''arbre \"\"x\"\"\"", "l''arbre \"x\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.literal);
        Status s = run(std::string("EXECUTE PROCEDURE sp_mgGetAllLocks(") + c.literal + ");");
        ASSERT_TRUE(s.ok()) << s.text;
        EXPECT_EQ(catalog_.calls.back(), std::string("sp_mgGetAllLocks(") + c.value + ")");
    }
    for (const char* bad : {"'it''s", "'", "'a' ?"}) {
        Status s = run(std::string("EXECUTE PROCEDURE sp_mgGetAllLocks(") + bad + ");");
        EXPECT_EQ(nativeOf(s), kNativeSyntax) << bad;
    }
    EXPECT_NE(
        run("EXECUTE PROCEDURE sp_mgGetAllLocks('a') ?").text.find("unexpected character '?'"),
        std::string::npos);
}

// Literal arguments and computed ones reach the procedure in their places, of their kinds
// (which the procedure may then refuse); a computed one that fails stops the call, a
// malformed one the whole text first.
TEST_F(SqlTest, ProcedureArgumentsReachTheProcedureInOrder) {
    const struct {
        const char* args;
        const char* call;  // the arguments as the procedure got them; empty: fails
        int32_t native = 0;
    } cases[] = {
        {"'p', 7", "p,7"},
        {"'p', 3 + 4", "p,7"},
        {"'a' + 'b', 7", "ab,7"},
        {"('p'), -7", "p,-7"},
        {"\"p\" , 2.5", "p,2.500000", kNativeBadArguments},
        {"'p', NULL", "p,NULL", kNativeBadArguments},
        {"'p', 12345678901234567890", "p,12345678901234567168.000000", kNativeBadArguments},
        {"'p', 7, 'q'", "p,7,q", kNativeBadArguments},
        {"'p', NumClient", "", kNativeUnknownColumn},
        {"'p', 1e999", "", kNativeSyntax},
        {"NumClient, 1e999", "", kNativeSyntax},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        catalog_.calls.clear();
        Status s = run(std::string("EXECUTE PROCEDURE sp_mgGetLockOwner(") + c.args + ");");
        EXPECT_EQ(nativeOf(s), c.native) << s.text;
        if (*c.call) {
            ASSERT_EQ(catalog_.calls.size(), 1u);
            EXPECT_EQ(catalog_.calls.back(), std::string("sp_mgGetLockOwner(") + c.call + ")");
        } else {
            EXPECT_TRUE(catalog_.calls.empty());
        }
    }
}

struct StatementCase {
    const char* text;
    int32_t native;   // 0: must run
    size_t rows = 0;  // rows of the last statement's cursor when it runs
};

TEST_F(SqlTest, StatementsThatRunAndFail) {
    const StatementCase cases[] = {
        {"SELECT * FROM Clients", 0, 63},
        {"select NumClient from clients c where c.nom = 'Client 5'", 0, 1},
        {"SELECT NumClient FROM Clients WHERE Upper(Nom) = 'CLIENT 5' OR Lower(Nom) = 'client 6'",
         0, 2},
        {"SELECT Trim('  a  ') AS t, Left(Nom, 3), Substring(Nom, 8, 2) FROM Clients WHERE "
         "NumClient = 'c10'",
         0, 1},
        {"SELECT * FROM Clients WHERE NOT (Solde > 3) AND NumClient <> 'C1'", 0,
         0},  // 1.5 and 3.0 excluded
        {"SELECT * FROM Clients WHERE Solde >= 90 AND Ouvert IS NOT NULL", 0, 5},
        {"-- a comment line\nSELECT * FROM Factures /* inline */ WHERE NumFacture = 124; // "
         "trailing",
         0, 1},
        {"SELECT * FROM Factures WHERE NumFacture = :n", 0, 0},  // unbound parameter is NULL
        {"CREATE TABLE T2 (a Char(5), b Numeric(6,2), c Logical, d TimeStamp, e AutoInc, f Memo, g "
         "Blob, "
         "h Raw(4), i NChar(3), j NVarChar(8), k NMemo, l VarChar(20), m Money, n ShortInt, o "
         "Time, p Image);"
         "INSERT INTO T2 (a, b, c, d) VALUES ('abc', 12.5, TRUE, '01/02/2020 10:00:00'), ('x', -1, "
         "FALSE, NULL);"
         "SELECT * FROM T2 WHERE c = TRUE",
         0, 1},
        {"INSERT INTO Factures VALUES (125, 'C9')", 0, 0},
        {"CREATE UNIQUE INDEX ix ON Factures(NumFacture, Client) DESC", 0, 0},
        {"SELECT * FROM [Factures] AS f WHERE f.Client = 'c1'", 0, 1},
        {"SELECT * FROM Clients WHERE Ouvert = '02/01/2020' AND '2020-01-02' = Ouvert AND Nom = "
         "'Client 9'",
         0, 1},
        // Syntax.
        {"SELEC * FROM Clients", kNativeSyntax},
        {"SELECT * FROM Clients WHERE", kNativeSyntax},
        {"SELECT * FROM Clients, Factures", kNativeSyntax},
        {"SELECT * FROM Clients WHERE Nom = 'unterminated", kNativeSyntax},
        {"CREATE TABLE T3 (a Char)", kNativeSyntax},
        {"CREATE TABLE T3 (a Strange(3))", kNativeSyntax},
        {"SELECT * FROM Clients; DROP", kNativeSyntax},
        {"SELECT * FROM Clients WHERE Nom == 'a'", kNativeSyntax},
        {"SELECT * FROM Clients WHERE Nom # 'a'", kNativeSyntax},
        {"", kNativeNoStatement},
        {" ; ;\r\n// nothing\r\n", kNativeNoStatement},
        // Names.
        {"SELECT Nope FROM Clients", kNativeUnknownColumn},
        {"SELECT Y.Nom FROM Clients X", kNativeUnknownColumn},
        {"SELECT Y.* FROM Clients X", kNativeUnknownColumn},
        {"SELECT * FROM Nope", kNativeUnknownTable},
        {"INSERT INTO Nope VALUES (1)", kNativeUnknownTable},
        {"INSERT INTO Factures (Nope) VALUES (1)", kNativeUnknownColumn},
        {"CREATE INDEX ix ON Factures(Nope)", kNativeUnknownColumn},
        {"CREATE INDEX ix ON Nope(a)", kNativeUnknownTable},
        {"DROP TABLE Nope", kNativeUnknownTable},
        {"EXECUTE PROCEDURE sp_nothing()", kNativeUnknownProcedure},
        {"EXECUTE PROCEDURE sp_mgGetAllLocks()", kNativeBadArguments},
        {"EXECUTE PROCEDURE sp_mgGetAllLocks(NumClient)", kNativeUnknownColumn},
        // Kinds and sizes.
        {"SELECT * FROM Clients WHERE Nom = 5", kNativeTypeMismatch},
        {"SELECT * FROM Clients WHERE Nom", kNativeTypeMismatch},
        {"SELECT * FROM Clients WHERE Ouvert = '12/31/2020'", kNativeTypeMismatch},
        {"INSERT INTO Factures VALUES ('x', 'C1')", kNativeTypeMismatch},
        {"INSERT INTO Factures VALUES (1)", kNativeSyntax},
        {"INSERT INTO Factures VALUES (1, 'ABCDEFGHIJK')", kNativeValueTooLong},
        {"INSERT INTO Factures VALUES (2147483648, 'C1')", kNativeValueTooLong},
        {"INSERT INTO Factures (NumFacture, NumFacture) VALUES (1, 2)", kNativeSyntax},
        {"CREATE TABLE T4 (d Date, n Numeric(4,2)); INSERT INTO T4 (d) VALUES ('12/31/2020')",
         kNativeTypeMismatch},
        {"CREATE TABLE T5 (n Numeric(4,2)); INSERT INTO T5 VALUES (123.5)", kNativeValueTooLong},
    };
    for (const StatementCase& c : cases) {
        SCOPED_TRACE(c.text);
        Status s = run(c.text);
        if (c.native == 0) {
            ASSERT_TRUE(s.ok()) << s.text;
            if (result_.hasCursor) {
                EXPECT_EQ(result_.result.rows.size(), c.rows);
            }
        } else {
            EXPECT_EQ(s.code, static_cast<uint32_t>(AE_SQL_ERROR)) << s.text;
            EXPECT_EQ(nativeOf(s), c.native) << s.text;
        }
    }
}

// A refused statement names what was expected and the offset of the token found instead.
TEST_F(SqlTest, SyntaxErrorsNameWhatWasExpectedAndWhere) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"EXECUTE PROCEDURE sp_x 'a'", "syntax error at offset 23: '(' expected (near 'a')"},
        {"EXECUTE PROCEDURE sp_x('a'", "syntax error at offset 26: ')' expected (end of text)"},
        {"EXECUTE PROCEDURE sp_x('a' 1)", "syntax error at offset 27: ')' expected (near '1')"},
        {"EXECUTE sp_x()", "syntax error at offset 8: PROCEDURE expected (near 'sp_x')"},
        {"EXECUTE PROCEDURE FROM()",
         "syntax error at offset 18: procedure name expected (near 'FROM')"},
        {"EXECUTE PROCEDURE sp_x(1,)", "syntax error at offset 25: operand expected (near ')')"},
        {"EXECUTE PROCEDURE sp_x(1e999)",
         "syntax error at offset 23: number out of range (near '1e999')"},
        {"CREATE TABLE t (a Char(5)", "syntax error at offset 25: ')' expected (end of text)"},
        {"SELECT * FROM (EXECUTE PROCEDURE sp_x(1) x",
         "syntax error at offset 41: ')' expected (near 'x')"},
        {"INSERT INTO t VALUES (1, 2", "syntax error at offset 26: ')' expected (end of text)"},
        {"SELECT a FROM t WHERE 1 = 'x' 'y'",
         "syntax error at offset 30: ';' or end of statement expected (near 'y')"},
    };
    for (const auto& c : cases) {
        Status s = run(c.text);
        EXPECT_EQ(nativeOf(s), kNativeSyntax) << c.text;
        EXPECT_NE(s.text.find(c.message), std::string::npos) << c.text << "\n" << s.text;
    }
}

TEST_F(SqlTest, InsertedValuesTakeTheColumnKinds) {
    ASSERT_TRUE(run("CREATE TABLE #t (a CIChar(5), b Double, c Date, e AutoInc);"
                    "INSERT INTO #t (a, b, c) VALUES ('x', 2, '2020-01-02'), (:p, NULL, NULL)",
                    {Value::ofString("y")})
                    .ok());
    EXPECT_EQ(result_.rowsAffected, 2);
    const FakeTable* t = catalog_.find("#T");
    ASSERT_EQ(t->records.size(), 2u);
    const Row& r = *t->records[0];
    EXPECT_TRUE(r[0].caseInsensitive);
    EXPECT_EQ(r[1].kind, Value::Kind::Double);
    EXPECT_EQ(r[2].julian, expr::julianDay(2020, 1, 2));
    EXPECT_TRUE(r[3].isNull());  // the engine numbers AUTOINC itself
    EXPECT_EQ((*t->records[1])[0].text, "y");
}

TEST_F(SqlTest, ComputedColumnsAndParameters) {
    ASSERT_TRUE(run("SELECT NumFacture + 1 AS Suivante, Client + '-' + 'x' FROM Factures WHERE "
                    "Client = :c OR "
                    "Client = :d",
                    {Value::ofString("C3")})
                    .ok());
    ASSERT_EQ(result_.result.rows.size(), 1u);
    EXPECT_EQ(result_.result.layout->columns[0].name, "Suivante");
    EXPECT_EQ(result_.result.layout->columns[0].type, ColumnType::Integer);
    EXPECT_EQ(result_.result.rows[0][0].integer, 125);
    EXPECT_EQ(result_.result.layout->columns[1].type, ColumnType::String);
    EXPECT_EQ(result_.result.layout->columns[1].length, 4u);
    EXPECT_EQ(result_.result.rows[0][1].text, "C3-x");

    EXPECT_EQ(
        parameterNames("SELECT ':no' FROM t -- :nor\r\n WHERE a = :one AND b = :Two OR c = :ONE"),
        (std::vector<std::string>{"one", "Two"}));
}

// A result's rows keep their room from one statement to the next, never their values: a
// row appended after a reset is Null in every field, whatever stood in its place before.
TEST(ResultRowsTest, RowsAppendedAfterAResetHoldNothingOfTheRowsBefore) {
    ResultRows rows(4);
    for (int i = 0; i < 3; ++i) {
        std::span<Value> r = rows.append();
        r[0] = Value::ofString("texte " + std::to_string(i), true);
        r[1] = Value::ofTimeStamp(2459000 + i, 1000);
        r[2] = Value::ofBinary(std::string("\x01\x02", 2));
        r[3] = Value::ofLogical(true);
        r[3].integer = 7;
        r[3].real = 1.5;
    }
    for (size_t width : {size_t{4}, size_t{2}, size_t{6}}) {
        rows.reset(width);
        ASSERT_EQ(rows.size(), 0u);
        for (int i = 0; i < 3; ++i) {
            std::span<Value> r = rows.append();
            ASSERT_EQ(r.size(), width);
            for (size_t c = 0; c < width; ++c) {
                const Value& v = r[c];
                EXPECT_TRUE(v.isNull() && !v.logical && v.integer == 0 && v.real == 0 &&
                            v.text.empty() && v.julian == 0 && v.millis == 0 && !v.caseInsensitive)
                    << "width " << width << ", row " << i << ", column " << c;
            }
            r[0] = Value::ofString("suivant", true);
        }
    }
}

}  // namespace
}  // namespace engine::sql
