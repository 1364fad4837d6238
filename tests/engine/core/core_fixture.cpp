// Shared fixture of the engine core tests.
#include "tests/engine/core/core_fixture.h"

#include <stdlib.h>

#include <filesystem>

#include "engine/record/record.h"
#include "engine/record/record_text.h"

namespace engine::testing {

void CoreTest::SetUp() {
    char tmpl[] = "/tmp/brevantis_core_XXXXXX";
    dir_ = ::mkdtemp(tmpl);
    dictionary_ = dir_ + "/Gestion.add";
    ASSERT_TRUE(createDictionary(dictionary_, "kor5382").ok());
    ASSERT_TRUE(addDictionaryUser(dictionary_, "lecteur", "secret", false).ok());
    server_ = std::make_unique<Server>();
}

void CoreTest::TearDown() {
    server_.reset();
    std::filesystem::remove_all(dir_);
}

std::unique_ptr<Session> CoreTest::connect(const std::string& user, const std::string& password,
                                           const std::string& app) {
    std::unique_ptr<Session> s;
    ClientIdentity id{"POSTE-" + user, "127.0.0.1", "os_" + user, "tty1", app};
    Status st = server_->connect("Data Source=" + dictionary_ + ";User ID=" + user +
                                     ";Password=\"" + password + "\";FIPS=False;ServerType=REMOTE;",
                                 id, &s);
    EXPECT_TRUE(st.ok()) << st.text;
    return s;
}

SqlResult CoreTest::sql(Session& s, const std::string& text, uint32_t prefetch) {
    SqlResult r;
    Status st = s.executeSql(text, {}, prefetch, &r);
    EXPECT_TRUE(st.ok()) << text << ": " << st.code << " " << st.text;
    return r;
}

CursorInfo CoreTest::open(Session& s, const std::string& name, uint32_t options) {
    CursorInfo info;
    Status st = s.openTable(name, 0, 1, 1, 1, options, "ANSI", &info);
    EXPECT_TRUE(st.ok()) << name << ": " << st.text;
    return info;
}

static const ColumnDef& find(const CursorInfo& info, const std::string& col) {
    for (const ColumnDef& c : info.columns())
        if (record::equalsNoCase(c.name, col)) return c;
    throw std::runtime_error("no column " + col);
}

std::string CoreTest::text(const CursorInfo& info, const Position& p, const std::string& col) {
    Value v =
        record::decodeValue(find(info, col), reinterpret_cast<const uint8_t*>(p.record.data()));
    std::string t = v.text;
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
}

int32_t CoreTest::integer(const CursorInfo& info, const Position& p, const std::string& col) {
    Value v =
        record::decodeValue(find(info, col), reinterpret_cast<const uint8_t*>(p.record.data()));
    return static_cast<int32_t>(v.integer);
}

}  // namespace engine::testing
