// Error objects and the engine-result check: codes, message composition, the flag.
#include <gtest/gtest.h>

#include "data/adserror.h"
#include "data/adstable.h"
#include "fake_engine.h"

namespace {

EADSDatabaseError raised(const TAdsDataSet* ds, uint32_t code) {
    try {
        ACECheck(ds, code);
    } catch (const EADSDatabaseError& e) {
        return e;
    }
    ADD_FAILURE() << "nothing raised";
    return EADSDatabaseError(nullptr, 0, QString());
}

TEST(ACECheck, ZeroRaisesNothingAndAsksNothing) {
    FakeEngine fake;
    ACECheck(nullptr, 0);
    EXPECT_TRUE(fake.calls.empty());
}

TEST(ACECheck, RaisesTheEngineLastCodeAndTextWith600ByteBuffer) {
    FakeEngine fake;
    fake.setLastError(5041, "Table not found");
    EADSDatabaseError e = raised(nullptr, 5000);
    EXPECT_EQ(e.ACEErrorCode(), 5041u);
    EXPECT_EQ(e.message(), QStringLiteral("Table not found"));
    EXPECT_EQ(e.className(), QStringLiteral("EADSDatabaseError"));
    EXPECT_EQ(fake.calls, std::vector<std::string>{"AdsGetLastError(&,&,600)"});
}

TEST(ACECheck, ATextLongerThanTheBufferIsReadWholeAndCutTo600Bytes) {
    FakeEngine fake;
    const std::string text = "Table not found: " + std::string(700, 'x');
    fake.setLastError(5041, text);
    EADSDatabaseError e = raised(nullptr, 5000);
    EXPECT_EQ(e.ACEErrorCode(), 5041u);
    EXPECT_EQ(e.message(), QString::fromStdString(text.substr(0, 600)));
    EXPECT_EQ(fake.calls,
              (std::vector<std::string>{"AdsGetLastError(&,&,600)", "AdsGetLastError(&,&,717)"}));
}

TEST(ACECheck, WhenTheEngineCannotSayRaisesTheCheckedCodeWithEmptyText) {
    FakeEngine fake;
    fake.failNext("AdsGetLastError", 5000);
    EADSDatabaseError e = raised(nullptr, 5035);
    EXPECT_EQ(e.ACEErrorCode(), 5035u);
    EXPECT_EQ(e.message(), QString());
}

TEST(EADSDatabaseError, PrefixesTheDataSetNameAndFillsItsProperties) {
    FakeEngine fake;
    TAdsTable named(nullptr), unnamed(nullptr);
    named.setObjectName(QStringLiteral("QTrouverLockedRecNumbers"));
    named.SetTableName(QStringLiteral("#UsersTableLocks"));
    EADSDatabaseError a(&named, 5041, QStringLiteral("text"));
    EXPECT_EQ(a.message(), QStringLiteral("QTrouverLockedRecNumbers: text"));
    EXPECT_EQ(a.DataSetInstanceName(), QStringLiteral("QTrouverLockedRecNumbers"));
    EXPECT_EQ(a.TableName(), QStringLiteral("#UsersTableLocks"));
    EXPECT_EQ(EADSDatabaseError(&unnamed, 5041, QStringLiteral("text")).message(),
              QStringLiteral("text"));
}

TEST(EADSDatabaseError, NativeSqlCodeAndColumnName) {
    FakeEngine fake;
    TAdsTable ds(nullptr);
    struct Case {
        uint32_t code;
        const char* text;
        uint32_t sql;
        const char* column;
    } cases[] = {
        {7200, "Error 7200: AQE Error: State = 42000; NativeError = 2121; bad", 2121, ""},
        {7200, "error 7200: x; nativeerror = 2121", 2121, ""},
        {7200, "NativeError = 2121; without the marker", 0, ""},
        {7200, "ERROR 7200: NativeError = 21 ; blank before the semicolon", 0, ""},
        {7200, "ERROR 7200: NativeError = abc;", 0, ""},
        {5148, "Type mismatch in column \"LockedRecNo\" of table", 0, "LockedRecNo"},
        {5147, "Column not found: column \"Nom", 0, "Nom"},
        {5041, "column \"LockedRecNo\" other code", 0, ""},
        {5149, "no marker here: Column \"X\"", 0, ""},
    };
    for (const Case& c : cases) {
        EADSDatabaseError e(&ds, c.code, QString::fromUtf8(c.text));
        EXPECT_EQ(e.SQLErrorCode(), c.sql) << c.text;
        EXPECT_EQ(e.ColumnName(), QString::fromUtf8(c.column)) << c.text;
        EXPECT_EQ(e.message(), QString::fromUtf8(c.text)) << "the message is never changed";
    }
}

// A dataset whose database path itself fails an engine check, as a path read from the
// engine might.
class FailingPathTable : public TAdsTable {
  public:
    using TAdsTable::TAdsTable;
    QString DatabasePath() const override {
        ACECheck(this, 5000);
        return QStringLiteral("/data");
    }
};

TEST(EADSDatabaseError, ChecksMadeWhileAnErrorIsFilledInRaiseNothing) {
    FakeEngine fake;
    FailingPathTable ds(nullptr);
    ds.setObjectName(QStringLiteral("T"));
    EADSDatabaseError e(&ds, 5041, QStringLiteral("text"));
    EXPECT_EQ(e.message(), QStringLiteral("T: text"));
    EXPECT_EQ(e.DatabasePath(), QStringLiteral("/data"));
    EXPECT_FALSE(ads::errorInProgress());
    EXPECT_TRUE(fake.calls.empty()) << "the inner check was dropped before asking the engine";
}

TEST(AdsError, TakesTheEngineTextOrShowsTheEngineBoxWhenItCannot) {
    FakeEngine fake;
    fake.setLastError(6060, "Server not available");
    EXPECT_EQ(AdsError(0, false).message(), QStringLiteral("Server not available"));
    fake.failNext("AdsGetLastError", 5000);
    AdsError e(0, true);
    EXPECT_EQ(e.message(), QString());
    EXPECT_EQ(fake.calls.back(), "AdsShowError(\"Ads Exception Error\")");
    EXPECT_EQ(e.className(), QStringLiteral("AdsError"));
    EXPECT_EQ(AdsConnectionError(QStringLiteral("m")).className(),
              QStringLiteral("AdsConnectionError"));
}

}  // namespace
