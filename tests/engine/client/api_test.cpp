// api_test.cpp: the C interface end to end against an in-process server: connections,
// tables, navigation, fields, editing, SQL, enumeration, errors and round-trip counts.
#include <cstring>
#include <functional>

#include "engine/core/session.h"
#include "engine/testing/in_process.h"
#include "tests/engine/client/client_fixture.h"

namespace engine::testing {
namespace {

class ClientApiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        engine::testing::useInProcessServer(core_);
        EngineSetClientIdentity("POSTE-1", "jdupont", "Compta");
        conn_ = connectOrFail(folder_.connectString());
        runSql(
            conn_,
            "CREATE TABLE Clients (Nom CIChar(20), Ville Char(10), Code Integer, Notes Memo);\r\n"
            "CREATE INDEX ByNom ON Clients(Nom);\r\n"
            "INSERT INTO Clients VALUES ('Martin', 'Lyon', 7, 'fid\xe8le'), "
            "('Bernard', 'Paris', NULL, NULL), ('Dubois', 'Nantes', 12, '');");
    }
    void TearDown() override {
        if (conn_) AdsDisconnect(conn_);
        engine::testing::stopUsingInProcessServer();
    }

    ADSHANDLE openClients(ADSHANDLE conn) {
        ADSHANDLE t = 0;
        EXPECT_EQ(AdsOpenTable90(conn, "Clients", nullptr, 0, ADS_ANSI, ADS_PROPRIETARY_LOCKING,
                                 ADS_CHECKRIGHTS, 0, "ANSI", &t),
                  AE_SUCCESS)
            << lastErrorText();
        return t;
    }

    std::string field(ADSHANDLE h, const char* name) {
        char buf[256] = {};
        UNSIGNED32 len = 255;
        EXPECT_EQ(AdsGetField(h, name, reinterpret_cast<UNSIGNED8*>(buf), &len, ADS_RTRIM),
                  AE_SUCCESS)
            << lastErrorText();
        return std::string(buf, len);
    }

    DictionaryFolder folder_;
    Server core_;
    ADSHANDLE conn_ = 0;
};

TEST_F(ClientApiTest, TableDescribesItselfAndNavigatesFromTheClient) {
    ADSHANDLE t = openClients(conn_);
    UNSIGNED16 type = 0, n = 0, nullable = 9;
    UNSIGNED32 length = 0, offset = 0, reclen = 0;
    EXPECT_EQ(AdsGetHandleType(t, &type), AE_SUCCESS);
    EXPECT_EQ(type, ADS_TABLE);
    AdsGetNumFields(t, &n);
    EXPECT_EQ(n, 4);
    char name[129];
    UNSIGNED16 nameLen = 128;
    ASSERT_EQ(AdsGetFieldName(t, 2, name, &nameLen), AE_SUCCESS);
    EXPECT_STREQ(name, "Ville");
    AdsGetFieldType(t, "NOM", &type);
    EXPECT_EQ(type, ADS_CISTRING);
    AdsGetFieldLength(t, "Nom", &length);
    EXPECT_EQ(length, 20u);
    AdsGetFieldOffset(t, "Ville", &offset);
    AdsGetRecordLength(t, &reclen);
    EXPECT_EQ(offset, 20u);
    EXPECT_GE(reclen, 20u + 10 + 4 + 8);
    EXPECT_EQ(AdsIsNullable(t, ADSFIELD(3), &nullable), AE_SUCCESS);

    uint32_t before = roundTripsSinceLastCall();
    (void)before;
    // The table opens on its first row: reading it costs nothing.
    EXPECT_EQ(field(t, "Nom"), "Martin");
    EXPECT_EQ(field(t, "Notes"), "fid\xe8le");
    std::vector<UNSIGNED8> image(reclen);
    UNSIGNED32 got = reclen;
    EXPECT_EQ(AdsGetRecord(t, image.data(), &got), AE_SUCCESS);
    EXPECT_EQ(std::memcmp(image.data(), "Martin", 6), 0);
    EXPECT_EQ(roundTripsSinceLastCall(), 0u);

    EXPECT_EQ(AdsSkip(t, 1), AE_SUCCESS);
    UNSIGNED16 isNull = 0, isEmpty = 0;
    EXPECT_EQ(AdsIsNull(t, "Code", &isNull), AE_SUCCESS);
    EXPECT_EQ(isNull, 1);
    EXPECT_EQ(AdsIsEmpty(t, "Notes", &isEmpty), AE_SUCCESS);
    EXPECT_EQ(isEmpty, 1);
    ADSHANDLE bookmark = 0;
    AdsGetBookmark(t, &bookmark);
    UNSIGNED32 recno = 0;
    AdsGetRecordNum(t, ADS_IGNOREFILTERS, &recno);
    EXPECT_EQ(recno, 2u);

    // Through the index, in name order: Bernard, Dubois, Martin.
    ADSHANDLE byNom = 0;
    ASSERT_EQ(AdsGetIndexHandle(t, "BYNOM", &byNom), AE_SUCCESS);
    AdsGotoTop(byNom);
    EXPECT_EQ(field(t, "Nom"), "Bernard");
    AdsSkip(byNom, 2);
    EXPECT_EQ(field(t, "Nom"), "Martin");
    UNSIGNED16 eof = 0;
    AdsSkip(byNom, 1);
    AdsAtEOF(t, &eof);
    EXPECT_EQ(eof, 1);
    EXPECT_EQ(AdsGetField(t, "Nom", nullptr, &got, 0), AE_NO_CURRENT_RECORD);

    // Back to a row stood on lately: answered at once, confirmed by the next request.
    roundTripsSinceLastCall();
    EXPECT_EQ(AdsGotoBookmark(t, bookmark), AE_SUCCESS);
    EXPECT_EQ(field(t, "Nom"), "Bernard");
    EXPECT_EQ(roundTripsSinceLastCall(), 0u);
    UNSIGNED32 count = 0;
    EXPECT_EQ(AdsGetRecordCount(t, ADS_IGNOREFILTERS, &count), AE_SUCCESS);
    EXPECT_EQ(count, 3u);
    // Closing the table takes its index handles with it, however recently used.
    EXPECT_EQ(AdsGetHandleType(byNom, &type), AE_SUCCESS);
    EXPECT_EQ(AdsCloseTable(t), AE_SUCCESS);
    EXPECT_EQ(AdsGetHandleType(t, &type), AE_INVALID_HANDLE);
    EXPECT_EQ(AdsSkip(byNom, 1), AE_INVALID_HANDLE);
    EXPECT_EQ(AdsGetHandleType(byNom, &type), AE_INVALID_HANDLE);
}

