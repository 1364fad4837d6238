// harness.cpp: folders and dictionaries for the reliability tests.
#include "tests/engine/reliability/harness.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "engine/core/session.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;

void sql(engine::Session& session, const std::string& text) {
    engine::SqlResult result;
    const engine::Status s = session.executeSql(text, {}, 0, &result);
    ASSERT_TRUE(s.ok()) << text.substr(0, 120) << ": " << s.code << " " << s.text;
}

}  // namespace

TempDir::TempDir(const std::string& prefix) {
    std::string pattern = (fs::current_path() / (prefix + "-XXXXXX")).string();
    path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
}

std::string makeDictionary(const std::string& dir, const std::string& name, int rows) {
    const std::string path = dir + "/" + name + ".add";
    engine::Status s = engine::createDictionary(path, "kor5382");
    EXPECT_TRUE(s.ok()) << s.text;
    s = engine::addDictionaryUser(path, "plain", "plain1", false);
    EXPECT_TRUE(s.ok()) << s.text;
    engine::Server server;
    std::unique_ptr<engine::Session> session;
    s = server.connect("Data Source=" + path + ";User ID=adssys;Password=\"kor5382\";", {},
                       &session);
    EXPECT_TRUE(s.ok()) << s.text;
    if (!session) return path;
    sql(*session, "CREATE TABLE Items (Code Char(10), Label CIChar(40), Qty Integer)");
    sql(*session, "CREATE TABLE Journal (Seq Integer, Payload Char(40))");
    std::string batch;
    for (int i = 1; i <= rows; ++i) {
        batch += "INSERT INTO Items (Code, Label, Qty) VALUES ('I" + std::to_string(i) +
                 "', 'Article " + std::to_string(i) + "', " + std::to_string(i % 50) + ");\n";
        if (i % 200 == 0 || i == rows) {
            sql(*session, batch);
            batch.clear();
        }
    }
    return path;
}

}  // namespace reliability
