// Storage: acknowledged writes survive a killed server process, failed writes leave the
// files as they were, damaged files are refused rather than read, and a damaged memo value
// costs only itself.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "engine/core/table_file.h"
#include "engine/core/test_hooks.h"
#include "engine/include/engine_api.h"
#include "tests/engine/core/core_fixture.h"

namespace engine::testing {
namespace {

class StorageTest : public CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        auto s = connect();
        sql(*s,
            "CREATE TABLE Journal (Id AutoInc, Texte CIChar(30), Notes Memo);"
            "CREATE INDEX ByTexte ON Journal(Texte);");
    }
    void TearDown() override {
        failWritesAfter(-1);
        CoreTest::TearDown();
    }
    static WriteRequest appendText(const std::string& t) {
        WriteRequest w;
        w.append = true;
        w.columns = {{1, ColumnWrite::Kind::Bytes, t}, {2, ColumnWrite::Kind::Bytes, "memo " + t}};
        return w;
    }
    // Reopens the table in a fresh server and returns its rows in record order, leaving the
    // session and the table's description in *s and *info.
    std::vector<Position> reopen(std::unique_ptr<Session>* s, CursorInfo* info) {
        server_ = std::make_unique<Server>();
        *s = connect();
        *info = open(**s, "Journal");
        std::vector<Position> rows;
        Position bof;
        EXPECT_TRUE((*s)->gotoBof(info->handle, &bof).ok());
        // Every row: a killed writer may have gone well past a thousand under load.
        uint32_t count = 0;
        EXPECT_TRUE((*s)->recordCount(info->handle, ADS_IGNOREFILTERS, &count).ok());
        EXPECT_TRUE((*s)->fetch(info->handle, 1, count + 1, &rows).ok());
        if (!rows.empty() && rows.back().eof) rows.pop_back();
        return rows;
    }
    // The rows' texts, as reopen() finds them.
    std::vector<std::string> reread() {
        std::unique_ptr<Session> s;
        CursorInfo info;
        std::vector<std::string> out;
        for (const Position& p : reopen(&s, &info))
            out.push_back(text(info, p, "Texte") + "|" + p.blobs[0].bytes + "|" +
                          std::to_string(integer(info, p, "Id")));
        return out;
    }
};

TEST_F(StorageTest, AcknowledgedWritesSurviveAKilledProcess) {
    int ack[2];
    ASSERT_EQ(::pipe(ack), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child is a server that writes and acknowledges each write, then is killed.
        ::close(ack[0]);
        Server server;
        std::unique_ptr<Session> s;
        if (!server
                 .connect("Data Source=" + dictionary_ + ";User ID=adssys;Password=\"kor5382\";",
                          {}, &s)
                 .ok())
            ::_exit(2);
        CursorInfo info;
        if (!s->openTable("Journal", 0, 1, 1, 1, 0, "", &info).ok()) ::_exit(3);
        for (int i = 1;; ++i) {
            Position p;
            if (!s->writeRecord(info.handle, appendText("ligne " + std::to_string(i)), &p).ok())
                ::_exit(4);
            char c = 1;
            if (::write(ack[1], &c, 1) != 1) ::_exit(5);
        }
    }
    ::close(ack[1]);
    char c;
    int acknowledged = 0;
    while (acknowledged < 200 && ::read(ack[0], &c, 1) == 1) ++acknowledged;
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    while (::read(ack[0], &c, 1) == 1) ++acknowledged;  // acknowledged before the kill
    ::close(ack[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    std::vector<std::string> rows = reread();
    ASSERT_GE(rows.size(), static_cast<size_t>(acknowledged));
    for (size_t i = 0; i < rows.size(); ++i) {
        std::string t = "ligne " + std::to_string(i + 1);
        EXPECT_EQ(rows[i], t + "|memo " + t + "|" + std::to_string(i + 1));
    }
}

TEST_F(StorageTest, AFailedWriteChangesNothing) {
    {
        auto s = connect();
        CursorInfo info = open(*s, "Journal");
        Position p;
        ASSERT_TRUE(s->writeRecord(info.handle, appendText("un"), &p).ok());
    }
    // Fail the 1st, 2nd, ... write of an append and of an update until one goes through.
    for (int update = 0; update < 2; ++update) {
        std::vector<std::string> before = reread();
        for (int n = 0;; ++n) {
            auto s = connect();
            CursorInfo info = open(*s, "Journal");
            WriteRequest w = appendText(update ? "modifie" : "deux");
            if (update) {
                w.append = false;
                w.recordNumber = 1;
            }
            failWritesAfter(n);
            Position p;
            Status st = s->writeRecord(info.handle, w, &p);
            failWritesAfter(-1);
            if (st.ok()) break;
            EXPECT_EQ(st.code, AE_INTERNAL_ERROR);
            // The session's view and the files are both as before.
            Position top;
            ASSERT_TRUE(s->gotoTop(info.handle, &top).ok());
            EXPECT_EQ(text(info, top, "Texte"),
                      update ? "un" : before[0].substr(0, before[0].find('|')));
            s.reset();
            EXPECT_EQ(reread(), before) << "failing write " << n;
            ASSERT_LT(n, 10);
        }
    }
    EXPECT_EQ(reread(), (std::vector<std::string>{"modifie|memo modifie|1", "deux|memo deux|2"}));
}

TEST_F(StorageTest, DamagedFilesAreRefused) {
    const std::string path = dir_ + "/Journal.adt";
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(0);
        f.write("XXXX", 4);
    }
    auto s = connect();
    CursorInfo info;
    EXPECT_EQ(s->openTable("Journal", 0, 1, 1, 1, 0, "", &info).code, AE_INTERNAL_ERROR);
    {
        std::ofstream f(dictionary_, std::ios::app);
        f << "nonsense line\n";
    }
    std::unique_ptr<Session> other;
    EXPECT_EQ(server_
                  ->connect("Data Source=" + dictionary_ + ";User ID=adssys;Password=\"kor5382\";",
                            {}, &other)
                  .code,
              AE_INTERNAL_ERROR);
    // A hand-edited salt that is not hexadecimal refuses the login instead of failing hard.
    std::ofstream(dictionary_) << "BRVADD01\nuser\tadssys\t1\tzz!\tabc\n";
    EXPECT_EQ(server_
                  ->connect("Data Source=" + dictionary_ + ";User ID=adssys;Password=\"kor5382\";",
                            {}, &other)
                  .code,
              AE_LOGIN_FAILED);
}

TEST_F(StorageTest, ATornMemoCostsOnlyItsOwnValueUntilItIsWrittenAgain) {
    {
        auto s = connect();
        CursorInfo info = open(*s, "Journal");
        Position p;
        for (const char* t : {"un", "deux"})
            ASSERT_TRUE(s->writeRecord(info.handle, appendText(t), &p).ok());
    }
    // The last memo value ("memo deux", 4 + 9 bytes) loses its last byte.
    ::truncate((dir_ + "/Journal.adm").c_str(), 8 + (4 + 7) + (4 + 8));
    std::unique_ptr<Session> s;
    CursorInfo info;
    std::vector<Position> rows = reopen(&s, &info);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].blobs[0].bytes, "memo un");
    EXPECT_FALSE(rows[0].blobs[0].damaged);
    EXPECT_EQ(text(info, rows[1], "Texte"), "deux");
    EXPECT_TRUE(rows[1].blobs[0].damaged);
    EXPECT_FALSE(rows[1].blobs[0].isNull);
    SqlResult r;
    EXPECT_EQ(s->executeSql("SELECT * FROM Journal", {}, 0, &r).code, AE_INTERNAL_ERROR);

    // Another column written keeps the damage; the memo written mends it.
    WriteRequest w;
    w.recordNumber = 2;
    w.columns = {{1, ColumnWrite::Kind::Bytes, "DEUX"}};
    Position p;
    ASSERT_TRUE(s->writeRecord(info.handle, w, &p).ok());
    EXPECT_TRUE(p.blobs[0].damaged);
    w.columns = {{2, ColumnWrite::Kind::Bytes, "memo refait"}};
    ASSERT_TRUE(s->writeRecord(info.handle, w, &p).ok());
    EXPECT_FALSE(p.blobs[0].damaged);
    EXPECT_TRUE(s->executeSql("SELECT * FROM Journal", {}, 0, &r).ok());
}