// Text as AdsGetField and AdsGetFieldW read it: NUL bytes read as blanks (and trim as
// blanks), a null value reads as "", the trim options apply to both ends.
TEST_F(ClientApiTest, TextColumnsReadWithTheirBlanksTrimmedAsAsked) {
    runSql(conn_, "CREATE TABLE #Texts (Txt Char(20), CiTxt CIChar(20));");
    ADSHANDLE t = 0;
    ASSERT_EQ(AdsOpenTable90(conn_, "#Texts", nullptr, 0, 1, 1, 1, 0, "ANSI", &t), AE_SUCCESS);
    struct Case {
        std::string stored;  // bytes given to AdsSetFieldRaw; "-" for a null value
        UNSIGNED16 option;
        std::string read;
    } cases[] = {
        {"ab", ADS_NONE, "ab" + std::string(18, ' ')},
        {"ab", ADS_RTRIM, "ab"},
        {"abcdefghijk", ADS_RTRIM, "abcdefghijk"},
        {"abcdefg", ADS_RTRIM, "abcdefg"},
        {"abcdefgh", ADS_RTRIM, "abcdefgh"},
        {"abcdefghi   ", ADS_RTRIM, "abcdefghi"},
        {"abcdefghijklmno", ADS_RTRIM, "abcdefghijklmno"},
        {"abcdefghijklmnopqrs", ADS_RTRIM, "abcdefghijklmnopqrs"},
        {"a b c d e f g h i", ADS_RTRIM, "a b c d e f g h i"},
        {"\xE9\xA0 \xFF", ADS_RTRIM, "\xE9\xA0 \xFF"},
        {"a          b", ADS_RTRIM, "a          b"},
        {"abcdefghijklmnopqrst", ADS_RTRIM, "abcdefghijklmnopqrst"},
        {"  x  ", ADS_LTRIM, "x" + std::string(17, ' ')},
        {"  x  ", ADS_TRIM, "x"},
        {std::string("a\0b\0", 4), ADS_RTRIM, "a b"},
        {std::string("\0\0z", 3), ADS_TRIM, "z"},
        {"        ", ADS_TRIM, ""},
        {"-", ADS_NONE, ""},
    };
    for (const Case& c : cases) {
        for (const char* column : {"Txt", "CiTxt"}) {
            SCOPED_TRACE(std::string(column) + " " + c.read + " option " +
                         std::to_string(c.option));
            ASSERT_EQ(AdsAppendRecord(t), AE_SUCCESS);
            if (c.stored == "-") {
                ASSERT_EQ(AdsSetNull(t, column), AE_SUCCESS);
            } else {
                ASSERT_EQ(
                    AdsSetFieldRaw(t, column, reinterpret_cast<const UNSIGNED8*>(c.stored.data()),
                                   static_cast<UNSIGNED32>(c.stored.size())),
                    AE_SUCCESS);
            }
            ASSERT_EQ(AdsWriteRecord(t), AE_SUCCESS) << lastErrorText();
            char buf[32] = {};
            UNSIGNED32 len = 31;
            ASSERT_EQ(AdsGetField(t, column, reinterpret_cast<UNSIGNED8*>(buf), &len, c.option),
                      AE_SUCCESS);
            EXPECT_EQ(std::string(buf, len), c.read);
            WCHAR16 wide[32] = {};
            len = 31;
            ASSERT_EQ(AdsGetFieldW(t, column, wide, &len, c.option), AE_SUCCESS);
            EXPECT_EQ(std::string(wide, wide + len), c.read);
        }
    }
    AdsCloseTable(t);
}

