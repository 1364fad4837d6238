// rebinding_test.cpp: a query reopened on a result keeps its bound fields while the engine's
// result has the same columns, and binds anew, or fails on a missing column, when they
// change; against the real engine, whose layout number lets the layer skip the comparison.
#include <gtest/gtest.h>

#include "data/ace.h"
#include "data/adserror.h"
#include "data/adstable.h"
#include "db/field.h"
#include "tests/data/engine_fixture.h"

namespace {

TEST(Rebinding, SameColumnsKeepTheFieldsChangedColumnsBindAnewAMissingOneFails) {
    e2e::Engine engine;
    ASSERT_TRUE(engine.start()) << engine.error();
    TAdsConnection conn(nullptr), holder(nullptr);
    e2e::connectAsAdmin(conn, engine.dictionary);
    e2e::connectAsAdmin(holder, engine.dictionary);
    TAdsQuery q(nullptr);
    q.setObjectName(QStringLiteral("Q"));
    q.SetAdsConnection(&conn);
    q.SQL().Assign({QStringLiteral("CREATE TABLE Clients (Nom CIChar(20), Ville CIChar(30));"),
                    QStringLiteral("INSERT INTO Clients VALUES ('Martin', 'Lyon'), "
                                   "('Bernard', 'Paris'), ('Dubois', 'Nantes');")});
    q.ExecSQL();
    TAdsTable held(nullptr);
    held.SetAdsConnection(&holder);
    held.SetTableName(QStringLiteral("Clients"));
    held.Open();
    for (uint32_t recNo : {1u, 2u}) ASSERT_EQ(ace::api().AdsLockRecord(held.Handle(), recNo), AE_SUCCESS);
    const QString path = engine.folder.filePath(QStringLiteral("Clients.adt"));
    auto owners = [&](int recNo) {
        return QStringLiteral("EXECUTE PROCEDURE sp_mgGetLockOwner( '") + path + QStringLiteral("',") +
               QString::number(recNo) + QStringLiteral(");");
    };

    // Persistent fields, as the owner query of the lock search declares them.
    auto* user = new TStringField(&q, 50);
    user->SetFieldName(QStringLiteral("UserName"));
    user->SetDataSet(&q);
    auto* login = new TStringField(&q, 50);
    login->SetFieldName(QStringLiteral("OSUserLoginName"));
    login->SetDataSet(&q);

    struct Case {
        const char* what;
        QString sql;
        QString user;   // expected UserName, or the error's message
        bool bound;     // the open succeeds
    };
    const QString inner = QStringLiteral("(EXECUTE PROCEDURE sp_mgGetLockOwner('") + path +
                          QStringLiteral("', 1)) AS o");
    // Each SELECT has the record length of the one before it, so only its columns differ.
    const QString from = QStringLiteral(" FROM ") + inner;
    const std::vector<Case> cases{
        {"owners of record 1", owners(1), {}, true},
        {"owners of record 2: the same columns", owners(2), {}, true},
        {"two columns", QStringLiteral("SELECT o.OSUserLoginName, o.UserName") + from, {}, true},
        {"in the other order", QStringLiteral("SELECT o.UserName, o.OSUserLoginName") + from, {}, true},
        {"renamed into each other",
         QStringLiteral("SELECT o.OSUserLoginName AS UserName, o.UserName AS OSUserLoginName") + from,
         QStringLiteral("swapped"), true},
        {"a column missing", QStringLiteral("SELECT o.UserName, o.DictionaryUser") + from,
         QStringLiteral("Q: Champ 'OSUserLoginName' non trouvé"), false},
        {"owners again", owners(1), {}, true},
        {"owners again, the same columns", owners(2), {}, true},
    };
    QString firstUser, firstLogin;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        q.Close();
        q.SQL().Assign({c.sql});
        if (!c.bound) {
            try {
                q.Open();
                ADD_FAILURE() << "opened";
            } catch (const rtl::Exception& e) {
                EXPECT_EQ(e.message(), c.user);
            }
            EXPECT_FALSE(q.Active());
            continue;
        }
        q.Open();
        ASSERT_EQ(q.RecordCount(), 1);
        q.First();
        EXPECT_EQ(q.FieldByName(QStringLiteral("UserName")), user) << "the declared field";
        if (firstUser.isEmpty()) {
            firstUser = user->AsString();
            firstLogin = login->AsString();
            EXPECT_FALSE(firstUser.isEmpty());
            EXPECT_NE(firstUser, firstLogin) << "the fixture must tell the two apart";
        } else if (c.user == QStringLiteral("swapped")) {
            EXPECT_EQ(user->AsString(), firstLogin);
            EXPECT_EQ(login->AsString(), firstUser);
        } else {
            EXPECT_EQ(user->AsString(), firstUser);
            EXPECT_EQ(login->AsString(), firstLogin);
        }
    }
}

}  // namespace