TEST_F(StorageTest, MemoValuesNeverTakeMoreThanTheMemoFileHolds) {
    {
        auto s = connect();
        CursorInfo info = open(*s, "Journal");
        WriteRequest w = appendText("grand");
        w.columns[1].bytes = std::string(100000, 'x');
        Position p;
        ASSERT_TRUE(s->writeRecord(info.handle, w, &p).ok());
        for (int i = 0; i < 20; ++i)
            ASSERT_TRUE(s->writeRecord(info.handle, appendText("petit"), &p).ok());
    }
    // Every record's memo cell made to name the first record's value.
    std::fstream f(dir_ + "/Journal.adt", std::ios::in | std::ios::out | std::ios::binary);
    char fixed[24];
    f.read(fixed, sizeof fixed);
    auto u32 = [&](int at) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(fixed[at + i]);
        return v;
    };
    const uint32_t header = u32(8), slot = u32(16);
    for (int r = 1; r < 21; ++r) {
        f.seekp(header + r * slot + 1 + 4 + 30);  // flag, Id, Texte, then the memo's cell
        f.write("\x08\0\0\0", 4);
    }
    f.close();
    std::unique_ptr<Session> s;
    CursorInfo info;
    std::vector<Position> rows = reopen(&s, &info);
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_EQ(rows[0].blobs[0].bytes.size(), 100000u);
    for (size_t r = 1; r < rows.size(); ++r)
        EXPECT_TRUE(rows[r].blobs[0].damaged) << "record " << r + 1;
}

TEST_F(StorageTest, ATrailingPartialSlotIsIgnoredAndOverwritten) {
    {
        auto s = connect();
        CursorInfo info = open(*s, "Journal");
        Position p;
        ASSERT_TRUE(s->writeRecord(info.handle, appendText("entier"), &p).ok());
    }
    {
        std::ofstream f(dir_ + "/Journal.adt", std::ios::app | std::ios::binary);
        f << " partial";
    }
    EXPECT_EQ(reread(), std::vector<std::string>{"entier|memo entier|1"});
    auto s = connect();
    CursorInfo info = open(*s, "Journal");
    Position p;
    ASSERT_TRUE(s->writeRecord(info.handle, appendText("suivant"), &p).ok());
    s.reset();
    EXPECT_EQ(reread(),
              (std::vector<std::string>{"entier|memo entier|1", "suivant|memo suivant|2"}));
}

}  // namespace
}  // namespace engine::testing