TEST_F(ClientApiTest, BuffersTooSmallAnswer5005WithTheNeededLength) {
    ADSHANDLE t = openClients(conn_);
    char small[4];
    UNSIGNED32 len = 3;
    EXPECT_EQ(AdsGetField(t, "Nom", reinterpret_cast<UNSIGNED8*>(small), &len, ADS_NONE),
              AE_INSUFFICIENT_BUFFER);
    EXPECT_EQ(len, 20u);
    UNSIGNED16 nameLen = 2;
    EXPECT_EQ(AdsGetFieldName(t, 1, small, &nameLen), AE_INSUFFICIENT_BUFFER);
    EXPECT_EQ(nameLen, 3);
    UNSIGNED32 recLen = 1;
    EXPECT_EQ(AdsGetRecord(t, reinterpret_cast<UNSIGNED8*>(small), &recLen),
              AE_INSUFFICIENT_BUFFER);
    EXPECT_GT(recLen, 40u);
    ADSHANDLE one = 0;
    UNSIGNED16 n = 0;
    EXPECT_EQ(AdsGetAllIndexes(t, &one, &n), AE_INSUFFICIENT_BUFFER);
    EXPECT_EQ(n, 1);
    UNSIGNED32 code = 0;
    UNSIGNED16 errLen = 5;
    EXPECT_EQ(AdsGetLastError(&code, small, &errLen), AE_INSUFFICIENT_BUFFER);
    EXPECT_EQ(code, static_cast<UNSIGNED32>(AE_INSUFFICIENT_BUFFER));
    AdsCloseTable(t);
}

// A call on the handle found last takes a shorter way than one on another handle: both
// must answer alike, failures included.
TEST_F(ClientApiTest, CallsAnswerAlikeWhetherTheirHandleWasNamedLastOrNot) {
    ADSHANDLE t = openClients(conn_);
    ADSHANDLE byNom = 0, stmt = 0;
    ASSERT_EQ(AdsGetIndexHandle(t, "ByNom", &byNom), AE_SUCCESS);
    ASSERT_EQ(AdsCreateSQLStatement(conn_, &stmt), AE_SUCCESS);
    ASSERT_EQ(AdsGotoTop(t), AE_SUCCESS);
    using Call = std::function<UNSIGNED32(std::string*)>;
    auto fieldType = [](ADSHANDLE h, ADSFIELDID f) -> Call {
        return [=](std::string* out) {
            UNSIGNED16 type = 0;
            UNSIGNED32 rc = AdsGetFieldType(h, f, &type);
            *out = std::to_string(type);
            return rc;
        };
    };
    const struct {
        const char* what;
        Call call;
    } cases[] = {
        {"column 1", fieldType(t, ADSFIELD(1))},
        {"column by name", fieldType(t, "Ville")},
        {"column 0", fieldType(t, ADSFIELD(0))},
        {"column past the last", fieldType(t, ADSFIELD(5))},
        {"column through an index", fieldType(byNom, ADSFIELD(2))},
        {"a statement as a table", fieldType(stmt, ADSFIELD(1))},
        {"null output", [=](std::string*) { return AdsGetFieldType(t, ADSFIELD(1), nullptr); }},
        {"name too long for the buffer",
         [=](std::string* out) {
             char name[3] = {};
             UNSIGNED16 len = 2;
             UNSIGNED32 rc = AdsGetFieldName(t, 2, name, &len);
             *out = std::to_string(len);
             return rc;
         }},
        {"at EOF through an index",
         [=](std::string* out) {
             UNSIGNED16 eof = 9;
             UNSIGNED32 rc = AdsAtEOF(byNom, &eof);
             *out = std::to_string(eof);
             return rc;
         }},
        {"statement option", [=](std::string*) { return AdsStmtSetTableReadOnly(stmt, 1); }},
        {"statement option out of range",
         [=](std::string*) { return AdsStmtSetTableReadOnly(stmt, 3); }},
        {"a table as a statement", [=](std::string*) { return AdsStmtSetTableReadOnly(t, 1); }},
    };
    for (const auto& c : cases) {
        std::string first, second;
        UNSIGNED16 type = 0;
        AdsGetHandleType(conn_, &type);  // another handle found last
        const UNSIGNED32 rc = c.call(&first);
        const std::string error = rc == AE_SUCCESS ? "" : lastErrorText();
        EXPECT_EQ(c.call(&second), rc) << c.what;
        EXPECT_EQ(second, first) << c.what;
        if (rc != AE_SUCCESS) {
            EXPECT_EQ(lastErrorText(), error) << c.what;
        }
    }
    AdsCloseSQLStatement(stmt);
    AdsCloseTable(t);
}

