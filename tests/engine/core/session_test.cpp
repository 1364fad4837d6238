// Sessions: connecting and its refusals, enumeration, dictionary properties, opening
// tables, editing, SQL cursors and temporary tables.
#include <gtest/gtest.h>

#include <tuple>

#include "engine/include/engine_api.h"
#include "engine/record/record.h"
#include "tests/engine/core/core_fixture.h"

namespace engine::testing {
namespace {

using SessionTest = CoreTest;

TEST_F(SessionTest, RefusedConnectionsHaveTheirOwnCodes) {
    struct Case {
        std::string text;
        uint32_t code;
    };
    std::string dd = dictionary_;
    const Case cases[] = {
        {"Data Source=" + dir_ + "/Absent.add;User ID=adssys;Password=\"kor5382\";",
         AE_FILE_NOT_FOUND},
        {"Data Source=" + dd + ";User ID=adssys;Password=\"wrong\";", AE_LOGIN_FAILED},
        {"Data Source=" + dd + ";User ID=nobody;Password=\"kor5382\";", AE_LOGIN_FAILED},
        {"Data Source=" + dd + ";", AE_LOGIN_FAILED},
        {"Data Source=" + dd + ";User ID=adssys;Password=\"kor5382\";ServerType=INTERNET;",
         AE_SERVER_TYPE_REFUSED},
        {"Data Source=" + dd + ";User ID=adssys;Password=\"kor5382\";ServerType=CLOUD;",
         AE_INVALID_ARGUMENT},
        {"User ID=adssys;", AE_INVALID_ARGUMENT},
        {"Data Source=" + dd + ";Password=\"open", AE_INVALID_ARGUMENT},
        {"garbage", AE_INVALID_ARGUMENT},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Session> s;
        Status st = server_->connect(c.text, {}, &s);
        EXPECT_EQ(st.code, c.code) << c.text;
        EXPECT_FALSE(st.text.empty());
        EXPECT_EQ(s, nullptr);
    }
    // What the windows send is accepted, quoted password with ';' included.
    ASSERT_TRUE(addDictionaryUser(dictionary_, "odd", "a;b\"c", false).ok());
    std::unique_ptr<Session> s;
    EXPECT_TRUE(server_
                    ->connect("Data Source=" + dd +
                                  ";User ID=adssys;Password=\"kor5382\";FIPS=False;"
                                  "ServerType=LOCAL|REMOTE;",
                              {}, &s)
                    .ok());
    EXPECT_EQ(
        server_->connect("Data Source=" + dd + ";User ID=odd;Password=\"a;b\"c\";", {}, &s).code,
        AE_INVALID_ARGUMENT);  // nothing inside the quotes is escaped: the quote ends it
    Server remoteOnly(Server::Options{false, true, false});
    EXPECT_EQ(
        remoteOnly
            .connect("Data Source=" + dd + ";User ID=adssys;Password=\"kor5382\";ServerType=LOCAL;",
                     {}, &s)
            .code,
        AE_SERVER_TYPE_REFUSED);
}

TEST_F(SessionTest, EnumeratesDictionaryAndFreeTablesWithoutExtension) {
    auto s = connect();
    std::vector<std::string> names{"stale"};
    ASSERT_TRUE(s->listTables("", &names).ok());
    EXPECT_TRUE(names.empty());
    sql(*s,
        "CREATE TABLE Clients (Nom CIChar(20), Ville Char(10));\r\n"
        "CREATE TABLE Articles (Code Integer);");
    ASSERT_TRUE(s->listTables("*.xyz", &names).ok());
    EXPECT_EQ(names, (std::vector<std::string>{"Clients", "Articles"}));

    // A folder connection lists the tables no dictionary claims, sorted.
    std::unique_ptr<Session> free;
    ASSERT_TRUE(server_->connect("Data Source=" + dir_ + "/;FIPS=False;", {}, &free).ok());
    sql(*free, "CREATE TABLE Commandes (N Integer); CREATE TABLE Cartons (N Integer);");
    ASSERT_TRUE(free->listTables(dir_ + "/*.adt", &names).ok());
    EXPECT_EQ(names, (std::vector<std::string>{"Cartons", "Commandes"}));
    ASSERT_TRUE(free->listTables("co*", &names).ok());
    EXPECT_EQ(names, (std::vector<std::string>{"Commandes"}));
}

TEST_F(SessionTest, DefaultIndexPropertyAndUnknownTables) {
    auto s = connect();
    sql(*s,
        "CREATE TABLE Clients (Nom CIChar(20), Code Integer); CREATE INDEX ByNom ON Clients(Nom);");
    std::string value;
    EXPECT_EQ(s->tableProperty("Clients", ADS_DD_TABLE_DEFAULT_INDEX, &value).code,
              AE_PROPERTY_NOT_SET);
    ASSERT_TRUE(s->setDefaultIndex("Clients", "ByNom").ok());
    ASSERT_TRUE(s->tableProperty("clients", ADS_DD_TABLE_DEFAULT_INDEX, &value).ok());
    EXPECT_EQ(value, "ByNom");
    EXPECT_EQ(s->tableProperty("Nope", ADS_DD_TABLE_DEFAULT_INDEX, &value).code,
              AE_TABLE_NOT_IN_DICTIONARY);
    EXPECT_EQ(s->setDefaultIndex("Clients", "Missing").code, AE_INVALID_ARGUMENT);

    // A new server reads the dictionary from disk: indexes and the default index persist.
    s.reset();
    server_ = std::make_unique<Server>();
    s = connect();
    ASSERT_TRUE(s->tableProperty("Clients", ADS_DD_TABLE_DEFAULT_INDEX, &value).ok());
    CursorInfo info = open(*s, "Clients");
    ASSERT_EQ(info.indexes.size(), 1u);
    EXPECT_EQ(info.indexes[0].name, "ByNom");
    EXPECT_EQ(info.indexes[0].segments, std::vector<std::string>{"Nom"});

    CursorInfo none;
    EXPECT_EQ(s->openTable("Nope", 0, 1, 1, 1, 0, "", &none).code, AE_TABLE_NOT_IN_DICTIONARY);
    EXPECT_EQ(s->openTable(dir_ + "/Nope.adt", 3, 1, 1, 1, 0, "", &none).code, AE_FILE_NOT_FOUND);
    EXPECT_EQ(s->openTable("#Nope", 0, 1, 1, 1, 0, "", &none).code, AE_FILE_NOT_FOUND);
    EXPECT_EQ(s->openTable("Clients", ADS_CDX, 1, 1, 1, 0, "", &none).code, AE_INVALID_ARGUMENT);
    // The free-table retry of the data-access layer: path + name.
    EXPECT_TRUE(s->openTable(dir_ + "/Clients", 3, 1, 1, 1, 0, "", &none).ok());
}

TEST_F(SessionTest, OpenDescribesTheTableAndItsPermissions) {
    auto s = connect();
    sql(*s, "CREATE TABLE T (Id AutoInc, Nom CIChar(25), N Integer, Notes Memo);");
    CursorInfo info = open(*s, "T");
    EXPECT_EQ(info.tableType, ADS_ADT);
    EXPECT_EQ(info.handleType, ADS_TABLE);
    EXPECT_EQ(info.openOptions & (ADS_PERMISSION_UPDATE | ADS_PERMISSION_INSERT), 0x60u);
    ASSERT_EQ(info.columns().size(), 4u);
    EXPECT_EQ(info.columns()[1].offset, 4u);
    EXPECT_EQ(info.columns()[2].offset, 29u);
    EXPECT_EQ(info.recordLength(), 4u + 25 + 4 + 8);
    EXPECT_EQ(info.blankRecord().size(), info.recordLength());
    CursorInfo ro = open(*s, "T", ADS_READONLY);
    EXPECT_EQ(ro.openOptions, ADS_READONLY);
    Position p;
    WriteRequest w;
    w.append = true;
    EXPECT_EQ(s->writeRecord(ro.handle, w, &p).code, AE_PERMISSION_DENIED);

    auto other = connect("lecteur", "secret");
    CursorInfo excl;
    EXPECT_EQ(other->openTable("T", 0, 1, 1, 1, ADS_EXCLUSIVE, "", &excl).code, AE_TABLE_LOCKED);
    ASSERT_TRUE(s->close(info.handle).ok());
    ASSERT_TRUE(s->close(ro.handle).ok());
    ASSERT_TRUE(other->openTable("T", 0, 1, 1, 1, ADS_EXCLUSIVE, "", &excl).ok());
    EXPECT_EQ(s->openTable("T", 0, 1, 1, 1, 0, "", &info).code, AE_TABLE_LOCKED);
    EXPECT_EQ(s->close(info.handle).code, AE_INVALID_HANDLE);
}

TEST_F(SessionTest, WritesAssignAutoIncAndKeepBlobs) {
    auto s = connect();
    sql(*s, "CREATE TABLE T (Id AutoInc, Nom CIChar(10), Notes Memo);");
    CursorInfo info = open(*s, "T");
    Position p;
    for (const char* nom : {"Alice", "Bob"}) {
        WriteRequest w;
        w.append = true;
        w.columns = {{1, ColumnWrite::Kind::Bytes, nom},
                     {2, ColumnWrite::Kind::Bytes, std::string("note ") + nom}};
        ASSERT_TRUE(s->writeRecord(info.handle, w, &p).ok());
    }
    EXPECT_EQ(p.recordNumber, 2u);
    EXPECT_EQ(integer(info, p, "Id"), 2);
    ASSERT_EQ(p.blobs.size(), 1u);
    EXPECT_EQ(p.blobs[0].bytes, "note Bob");
    EXPECT_EQ(record::getU32(reinterpret_cast<const uint8_t*>(p.record.data()) +
                             info.columns()[2].offset),
              0xFFFFFFFFu);

    // Updating one column keeps the others, the memo included; AUTOINC is the engine's.
    WriteRequest u;
    u.recordNumber = 1;
    u.columns = {{1, ColumnWrite::Kind::Bytes, "Alicia"}};
    ASSERT_TRUE(s->writeRecord(info.handle, u, &p).ok());
    EXPECT_EQ(text(info, p, "Nom"), "Alicia");
    EXPECT_EQ(p.blobs[0].bytes, "note Alice");
    u.columns = {{0, ColumnWrite::Kind::Bytes, std::string(4, '\x07')}};
    EXPECT_EQ(s->writeRecord(info.handle, u, &p).code, AE_PERMISSION_DENIED);
    u.columns = {{2, ColumnWrite::Kind::Empty, ""}};
    ASSERT_TRUE(s->writeRecord(info.handle, u, &p).ok());
    EXPECT_TRUE(p.blobs[0].isNull);

    // SQL sees the same rows. A result returned whole keeps no cursor; one that is not
    // returned whole is a static cursor.
    SqlResult whole = sql(*s, "SELECT * FROM T WHERE Nom = 'BOB'", 5);
    EXPECT_TRUE(whole.returnsRows);
    EXPECT_EQ(whole.recordCount, 1u);
    ASSERT_EQ(whole.rows.size(), 1u);
    EXPECT_EQ(text(whole.cursor, whole.rows[0], "Nom"), "Bob");
    EXPECT_EQ(whole.cursor.handle, 0u);
    SqlResult r = sql(*s, "SELECT * FROM T WHERE Nom = 'BOB'", 0);
    EXPECT_EQ(r.recordCount, 1u);
    EXPECT_TRUE(r.rows.empty());
    EXPECT_EQ(r.cursor.handleType, ADS_CURSOR);
    ASSERT_NE(r.cursor.handle, 0u);
    WriteRequest w;
    w.append = true;
    EXPECT_EQ(s->writeRecord(r.cursor.handle, w, &p).code, AE_STATIC_VIEW);
    Position first;
    ASSERT_TRUE(s->skip(r.cursor.handle, 1, &first).ok());
    // A row returned with the answer is the row the cursor stands on when moved there.
    const Position& sent = whole.rows[0];
    EXPECT_EQ(first.record, sent.record);
    EXPECT_EQ(first.recordNumber, sent.recordNumber);
    EXPECT_TRUE(sent.visible && first.visible);
    EXPECT_FALSE(sent.bof || sent.eof);
    ASSERT_EQ(sent.blobs.size(), 1u);
    ASSERT_EQ(first.blobs.size(), 1u);
    EXPECT_EQ(sent.blobs[0].column, first.blobs[0].column);
    EXPECT_EQ(sent.blobs[0].bytes, "note Bob");
    EXPECT_EQ(first.blobs[0].bytes, "note Bob");

    // Every row reads the same sent whole or through a cursor: AUTOINC values, a memo with
    // content and an emptied one, and their cells in the image.
    SqlResult all = sql(*s, "SELECT * FROM T", 5);
    SqlResult kept = sql(*s, "SELECT * FROM T", 0);
    ASSERT_EQ(all.rows.size(), 2u);
    EXPECT_EQ(all.cursor.recordLength(), kept.cursor.recordLength());
    EXPECT_EQ(all.cursor.blankRecord(), kept.cursor.blankRecord());
    ASSERT_EQ(all.cursor.columns().size(), kept.cursor.columns().size());
    for (size_t i = 0; i < all.cursor.columns().size(); ++i) {
        EXPECT_EQ(all.cursor.columns()[i].name, kept.cursor.columns()[i].name);
        EXPECT_EQ(all.cursor.columns()[i].offset, kept.cursor.columns()[i].offset);
    }
    EXPECT_EQ(integer(all.cursor, all.rows[0], "Id"), 1);
    EXPECT_TRUE(all.rows[0].blobs.at(0).isNull);
    for (const Position& row : all.rows) {
        Position at;
        ASSERT_TRUE(s->skip(kept.cursor.handle, 1, &at).ok());
        EXPECT_EQ(row.record, at.record);
        EXPECT_EQ(row.recordNumber, at.recordNumber);
        EXPECT_EQ(row.visible, at.visible);
        ASSERT_EQ(row.blobs.size(), at.blobs.size());
        EXPECT_EQ(row.blobs[0].column, at.blobs[0].column);
        EXPECT_EQ(row.blobs[0].isNull, at.blobs[0].isNull);
        EXPECT_EQ(row.blobs[0].bytes, at.blobs[0].bytes);
    }
}

// A statement's parameters bind by number or by name (any case); none given leaves every
// one NULL; one the statement does not have is refused.
TEST_F(SessionTest, SqlParametersBindByNumberOrName) {
    auto s = connect();
    sql(*s,
        "CREATE TABLE Codes (Nom Char(10), Code Integer);\r\n"
        "INSERT INTO Codes VALUES ('un', 1), ('deux', 2), ('deux bis', 2);");
    struct Case {
        std::vector<SqlParam> params;
        uint32_t code;
        uint32_t rows;
    } cases[] = {
        {{}, AE_SUCCESS, 0},
        {{{1, "", Value::ofInteger(2)}}, AE_SUCCESS, 2},
        {{{0, "CODE", Value::ofInteger(1)}}, AE_SUCCESS, 1},
        {{{2, "", Value::ofInteger(1)}}, AE_INVALID_ARGUMENT, 0},
        {{{0, "autre", Value::ofInteger(1)}}, AE_INVALID_ARGUMENT, 0},
    };
    for (const Case& c : cases) {
        SqlResult r;
        Status st = s->executeSql("SELECT Nom FROM Codes WHERE Code = :code", c.params, 16, &r);
        EXPECT_EQ(st.code, c.code) << st.text;
        EXPECT_EQ(r.recordCount, c.rows) << c.params.size();
    }
}

// A result given again to executeSql holds what a fresh one would: no row, image, blob or
// flag of the statement before stays behind, whether its rows were all answered or not.
TEST_F(SessionTest, AResultGivenAgainHoldsOnlyTheNewStatementsRows) {
    auto s = connect();
    sql(*s,
        "CREATE TABLE Notes (Nom Char(10), Texte Memo);\r\n"
        "INSERT INTO Notes VALUES ('un', 'premier'), ('deux', NULL), ('trois', 'troisieme');");
    const char* texts[] = {"SELECT * FROM Notes", "SELECT Nom FROM Notes WHERE Nom = 'deux'",
                           "SELECT * FROM Notes WHERE Nom <> 'un'", "SELECT * FROM Notes"};
    for (uint32_t prefetch : {16u, 2u}) {
        SqlResult reused;
        for (const char* text : texts) {
            SqlResult fresh;
            ASSERT_TRUE(s->executeSql(text, {}, prefetch, &fresh).ok()) << text;
            ASSERT_TRUE(s->executeSql(text, {}, prefetch, &reused).ok()) << text;
            EXPECT_EQ(reused.recordCount, fresh.recordCount) << text;
            ASSERT_EQ(reused.rows.size(), fresh.rows.size()) << text;
            for (size_t r = 0; r < fresh.rows.size(); ++r) {
                const Position& a = reused.rows[r];
                const Position& b = fresh.rows[r];
                EXPECT_EQ(std::tie(a.bof, a.eof, a.visible, a.recordNumber, a.record),
                          std::tie(b.bof, b.eof, b.visible, b.recordNumber, b.record))
                    << text << " row " << r;
                ASSERT_EQ(a.blobs.size(), b.blobs.size()) << text << " row " << r;
                for (size_t i = 0; i < b.blobs.size(); ++i)
                    EXPECT_EQ(std::tie(a.blobs[i].column, a.blobs[i].isNull, a.blobs[i].bytes),
                              std::tie(b.blobs[i].column, b.blobs[i].isNull, b.blobs[i].bytes));
            }
        }
    }
}

TEST_F(SessionTest, TemporaryTablesBelongToTheirConnection) {
    auto a = connect();
    auto b = connect();
    sql(*a,
        "CREATE TABLE #UsersTableLocks (\r\n    DictionaryName CIChar(25),\r\n\t  TableName "
        "CIChar(25),\r\n"
        "\t  UserName CIChar(50),\r\n\t  LockedRecNo Integer );\r\n\r\n"
        "Create Index UserName on #UsersTableLocks(UserName);");
    CursorInfo mine = open(*a, "#UsersTableLocks");
    EXPECT_EQ(mine.indexes.size(), 1u);
    CursorInfo theirs;
    EXPECT_EQ(b->openTable("#UsersTableLocks", 0, 1, 1, 1, 0, "", &theirs).code, AE_FILE_NOT_FOUND);
    // b may have its own table of the same name.
    sql(*b, "CREATE TABLE #UsersTableLocks (X Integer);");
    EXPECT_EQ(open(*b, "#userstablelocks").columns().size(), 1u);

    // Dropping needs the table closed; a new one starts empty.
    SqlResult r;
    EXPECT_NE(a->executeSql("Drop\r\nTable\r\n#UsersTableLocks;", {}, 0, &r).code, 0u);
    ASSERT_TRUE(a->close(mine.handle).ok());
    sql(*a, "Drop\r\nTable\r\n#UsersTableLocks;");
    EXPECT_EQ(a->openTable("#UsersTableLocks", 0, 1, 1, 1, 0, "", &mine).code, AE_FILE_NOT_FOUND);

    // Only a table of the connection can be dropped, never a file named by its path.
    std::unique_ptr<Session> free;
    ASSERT_TRUE(server_->connect("Data Source=" + dir_ + ";", {}, &free).ok());
    sql(*free, "CREATE TABLE Libre (X Integer);");
    for (const char* name : {"\"../Libre.adt\"", "Libre.adt"})
        EXPECT_NE(free->executeSql(std::string("DROP TABLE ") + name, {}, 0, &r).code, 0u) << name;
    EXPECT_EQ(free->executeSql("CREATE TABLE \"a/b\" (X Integer)", {}, 0, &r).code == 0, false);
    sql(*free, "DROP TABLE Libre");

    // Gone with its connection: a new connection does not see it.
    b.reset();
    auto c = connect();
    EXPECT_EQ(c->openTable("#UsersTableLocks", 0, 1, 1, 1, 0, "", &theirs).code, AE_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace engine::testing
