// demodata_test.cpp: the demo dictionaries as the engine sees them after a build.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "engine/core/session.h"
#include "engine/include/engine_api.h"
#include "engine/tools/demodata/demo_builder.h"
#include "engine/tools/demodata/demo_scripts.h"

namespace demo {
namespace {

namespace fs = std::filesystem;

class DemoData : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        out_ = new std::string((fs::current_path() / "demo-build").string());
        fs::remove_all(*out_);
        BuildOptions options;
        options.outDir = *out_;
        options.scale = 0.05;
        options.seed = 11;
        std::string error;
        ok_ = buildDemo(options, &summary_, &error);
        error_ = error;
    }
    static void TearDownTestSuite() {
        fs::remove_all(*out_);
        delete out_;
    }
    void SetUp() override { ASSERT_TRUE(ok_) << error_; }

    // A session on a demo dictionary; null (and a test failure) when refused.
    std::unique_ptr<engine::Session> connect(const std::string& dict, const std::string& user,
                                             const std::string& password, uint32_t* code) {
        std::unique_ptr<engine::Session> s;
        const engine::Status st =
            server_.connect("Data Source=" + *out_ + "/" + dict + "/" + dict +
                                ".add;User ID=" + user + ";Password=\"" + password + "\";",
                            {}, &s);
        *code = st.code;
        return s;
    }

    static std::string* out_;
    static bool ok_;
    static std::string error_;
    static BuildSummary summary_;
    engine::Server server_;
};

std::string* DemoData::out_ = nullptr;
bool DemoData::ok_ = false;
std::string DemoData::error_;
BuildSummary DemoData::summary_;

TEST_F(DemoData, EveryTableHoldsItsRowsAndDefaultIndex) {
    const auto scripts = demoScripts(11, 0.05);
    for (const DictionaryScript& d : scripts) {
        uint32_t code = 0;
        auto session = connect(d.name, kAdminUser, kAdminPassword, &code);
        ASSERT_TRUE(session) << d.name << " refused: " << code;
        std::vector<std::string> names;
        ASSERT_TRUE(session->listTables("", &names).ok());
        EXPECT_EQ(names.size(), d.tables.size()) << d.name;
        for (const TableScript& t : d.tables) {
            const bool onDisk = fs::exists(*out_ + "/" + d.name + "/" + t.name + ".adt");
            EXPECT_EQ(onDisk, !t.fileMissing) << t.name;
            std::string index;
            const engine::Status prop =
                session->tableProperty(t.name, ADS_DD_TABLE_DEFAULT_INDEX, &index);
            if (t.defaultIndex.empty()) {
                EXPECT_EQ(prop.code, static_cast<uint32_t>(AE_PROPERTY_NOT_SET)) << t.name;
            } else {
                EXPECT_EQ(index, t.defaultIndex) << t.name << ": " << prop.text;
            }
            if (t.fileMissing) continue;
            engine::CursorInfo info;
            ASSERT_TRUE(session
                            ->openTable(t.name, ADS_ADT, ADS_ANSI, ADS_PROPRIETARY_LOCKING,
                                        ADS_CHECKRIGHTS, ADS_READONLY, "", &info)
                            .ok())
                << t.name;
            uint32_t count = 0;
            ASSERT_TRUE(session->recordCount(info.handle, ADS_IGNOREFILTERS, &count).ok());
            EXPECT_EQ(count, t.inserts.size()) << t.name;
            EXPECT_EQ(info.indexes.size(), t.indexSql.size()) << t.name;
            session->close(info.handle);
        }
    }
}

TEST_F(DemoData, TextIsStoredInTheEnginesCodePage) {
    uint32_t code = 0;
    auto session = connect("Personnel", kAdminUser, kAdminPassword, &code);
    ASSERT_TRUE(session);
    engine::SqlResult result;
    const engine::Status st =
        session->executeSql("SELECT Libelle FROM Services WHERE Code = 'S001'", {}, 10, &result);
    ASSERT_TRUE(st.ok()) << st.text;
    ASSERT_EQ(result.rows.size(), 1u);
    // "Comptabilité" in Windows-1252: é is the single byte E9.
    EXPECT_NE(result.rows[0].record.find("Comptabilit\xE9"), std::string::npos);
}

TEST_F(DemoData, UsersAndPasswords) {
    const struct {
        const char* user;
        const char* password;
        bool accepted;
    } cases[] = {{kAdminUser, kAdminPassword, true},
                 {"comptable", "saisie26", true},
                 {"lecteur", "lire2026", true},
                 {kAdminUser, "wrong", false},
                 {"comptable", kAdminPassword, false}};
    for (const auto& c : cases) {
        uint32_t code = 0;
        const bool accepted = connect("Ventes", c.user, c.password, &code) != nullptr;
        EXPECT_EQ(accepted, c.accepted) << c.user << " answered " << code;
    }
}

TEST_F(DemoData, AdsIniListsTheDictionariesAndOneHiddenAlias) {
    std::ifstream in(*out_ + "/ads.ini");
    std::stringstream text;
    text << in.rdbuf();
    for (const char* name : {"Compta", "Ventes", "Personnel"}) {
        const std::string line =
            std::string(name) + "=" + *out_ + "/" + name + "/" + name + ".add;A\n";
        EXPECT_NE(text.str().find(line), std::string::npos) << line;
    }
    EXPECT_NE(text.str().find("\nARCHIVE_X_2019="), std::string::npos);
    EXPECT_EQ(text.str().find("[Databases]\n"), text.str().find('['));
}

TEST_F(DemoData, RefusesToOverwriteAnExistingDemo) {
    const auto before = fs::file_size(*out_ + "/Compta/Clients.adt");
    BuildOptions again;
    again.outDir = *out_;
    again.scale = 0.05;
    BuildSummary summary;
    std::string error;
    EXPECT_FALSE(buildDemo(again, &summary, &error));
    EXPECT_NE(error.find("already exists"), std::string::npos) << error;
    EXPECT_EQ(fs::file_size(*out_ + "/Compta/Clients.adt"), before);
}

}  // namespace
}  // namespace demo