// The row reads' failures, kept out of their quick paths, keep their codes, lengths and texts.
TEST_F(ClientApiTest, RowReadFailuresCarryTheirCodesLengthsAndTexts) {
    ADSHANDLE cursor = runSql(conn_, "SELECT Nom, Code FROM Clients");
    ASSERT_NE(cursor, 0u);
    UNSIGNED32 reclen = 0;
    ASSERT_EQ(AdsGetRecordLength(cursor, &reclen), AE_SUCCESS);
    UNSIGNED8 buffer[8];
    UNSIGNED16 visible = 0;
    const struct {
        const char* what;
        bool onRow;
        std::function<UNSIGNED32(UNSIGNED32*)> call;
        UNSIGNED32 code, length;
        std::string text;
    } cases[] = {
        {"record too long", true,
         [&](UNSIGNED32* n) {
             *n = 2;
             return AdsGetRecord(cursor, buffer, n);
         },
         AE_INSUFFICIENT_BUFFER, reclen, "The record needs " + std::to_string(reclen) + " bytes."},
        {"record without buffer", true,
         [&](UNSIGNED32* n) {
             *n = 99;
             return AdsGetRecord(cursor, nullptr, n);
         },
         AE_INSUFFICIENT_BUFFER, reclen, "The record needs " + std::to_string(reclen) + " bytes."},
        {"record without length", true,
         [&](UNSIGNED32* n) {
             *n = 7;
             return AdsGetRecord(cursor, buffer, nullptr);
         },
         AE_INVALID_ARGUMENT, 7, "Null length argument."},
        {"record at BOF", false,
         [&](UNSIGNED32* n) {
             *n = 7;
             return AdsGetRecord(cursor, buffer, n);
         },
         AE_NO_CURRENT_RECORD, 7, "There is no current record."},
        {"bookmark too long", true,
         [&](UNSIGNED32* n) {
             *n = 2;
             return AdsGetBookmark60(cursor, buffer, n);
         },
         AE_INSUFFICIENT_BUFFER, 4, "The bookmark needs 4 bytes."},
        {"bookmark without length", true,
         [&](UNSIGNED32* n) {
             *n = 7;
             return AdsGetBookmark60(cursor, buffer, nullptr);
         },
         AE_INVALID_ARGUMENT, 7, "Null length argument."},
        {"visible at BOF", false,
         [&](UNSIGNED32* n) {
             *n = 7;
             return AdsIsRecordVisible(cursor, &visible);
         },
         AE_NO_CURRENT_RECORD, 7, "There is no current record."},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(c.onRow ? AdsGotoTop(cursor) : AdsGotoBOF(cursor), AE_SUCCESS) << c.what;
        UNSIGNED32 length = 0;
        EXPECT_EQ(c.call(&length), c.code) << c.what;
        EXPECT_EQ(length, c.length) << c.what;
        EXPECT_TRUE(lastErrorText().ends_with(c.text)) << c.what << ": " << lastErrorText();
    }
    AdsCloseTable(cursor);
}

TEST_F(ClientApiTest, ErrorsCarryTheirCodesAndTexts) {
    ADSHANDLE t = openClients(conn_);
    UNSIGNED16 type = 0;
    EXPECT_EQ(AdsGetFieldType(t, "Absent", &type), AE_COLUMN_NOT_FOUND);
    EXPECT_NE(lastErrorText().find("column \"Absent\""), std::string::npos) << lastErrorText();
    EXPECT_EQ(AdsGetFieldType(t, ADSFIELD(9), &type), AE_INVALID_ARGUMENT);
    EXPECT_EQ(AdsGetFieldType(t, ADSFIELD(5), &type), AE_INVALID_ARGUMENT);
    EXPECT_EQ(AdsGetFieldType(t, ADSFIELD(0), &type), AE_INVALID_ARGUMENT);
    EXPECT_EQ(AdsGetFieldType(t, ADSFIELD(4), &type), AE_SUCCESS);
    EXPECT_EQ(AdsGetFieldType(t, "nOTES", &type), AE_SUCCESS);
    EXPECT_EQ(AdsGetFieldType(t, "Note", &type), AE_COLUMN_NOT_FOUND);
    EXPECT_EQ(AdsGetFieldType(4242, "Nom", &type), AE_INVALID_HANDLE);
    UNSIGNED32 code = 0;
    runSql(conn_, "SELECT Absent FROM Clients", &code);
    EXPECT_EQ(code, static_cast<UNSIGNED32>(AE_SQL_ERROR));
    EXPECT_NE(lastErrorText().find("NativeError = "), std::string::npos) << lastErrorText();
    ADSHANDLE missing = 0;
    EXPECT_NE(AdsOpenTable90(conn_, "#UsersTableLocks", nullptr, 0, 1, 1, 1, 0, "ANSI", &missing),
              AE_SUCCESS);
    EXPECT_EQ(missing, 0u);
    // A successful call leaves the last error as it was.
    EXPECT_EQ(AdsGetFieldType(t, "Nom", &type), AE_SUCCESS);
    EXPECT_NE(lastErrorText().rfind("0 ", 0), 0u);
    EXPECT_EQ(AdsSetLastError(5054, "Insert permission not granted on this table."), AE_SUCCESS);
    EXPECT_EQ(lastErrorText(), "5054 Insert permission not granted on this table.");
    AdsCloseTable(t);
}

