// demo_builder.cpp: runs the demo scripts through an in-process engine session.
#include "engine/tools/demodata/demo_builder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

#include "engine/core/session.h"
#include "engine/include/engine_api.h"
#include "engine/tools/demodata/ads_ini.h"
#include "engine/tools/demodata/demo_scripts.h"

namespace demo {
namespace {

namespace fs = std::filesystem;

// Statements per executeSql call: large enough to keep parsing overhead low, small enough
// that a failing row is easy to find in the message.
constexpr size_t kInsertBatch = 200;

bool check(const engine::Status& s, const std::string& what, std::string* error) {
    if (s.ok()) return true;
    *error = what + ": " + std::to_string(s.code) + " " + s.text;
    return false;
}

// Removes every file of `table` in `dir` (its .adt and the files beside it), matching the
// name without regard to letter case. False when there was no .adt to remove.
bool removeTableFiles(const fs::path& dir, const std::string& table) {
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    bool removedAdt = false;
    std::vector<fs::path> doomed;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (lower(entry.path().stem().string()) == lower(table)) doomed.push_back(entry.path());
    }
    for (const fs::path& p : doomed) {
        std::error_code ec;
        const bool gone = fs::remove(p, ec);
        removedAdt = removedAdt || (gone && lower(p.extension().string()) == ".adt");
    }
    return removedAdt;
}

bool buildTable(engine::Session& session, const TableScript& t, size_t* rows, std::string* error) {
    engine::SqlResult result;
    if (!check(session.executeSql(t.createSql, {}, 0, &result), t.name + " (CREATE)", error)) {
        return false;
    }
    for (const std::string& ix : t.indexSql) {
        if (!check(session.executeSql(ix, {}, 0, &result), t.name + " (" + ix + ")", error)) {
            return false;
        }
    }
    // Held open while the rows go in, so that the engine keeps the table loaded between
    // statements instead of reading it again for each one.
    engine::CursorInfo open;
    if (!check(session.openTable(t.name, ADS_ADT, ADS_ANSI, ADS_PROPRIETARY_LOCKING,
                                 ADS_IGNORERIGHTS, 0, "", &open),
               t.name + " (open)", error)) {
        return false;
    }
    for (size_t i = 0; i < t.inserts.size(); i += kInsertBatch) {
        std::string batch;
        for (size_t k = i; k < std::min(i + kInsertBatch, t.inserts.size()); ++k) {
            batch += t.inserts[k] + ";\n";
        }
        if (!check(session.executeSql(batch, {}, 0, &result),
                   t.name + " (rows " + std::to_string(i + 1) + "..)", error)) {
            return false;
        }
    }
    session.close(open.handle);
    *rows += t.inserts.size();
    if (!t.defaultIndex.empty()) {
        return check(session.setDefaultIndex(t.name, t.defaultIndex), t.name + " default index",
                     error);
    }
    return true;
}

bool buildDictionary(const fs::path& dir, const DictionaryScript& d, BuildSummary* summary,
                     std::string* error) {
    const fs::path addPath = dir / (d.name + ".add");
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
        *error = "cannot create " + dir.string() + ": " + ec.message();
        return false;
    }
    if (fs::exists(addPath)) {
        *error = addPath.string() + " already exists; remove the old demo folder first";
        return false;
    }
    if (!check(engine::createDictionary(addPath.string(), kAdminPassword), addPath.string(),
               error)) {
        return false;
    }
    for (const auto& [user, password] : kPlainUsers) {
        if (!check(engine::addDictionaryUser(addPath.string(), user, password, false),
                   "user " + user, error)) {
            return false;
        }
    }
    std::vector<std::string> missing;
    {
        engine::Server server;
        std::unique_ptr<engine::Session> session;
        const std::string cs = "Data Source=" + addPath.string() + ";User ID=" + kAdminUser +
                               ";Password=\"" + kAdminPassword + "\";ServerType=LOCAL|REMOTE;";
        engine::ClientIdentity who{"demodata", "127.0.0.1", "demodata", "", "demodata"};
        if (!check(server.connect(cs, who, &session), "connect " + addPath.string(), error)) {
            return false;
        }
        for (const TableScript& t : d.tables) {
            if (!buildTable(*session, t, &summary->rows, error)) return false;
            if (t.fileMissing) missing.push_back(t.name);
        }
        summary->tables += d.tables.size();
    }  // the session and server close every table file here
    for (const std::string& name : missing) {
        if (!removeTableFiles(dir, name)) {
            *error = "cannot remove the table file of " + name;
            return false;
        }
    }
    summary->dictionaryPaths.push_back(fs::absolute(addPath).lexically_normal().string());
    return true;
}

}  // namespace

bool buildDemo(const BuildOptions& options, BuildSummary* summary, std::string* error) {
    const fs::path out = fs::absolute(options.outDir).lexically_normal();
    std::vector<Alias> aliases;
    try {
        for (const DictionaryScript& d : demoScripts(options.seed, options.scale)) {
            if (!buildDictionary(out / d.name, d, summary, error)) return false;
            aliases.push_back({d.name, summary->dictionaryPaths.back()});
        }
    } catch (const fs::filesystem_error& e) {
        *error = e.what();
        return false;
    }
    // An old alias of the first dictionary, kept in the file but never offered by the tool.
    aliases.push_back({"ARCHIVE_X_2019", summary->dictionaryPaths.front()});
    const std::string ini = options.iniPath.empty() ? (out / "ads.ini").string() : options.iniPath;
    return writeAdsIni(ini, aliases, error);
}

}  // namespace demo
