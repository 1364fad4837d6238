// answer_check_test.cpp: an answer the client cannot decode whole — truncated, with bytes
// left over, or describing columns and images that do not fit — loses the connection
// (AE_CONNECTION_LOST) instead of being used.
#include <functional>

#include "engine/client/channel.h"
#include "engine/core/session.h"
#include "engine/protocol/operations.h"
#include "engine/server/dispatcher.h"
#include "tests/engine/client/client_fixture.h"

namespace engine::testing {
namespace {

using protocol::Op;

// Spoils the body of the answer to the next operation `op` the client sends.
struct Spoiler {
    bool armed = false;
    Op op = Op::Ping;
    std::function<void(std::string&)> spoil;
};

// An in-process channel whose answers a Spoiler may spoil.
class SpoilingChannel : public client::Channel {
  public:
    SpoilingChannel(Server& server, Spoiler& spoiler)
        : dispatcher_(server, "in-process"), spoiler_(spoiler) {}

    bool exchange(const std::string& request, std::string* answer, int) override {
        std::optional<std::string> out = dispatcher_.respond(request);
        if (!out) return false;
        *answer = std::move(*out);
        if (spoiler_.armed) spoilAnswer(request, answer);
        return true;
    }

  private:
    void spoilAnswer(const std::string& request, std::string* answer) {
        std::vector<protocol::OpRequest> ops;
        protocol::decodeWhole(request, &ops);
        std::vector<protocol::OpResult> results;
        protocol::decodeWhole(*answer, &results);
        for (size_t i = 0; i < ops.size(); ++i) {
            if (ops[i].op != spoiler_.op) continue;
            std::string body(results[i].body);
            spoiler_.spoil(body);
            results[i].body = body;
            spoiler_.armed = false;
            *answer = protocol::encoded(results);
            return;
        }
    }

    server::Dispatcher dispatcher_;
    Spoiler& spoiler_;
};

void truncate(std::string& body) {
    body.pop_back();
}
void addByte(std::string& body) {
    body += '\0';
}

// Re-encodes an SQL result after `change`. The result is the first of its connection, so
// its layout came whole, into the first slot, as it goes again.
std::function<void(std::string&)> changeResult(std::function<void(SqlResult&)> change) {
    return [change](std::string& body) {
        protocol::LayoutSlots received, sent;
        protocol::AnswerContext context{&received, 0};
        SqlResult x;
        protocol::decodeAnswerBody<Op::ExecuteSql>(body, &x, context);
        change(x);
        body = protocol::encodeAnswerBody<Op::ExecuteSql>(x, sent);
    };
}

UNSIGNED32 execute(ADSHANDLE connection, const char16_t* sql) {
    ADSHANDLE stmt = 0, cursor = 0;
    AdsCreateSQLStatement(connection, &stmt);
    AdsPrepareSQLW(stmt, reinterpret_cast<const WCHAR16*>(sql));
    return AdsExecuteSQL(stmt, &cursor);
}

ADSHANDLE openT(ADSHANDLE connection) {
    ADSHANDLE t = 0;
    EXPECT_EQ(AdsOpenTable90(connection, "T", nullptr, 0, ADS_ANSI, ADS_PROPRIETARY_LOCKING,
                             ADS_CHECKRIGHTS, 0, "ANSI", &t),
              AE_SUCCESS);
    return t;
}

class AnswerCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        client::setChannelFactory([this]() -> std::unique_ptr<client::Channel> {
            return std::make_unique<SpoilingChannel>(core_, spoiler_);
        });
        ADSHANDLE conn = connectOrFail(folder_.connectString());
        runSql(conn,
               "CREATE TABLE T (Nom Char(10), N Integer);\r\n"
               "INSERT INTO T VALUES ('a', 1), ('b', 2), ('c', 3);");
        AdsDisconnect(conn);
    }
    void TearDown() override { client::setChannelFactory({}); }