TEST_F(ClientApiTest, ConnectionRefusalsAndTableEnumeration) {
    ADSHANDLE h = 0;
    struct Case {
        std::string connectString;
        UNSIGNED32 code;
    } cases[] = {
        {folder_.connectString("adssys", "wrong"), AE_LOGIN_FAILED},
        {folder_.connectString("inconnu", "x"), AE_LOGIN_FAILED},
        {"Data Source=" + folder_.dir() + "/Absent.add;User ID=adssys;Password=\"kor5382\";",
         AE_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AdsConnect101(c.connectString.c_str(), nullptr, &h), c.code) << c.connectString;
        EXPECT_EQ(h, 0u);
    }
    EXPECT_EQ(AdsConnect101("Data Source=x;", &h, &h), AE_INVALID_ARGUMENT)
        << "options must be null";

    runSql(conn_, "CREATE TABLE Articles (Code Integer);");
    std::vector<std::string> names;
    char name[261];
    UNSIGNED16 len = 260;
    ADSHANDLE find = 0;
    ASSERT_EQ(AdsFindFirstTable(conn_, "*.adt", name, &len, &find), AE_SUCCESS);
    names.push_back(name);
    for (;;) {
        len = 260;
        UNSIGNED32 rc = AdsFindNextTable(conn_, find, name, &len);
        if (rc == AE_NO_TABLE) break;
        ASSERT_EQ(rc, AE_SUCCESS);
        names.push_back(name);
    }
    EXPECT_EQ(AdsFindClose(conn_, find), AE_SUCCESS);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Articles", "Clients"}));

    char prop[201];
    UNSIGNED16 propLen = 200;
    EXPECT_EQ(AdsDDGetTableProperty(conn_, "Clients", ADS_DD_TABLE_DEFAULT_INDEX, prop, &propLen),
              AE_PROPERTY_NOT_SET);
}

TEST_F(ClientApiTest, AppendAndWriteSendOneRequestAndSurviveARetry) {
    ADSHANDLE t = openClients(conn_);
    roundTripsSinceLastCall();
    ASSERT_EQ(AdsAppendRecord(t), AE_SUCCESS);
    UNSIGNED32 recno = 99;
    AdsGetRecordNum(t, ADS_IGNOREFILTERS, &recno);
    EXPECT_EQ(recno, 0u) << "no number before the write";
    const char* nom = "Petit";
    EXPECT_EQ(AdsSetField(t, "Nom", reinterpret_cast<const UNSIGNED8*>(nom), 5), AE_SUCCESS);
    EXPECT_EQ(AdsSetEmpty(t, "Ville"), AE_SUCCESS);
    int32_t code = 31;
    EXPECT_EQ(AdsSetFieldRaw(t, "Code", reinterpret_cast<const UNSIGNED8*>(&code), 4), AE_SUCCESS);
    EXPECT_EQ(AdsSetString(t, "Notes", "note", 4), AE_SUCCESS);
    EXPECT_EQ(field(t, "Nom"), "Petit") << "the pending record reads back";
    EXPECT_EQ(roundTripsSinceLastCall(), 0u);
    ASSERT_EQ(AdsWriteRecord(t), AE_SUCCESS) << lastErrorText();
    EXPECT_EQ(roundTripsSinceLastCall(), 1u);
    AdsGetRecordNum(t, ADS_IGNOREFILTERS, &recno);
    EXPECT_EQ(recno, 4u);
    EXPECT_EQ(field(t, "Code"), "31");
    EXPECT_EQ(field(t, "Notes"), "note");

    // A write that fails keeps its pending record: the retry does not append twice.
    ASSERT_EQ(AdsAppendRecord(t), AE_SUCCESS);
    EXPECT_EQ(AdsSetFieldRaw(t, "Code", reinterpret_cast<const UNSIGNED8*>(&code), 3),
              AE_COLUMN_TYPE_MISMATCH);
    AdsSetString(t, "Nom", "Roux", 4);
    ASSERT_EQ(AdsWriteRecord(t), AE_SUCCESS) << lastErrorText();
    UNSIGNED32 count = 0;
    AdsGetRecordCount(t, ADS_IGNOREFILTERS, &count);
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(AdsCancelUpdate(t), AE_NO_PENDING_UPDATE);
    AdsCloseTable(t);
}

// A filter the client cannot compile against the columns is refused at once, without a
// round trip, and leaves no AOF set.
TEST_F(ClientApiTest, ABadFilterIsRefusedAtOnce) {
    runSql(conn_, "CREATE TABLE #L (TableName CIChar(25), LockedRecNo Integer);");
    ADSHANDLE t = 0;
    ASSERT_EQ(AdsOpenTable90(conn_, "#L", nullptr, 0, 1, 1, 1, 0, "ANSI", &t), AE_SUCCESS);
    roundTripsSinceLastCall();
    for (const char* bad : {"(TableName = 1", "Absent = 1", "TableName = = 2"}) {
        EXPECT_EQ(AdsSetAOF100(t, bad, 0), AE_INVALID_ARGUMENT) << bad;
        EXPECT_NE(lastErrorText().find("Invalid filter expression"), std::string::npos);
    }
    EXPECT_EQ(roundTripsSinceLastCall(), 0u);
    UNSIGNED16 len = 0;
    EXPECT_EQ(AdsGetAOF(t, nullptr, &len), AE_NO_FILTER);
    EXPECT_EQ(AdsGotoTop(t), AE_SUCCESS);
    AdsCloseTable(t);
}

// The lock procedures see who holds which record; closing the holder's table releases its
// locks. (The round trips of the tool's lock search are checked through the data-access
// layer, in tests/data.)
TEST_F(ClientApiTest, LockProceduresReportTheHoldersAndClosingReleases) {
    EngineSetClientIdentity("POSTE-7", "mleroy", "Facturation");
    ADSHANDLE holder = connectOrFail(folder_.connectString());
    ADSHANDLE held = openClients(holder);
    ASSERT_EQ(AdsLockRecord(held, 1), AE_SUCCESS);
    ASSERT_EQ(AdsLockRecord(held, 3), AE_SUCCESS);

    ADSHANDLE other = connectOrFail(folder_.connectString());
    ADSHANDLE contended = openClients(other);
    EXPECT_EQ(AdsLockRecord(contended, 3), AE_RECORD_LOCKED);
    EXPECT_EQ(AdsLockRecord(contended, 2), AE_SUCCESS);
    EXPECT_EQ(AdsUnlockRecord(contended, 2), AE_SUCCESS);

    const std::string path = folder_.dir() + "/Clients.adt";
    ADSHANDLE all = runSql(conn_, "EXECUTE PROCEDURE sp_mgGetAllLocks('" + path + " ');");
    EXPECT_EQ(readAll(all), (std::vector<std::vector<std::string>>{{"1"}, {"3"}}));
    AdsCloseTable(all);
    ADSHANDLE owners = runSql(conn_, "EXECUTE PROCEDURE sp_mgGetLockOwner( '" + path + "',3);\r\n");
    UNSIGNED16 live = 1;
    AdsSqlPeekStatement(owners, &live);
    EXPECT_EQ(live, 0);
    ASSERT_EQ(AdsGotoTop(owners), AE_SUCCESS);
    EXPECT_EQ(field(owners, "UserName") + "/" + field(owners, "OSUserLoginName") + "/" +
                  field(owners, "ApplicationID"),
              "POSTE-7/mleroy/Facturation");
    AdsCloseTable(owners);

    EXPECT_EQ(AdsCloseTable(held), AE_SUCCESS);
    EXPECT_EQ(AdsLockRecord(contended, 3), AE_SUCCESS);
    AdsDisconnect(other);
    AdsDisconnect(holder);
}

// A static result's reads, memos included, see the row it stands on after moves either way.
TEST_F(ClientApiTest, StaticResultReadsTheRowItStandsOn) {
    ADSHANDLE cursor = runSql(conn_, "SELECT Nom, Notes FROM Clients");
    EXPECT_EQ(readAll(cursor), (std::vector<std::vector<std::string>>{
                                   {"Martin", "fid\xe8le"}, {"Bernard", ""}, {"Dubois", ""}}));
    UNSIGNED16 isNull = 0;
    ASSERT_EQ(AdsGotoRecord(cursor, 2), AE_SUCCESS);
    EXPECT_EQ(field(cursor, "Nom"), "Bernard");
    EXPECT_EQ(AdsIsNull(cursor, "Notes", &isNull), AE_SUCCESS);
    EXPECT_EQ(isNull, 1);
    ASSERT_EQ(AdsGotoTop(cursor), AE_SUCCESS);
    EXPECT_EQ(field(cursor, "Notes"), "fid\xe8le");
    EXPECT_EQ(AdsIsNull(cursor, "Notes", &isNull), AE_SUCCESS);
    EXPECT_EQ(isNull, 0);
    ASSERT_EQ(AdsSkip(cursor, -1), AE_SUCCESS);
    char buf[16];
    UNSIGNED32 len = sizeof buf - 1;
    EXPECT_EQ(AdsGetField(cursor, "Nom", reinterpret_cast<UNSIGNED8*>(buf), &len, ADS_RTRIM),
              AE_NO_CURRENT_RECORD);
    AdsCloseTable(cursor);
}