    DictionaryFolder folder_;
    Server core_;
    Spoiler spoiler_;
};

TEST_F(AnswerCheckTest, AnAnswerThatDoesNotDecodeLosesTheConnection) {
    const char16_t* select = u"SELECT Nom, N FROM T";
    struct Case {
        const char* what;
        Op op;
        std::function<void(std::string&)> spoil;
        // Runs up to the spoilt answer (arm() spoils the next one) and returns its code.
        std::function<UNSIGNED32(ADSHANDLE conn, const std::function<void()>& arm)> act;
    } cases[] = {
        {"SQL result truncated", Op::ExecuteSql, truncate,
         [&](ADSHANDLE conn, auto& arm) {
             arm();
             return execute(conn, select);
         }},
        {"SQL result with a byte left over", Op::ExecuteSql, addByte,
         [&](ADSHANDLE conn, auto& arm) {
             arm();
             return execute(conn, select);
         }},
        {"column past the record image", Op::ExecuteSql, changeResult([](SqlResult& x) {
             RecordLayout spoilt = *x.cursor.layout;
             spoilt.columns[1].offset = spoilt.recordLength - 2;
             x.cursor.layout = std::make_shared<const RecordLayout>(std::move(spoilt));
         }),
         [&](ADSHANDLE conn, auto& arm) {
             arm();
             return execute(conn, select);
         }},
        {"row image shorter than the record", Op::ExecuteSql,
         changeResult([](SqlResult& x) { x.rows[1].record.resize(3); }),
         [&](ADSHANDLE conn, auto& arm) {
             arm();
             return execute(conn, select);
         }},
        {"opened table truncated", Op::OpenTable, truncate,
         [&](ADSHANDLE conn, auto& arm) {
             arm();
             ADSHANDLE t = 0;
             return AdsOpenTable90(conn, "T", nullptr, 0, ADS_ANSI, ADS_PROPRIETARY_LOCKING,
                                   ADS_CHECKRIGHTS, 0, "ANSI", &t);
         }},
        {"move truncated", Op::GotoTop, truncate,
         [&](ADSHANDLE conn, auto& arm) {
             ADSHANDLE t = openT(conn);
             arm();
             return AdsGotoTop(t);
         }},
        {"record count empty", Op::RecordCount, truncate,
         [&](ADSHANDLE conn, auto& arm) {
             ADSHANDLE t = openT(conn);
             arm();
             UNSIGNED32 n = 0;
             return AdsGetRecordCount(t, ADS_IGNOREFILTERS, &n);
         }},
        {"deferred move with a byte left over", Op::GotoRecord, addByte,
         [&](ADSHANDLE conn, auto& arm) {
             ADSHANDLE t = openT(conn);  // stands on record 1
             AdsCacheRecords(t, 0);      // no rows read ahead: record 3 is a server move
             EXPECT_EQ(AdsGotoRecord(t, 3), AE_SUCCESS);
             arm();
             EXPECT_EQ(AdsGotoRecord(t, 1), AE_SUCCESS);  // a recent row: answered at once
             UNSIGNED32 n = 0;
             return AdsGetRecordCount(t, ADS_IGNOREFILTERS, &n);  // carries the move
         }},
    };
    for (const Case& c : cases) {
        ADSHANDLE conn = connectOrFail(folder_.connectString());
        spoiler_ = {false, c.op, c.spoil};
        UNSIGNED32 rc = c.act(conn, [&] { spoiler_.armed = true; });
        EXPECT_FALSE(spoiler_.armed) << c.what << ": the answer was not spoilt";
        EXPECT_EQ(rc, AE_CONNECTION_LOST) << c.what << ": " << lastErrorText();
        EXPECT_EQ(execute(conn, select), AE_CONNECTION_LOST) << c.what;
        AdsDisconnect(conn);
    }
}

}  // namespace
}  // namespace engine::testing