// Descriptions name the layouts the client already holds: the procedures', asked again and
// again, and those of tables kept open, while the layouts of other tables opened in
// between (more than the client keeps) come and go. Each cursor reads through its own.
TEST_F(ClientApiTest, EachCursorReadsThroughItsOwnLayoutAsLayoutsComeAndGo) {
    const int kTables = 20;
    std::string sql;
    for (int i = 0; i < kTables; ++i) {
        std::string n = std::to_string(i);
        sql += "CREATE TABLE T" + n + " (C" + n + " Char(" + std::to_string(i + 2) + "));\r\n" +
               "INSERT INTO T" + n + " VALUES ('v" + n + "');\r\n";
    }
    runSql(conn_, sql);
    auto openTable = [&](int i) {
        ADSHANDLE t = 0;
        EXPECT_EQ(AdsOpenTable90(conn_, ("T" + std::to_string(i)).c_str(), nullptr, 0, ADS_ANSI,
                                 ADS_PROPRIETARY_LOCKING, ADS_CHECKRIGHTS, 0, "ANSI", &t),
                  AE_SUCCESS)
            << lastErrorText();
        return t;
    };
    auto readTable = [&](int i) {
        ADSHANDLE t = openTable(i);
        UNSIGNED32 reclen = 0;
        AdsGetRecordLength(t, &reclen);
        EXPECT_EQ(reclen, static_cast<UNSIGNED32>(i + 2)) << "T" << i;
        EXPECT_EQ(field(t, ("C" + std::to_string(i)).c_str()), "v" + std::to_string(i));
        AdsCloseTable(t);
    };
    ADSHANDLE clients = openClients(conn_);
    ASSERT_EQ(AdsLockRecord(clients, 2), AE_SUCCESS);
    const std::string path = folder_.dir() + "/Clients.adt";
    auto readProcedures = [&] {
        ADSHANDLE owner = runSql(conn_, "EXECUTE PROCEDURE sp_mgGetLockOwner('" + path + "', 2)");
        ASSERT_NE(owner, 0u) << lastErrorText();
        ASSERT_EQ(AdsGotoTop(owner), AE_SUCCESS);
        EXPECT_EQ(field(owner, "UserName") + "/" + field(owner, "ApplicationID"), "POSTE-1/Compta");
        AdsCloseTable(owner);
        ADSHANDLE locks = runSql(conn_, "EXECUTE PROCEDURE sp_mgGetAllLocks('" + path + "')");
        EXPECT_EQ(readAll(locks), (std::vector<std::vector<std::string>>{{"2"}}));
        AdsCloseTable(locks);
    };
    std::vector<ADSHANDLE> keptOpen = {openTable(0), openTable(1), openTable(2)};
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 10; ++i) readTable(i);
        readProcedures();
    }
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < kTables; ++i) {
            readTable(i);
            if (i % 5 == 0) readProcedures();
        }
    }
    for (ADSHANDLE t : keptOpen) AdsCloseTable(t);
    AdsCloseTable(clients);
}

TEST_F(ClientApiTest, StatementsWithoutRowsAndLocalAnswers) {
    char text[] = "SELECT * FROM Clients";
    EXPECT_EQ(AdsGetSQLStmtParams(text, sizeof text), AE_SUCCESS);
    EXPECT_STREQ(text, "SELECT * FROM Clients");

    ADSHANDLE stmt = 0, cursor = 7;
    AdsCreateSQLStatement(conn_, &stmt);
    std::u16string drop = u"CREATE TABLE #X (A Integer);\r\nDROP TABLE #X;\r\n";
    AdsPrepareSQLW(stmt, reinterpret_cast<const WCHAR16*>(drop.c_str()));
    ASSERT_EQ(AdsExecuteSQL(stmt, &cursor), AE_SUCCESS) << lastErrorText();
    EXPECT_EQ(cursor, 0u);
    UNSIGNED32 count = 0;
    EXPECT_EQ(AdsGetRecordCount(stmt, ADS_IGNOREFILTERS, &count), AE_NO_ROW_COUNT);
    EXPECT_EQ(AdsStmtSetTableReadOnly(stmt, 3), AE_INVALID_ARGUMENT);
    AdsCloseSQLStatement(stmt);
    UNSIGNED16 type = 0;
    EXPECT_EQ(AdsGetHandleType(stmt, &type), AE_INVALID_HANDLE);

    double julian = 0;
    EXPECT_EQ(AdsConvertStringToJulian("20000101", 8, &julian), AE_SUCCESS);
    EXPECT_EQ(julian, 2451545.0);
    char date[9];
    UNSIGNED16 len = 8;
    EXPECT_EQ(AdsConvertJulianToString(2451545.0 + 59, date, &len), AE_SUCCESS);
    EXPECT_STREQ(date, "20000229");
    EXPECT_EQ(AdsConvertStringToJulian("20010229", 8, &julian), AE_INVALID_ARGUMENT);
}

TEST_F(ClientApiTest, ResultsLargerThanTheFirstAnswerArriveInBatches) {
    std::string sql = "CREATE TABLE Big (N Integer);\r\nINSERT INTO Big VALUES (1)";
    for (int i = 2; i <= 3000; ++i) sql += ", (" + std::to_string(i) + ")";
    runSql(conn_, sql);
    roundTripsSinceLastCall();
    ADSHANDLE cursor = runSql(conn_, "SELECT N FROM Big WHERE N > 10");
    UNSIGNED32 count = 0;
    ASSERT_EQ(AdsGetRecordCount(cursor, ADS_RESPECTFILTERS, &count), AE_SUCCESS);
    EXPECT_EQ(count, 2990u);
    auto rows = readAll(cursor);
    ASSERT_EQ(rows.size(), 2990u);
    EXPECT_EQ(rows.front()[0], "11");
    EXPECT_EQ(rows.back()[0], "3000");
    uint32_t trips = roundTripsSinceLastCall();
    EXPECT_GE(trips, 2u);
    EXPECT_LE(trips, 3u) << "the rest comes in a batch or two, not row by row";
    ASSERT_EQ(AdsGotoRecord(cursor, 2500), AE_SUCCESS);
    EXPECT_EQ(field(cursor, "N"), "2510");
    EXPECT_EQ(AdsGotoRecord(cursor, 2991), AE_INVALID_RECORD_NUMBER);
    EXPECT_EQ(roundTripsSinceLastCall(), 0u);
    AdsCloseTable(cursor);

    // Rows fetched out of order: beyond the first answer, then just before them, then the
    // gap between; every row is read once, in its place.
    cursor = runSql(conn_, "SELECT N FROM Big WHERE N > 10");
    ASSERT_EQ(AdsGotoRecord(cursor, 2500), AE_SUCCESS);
    EXPECT_EQ(field(cursor, "N"), "2510");
    ASSERT_EQ(AdsSkip(cursor, -1), AE_SUCCESS);
    EXPECT_EQ(field(cursor, "N"), "2509");
    ASSERT_EQ(AdsGotoRecord(cursor, 2990), AE_SUCCESS);
    EXPECT_EQ(field(cursor, "N"), "3000");
    UNSIGNED16 eof = 0;
    ASSERT_EQ(AdsSkip(cursor, 1), AE_SUCCESS);
    AdsAtEOF(cursor, &eof);
    EXPECT_EQ(eof, 1);
    rows = readAll(cursor);
    ASSERT_EQ(rows.size(), 2990u);
    for (size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(rows[i][0], std::to_string(i + 11)) << i;
    AdsCloseTable(cursor);
}

TEST_F(ClientApiTest, RawKeySeekThroughAnIndex) {
    ADSHANDLE t = openClients(conn_);
    ADSHANDLE byNom = 0;
    ASSERT_EQ(AdsGetIndexHandle(t, "ByNom", &byNom), AE_SUCCESS);
    UNSIGNED8 key[4082];
    UNSIGNED16 keyLen = sizeof key, found = 0;
    ASSERT_EQ(AdsInitRawKey(byNom), AE_SUCCESS);
    ASSERT_EQ(AdsSetField(byNom, "Nom", reinterpret_cast<const UNSIGNED8*>("dub"), 3), AE_SUCCESS);
    ASSERT_EQ(AdsBuildRawKey(byNom, key, &keyLen), AE_SUCCESS);
    EXPECT_EQ(keyLen, 3);
    ASSERT_EQ(AdsSeek(byNom, key, keyLen, ADS_RAWKEY, ADS_SOFTSEEK, &found), AE_SUCCESS)
        << lastErrorText();
    EXPECT_EQ(found, 1);
    EXPECT_EQ(field(t, "Nom"), "Dubois");
    keyLen = sizeof key;
    ASSERT_EQ(AdsBuildRawKey100(byNom, key, &keyLen, ADS_RAWKEY_FULL), AE_SUCCESS);
    EXPECT_EQ(keyLen, 20);
    ASSERT_EQ(AdsSeek(byNom, key, keyLen, ADS_RAWKEY, ADS_SOFTSEEK, &found), AE_SUCCESS);
    EXPECT_EQ(found, 0) << "\"DUB\" padded is not \"DUBOIS\"";
    EXPECT_EQ(field(t, "Nom"), "Dubois") << "soft seek stops at the next key";
    AdsCloseTable(t);
}

}  // namespace
}  // namespace engine::testing
