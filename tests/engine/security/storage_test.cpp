// storage_test.cpp: what damaged and read-only files give. A crafted table header answers
// "damaged" to whoever opens it and costs the server nothing; a torn memo costs only its own
// value; a table on storage the server cannot write is read, and a write to it is refused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "engine/include/engine_api.h"
#include "tests/engine/reliability/client.h"
#include "tests/engine/reliability/harness.h"
#include "tests/engine/security/support.h"

namespace security {
namespace {

using reliability::Client;
using reliability::lastError;
namespace fs = std::filesystem;

uint32_t getU32(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
    return v;
}
void putU32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}
void putU16(std::string& s, size_t at, uint16_t v) {
    s[at] = static_cast<char>(v);
    s[at + 1] = static_cast<char>(v >> 8);
}

// Where the fields of column `index` start in a table header (see the .adt layout): its
// name length byte, then name, u16 type, u32 length, u16 decimals, u32 offset, two bytes.
struct ColumnAt {
    size_t nameLength, type, length, decimals, offset;
};
ColumnAt columnAt(const std::string& header, int index) {
    size_t at = 24;
    for (int i = 0; i < index; ++i) at += 1 + static_cast<uint8_t>(header[at]) + 14;
    const size_t fields = at + 1 + static_cast<uint8_t>(header[at]);
    return {at, fields, fields + 2, fields + 6, fields + 8};
}

std::string errorText() {
    return lastError();
}

class DamagedAndReadOnly : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory(compta_);
        dict_ = reliability::makeDictionary(compta_, "Compta", 20);
        ASSERT_TRUE(server_.start());
        Client admin(server_.address(), dict_, "adssys", "kor5382");
        std::vector<reliability::Row> none;
        ASSERT_EQ(admin.query("CREATE TABLE Notes (Id Integer, Texte Memo);"
                              "INSERT INTO Notes VALUES (1, 'un'), (2, 'deux'), (3, 'trois');",
                              &none),
                  0u)
            << lastError();
    }

    // What a plain user gets for every row of Notes: "id:memo", or "id:!code" when the
    // memo cannot be read; "open:code" when the table cannot be opened.
    std::vector<std::string> readNotes(Client& c) {
        ADSHANDLE t = 0;
        const UNSIGNED32 rc =
            AdsOpenTable90(c.handle(), "Notes", nullptr, 0, ADS_ANSI, ADS_PROPRIETARY_LOCKING,
                           ADS_CHECKRIGHTS, 0, nullptr, &t);
        if (rc != 0) return {"open:" + std::to_string(rc)};
        std::vector<std::string> rows;
        for (UNSIGNED32 r = 1; r <= 3; ++r) {
            if (AdsGotoRecord(t, r) != 0) {
                rows.push_back("goto:" + lastError());
                continue;
            }
            char buf[64] = {};
            UNSIGNED32 len = sizeof buf - 1;
            std::string row;
            if (AdsGetField(t, "Id", reinterpret_cast<UNSIGNED8*>(buf), &len, 0) == 0)
                row = std::string(buf, len);
            len = sizeof buf - 1;
            const UNSIGNED32 memo =
                AdsGetField(t, "Texte", reinterpret_cast<UNSIGNED8*>(buf), &len, 0);
            row += ":" + (memo == 0 ? std::string(buf, len) : "!" + lastError().substr(0, 4));
            if (memo != 0) {
                EXPECT_NE(lastError().find("damaged"), std::string::npos) << lastError();
            }
            rows.push_back(row);
        }
        AdsCloseTable(t);
        return rows;
    }

    reliability::TempDir root_{"storage"};
    const std::string compta_ = root_.path() + "/Compta";
    std::string dict_;
    reliability::ServerProcess server_{root_.path() + "/srv.sock"};
};

TEST_F(DamagedAndReadOnly, ACraftedHeaderAnswersDamagedAndCostsTheServerNothing) {
    const std::string path = compta_ + "/Items.adt";
    const std::string original = readFile(path);
    const uint32_t headerLength = getU32(original, 8);
    const std::string header = original.substr(0, headerLength);
    // Items: Code Char(10) at 0, Label CIChar(40) at 10, Qty Integer at 50.
    const ColumnAt code = columnAt(header, 0), label = columnAt(header, 1),
                   qty = columnAt(header, 2);
    const struct {
        const char* what;
        std::function<void(std::string&)> craft;
        uint64_t size = 0;  // the file extended to this size, sparse, when not 0
    } cases[] = {
        {"text length that wraps the record's end",
         [&](std::string& h) { putU32(h, label.length, 0xFFFFFFF6u); }},
        {"wide length that wraps",
         [&](std::string& h) {
             putU16(h, label.type, 27);
             putU32(h, label.length, 0x80000000u);
         }},
        {"offset that wraps", [&](std::string& h) { putU32(h, qty.offset, 0xFFFFFFFEu); }},
        {"offset past the record", [&](std::string& h) { putU32(h, qty.offset, 1000); }},
        {"columns that overlap", [&](std::string& h) { putU32(h, label.offset, 0); }},
        {"fixed-width column of another width",
         [&](std::string& h) { putU32(h, qty.length, 100000); }},
        {"unknown type", [&](std::string& h) { putU16(h, code.type, 99); }},
        {"numeric decimals not below its length",
         [&](std::string& h) {
             putU16(h, code.type, 2);
             putU16(h, code.decimals, 10);
         }},
        {"name running past the header",
         [&](std::string& h) { h[qty.nameLength] = static_cast<char>(250); }},
        {"more columns than the header holds", [&](std::string& h) { putU16(h, 20, 3000); }},
        {"record length 0", [&](std::string& h) { putU32(h, 12, 0); }},
        {"slot length that is not the record's", [&](std::string& h) { putU32(h, 16, 9); }},
        {"header longer than the file", [&](std::string& h) { putU32(h, 8, 1u << 20); }},
        {"a record slot that is no slot", [&](std::string& h) { h += std::string(55, '\0'); }},
        {"a sparse file of 4 GiB", [](std::string&) {}, 4ull << 30},
    };
    Client bystander(server_.address(), dict_, "adssys", "kor5382", "BYSTANDER");
    ADSHANDLE journal = 0;
    ASSERT_EQ(AdsOpenTable90(bystander.handle(), "Journal", nullptr, 0, ADS_ANSI,
                             ADS_PROPRIETARY_LOCKING, ADS_CHECKRIGHTS, 0, nullptr, &journal),
              0u);
    Client plain(server_.address(), dict_, "plain", "plain1");
    ASSERT_EQ(plain.code(), 0u) << lastError();
    for (const auto& c : cases) {
        std::string crafted = header;
        c.craft(crafted);
        ASSERT_TRUE(writeFile(path, crafted + original.substr(headerLength))) << c.what;
        if (c.size) {
            ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(c.size)), 0);
        }
        ADSHANDLE t = 0;
        EXPECT_EQ(AdsOpenTable90(plain.handle(), "Items", nullptr, 0, ADS_ANSI,
                                 ADS_PROPRIETARY_LOCKING, ADS_CHECKRIGHTS, 0, nullptr, &t),
                  static_cast<UNSIGNED32>(AE_INTERNAL_ERROR))
            << c.what;
        EXPECT_NE(errorText().find("damaged"), std::string::npos) << c.what << ": " << errorText();
        std::vector<reliability::Row> rows;
        EXPECT_EQ(plain.query("SELECT * FROM Items", &rows),
                  static_cast<UNSIGNED32>(AE_INTERNAL_ERROR))
            << c.what;
        if (t) AdsCloseTable(t);
    }
    UNSIGNED32 count = 0;
    EXPECT_EQ(AdsGetRecordCount(journal, ADS_IGNOREFILTERS, &count), 0u)
        << "the server is gone: " << lastError();
    ASSERT_TRUE(writeFile(path, original));
    std::vector<reliability::Row> rows;
    EXPECT_EQ(plain.query("SELECT * FROM Items", &rows), 0u) << lastError();
    EXPECT_EQ(rows.size(), 20u);
}

TEST_F(DamagedAndReadOnly, ATornMemoCostsOnlyItsOwnValue) {
    // Notes.adm: the magic, then "un" at 8, "deux" at 14, "trois" at 22, each after its length.
    const std::string memoPath = compta_ + "/Notes.adm", tablePath = compta_ + "/Notes.adt";
    const std::string memo = readFile(memoPath), table = readFile(tablePath);
    ASSERT_EQ(memo.size(), 31u);
    const uint32_t headerLength = getU32(table, 8);
    const struct {
        const char* what;
        std::string memo, table;
        std::vector<std::string> rows;
    } cases[] = {
        {"last value cut short", memo.substr(0, 29), table, {"1:un", "2:deux", "3:!5000"}},
        {"length past the file's end",
         [&] {
             std::string m = memo;
             putU32(m, 14, 0x7FFFFFFFu);
             return m;
         }(),
         table,
         {"1:un", "2:!5000", "3:trois"}},
        {"cell inside the memo file's magic",
         memo,
         [&] {
             std::string t = table;
             putU32(t, headerLength + 1 + 4, 3);  // record 1: flag, Id, then the memo's cell
             return t;
         }(),
         {"1:!5000", "2:deux", "3:trois"}},
    };
    for (const auto& c : cases) {
        server_.stop();  // tables are read when first opened: a fresh server reads these files
        ASSERT_TRUE(writeFile(memoPath, c.memo));
        ASSERT_TRUE(writeFile(tablePath, c.table));
        ASSERT_TRUE(server_.start());
        Client plain(server_.address(), dict_, "plain", "plain1");
        EXPECT_EQ(readNotes(plain), c.rows) << c.what;
        // SQL: only a statement that reads the memo fails; the others see every row.
        std::vector<reliability::Row> rows;
        EXPECT_EQ(plain.query("SELECT Id FROM Notes WHERE Id > 0", &rows), 0u)
            << c.what << ": " << lastError();
        EXPECT_EQ(rows.size(), 3u) << c.what;
        EXPECT_EQ(plain.query("SELECT Id, Texte FROM Notes", &rows),
                  static_cast<UNSIGNED32>(AE_INTERNAL_ERROR))
            << c.what;
        EXPECT_NE(lastError().find("damaged"), std::string::npos) << lastError();
    }
}

TEST_F(DamagedAndReadOnly, ReadOnlyStorageIsReadAndItsWritesAreRefused) {
    {
        // A free table beside the dictionary, for the folder connection below.
        Client free(server_.address(), compta_, "", "");
        std::vector<reliability::Row> none;
        ASSERT_EQ(
            free.query("CREATE TABLE Loose (X Integer); INSERT INTO Loose VALUES (7);", &none), 0u)
            << lastError();
    }
    server_.stop();
    const std::string run = root_.path() + "/run";
    fs::create_directory(run);
    fs::permissions(root_.path(), fs::perms::owner_all | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read |
                                      fs::perms::others_exec);
    giveToUnprivileged(compta_);  // its own files, which it may not write
    setWritable(compta_, false);
    giveToUnprivileged(run);
    const std::string dict = dict_;
    const std::string compta = compta_;
    const std::string outcome = runUnprivileged([&] {
        reliability::ServerProcess server(run + "/srv.sock");
        if (!server.start()) return std::string("no server");
        std::string out;
        Client admin(server.address(), dict, "adssys", "kor5382");
        out += "connect " + std::to_string(admin.code()) + "\n";
        std::vector<reliability::Row> rows;
        const UNSIGNED32 selected = admin.query("SELECT * FROM Items", &rows);
        out += "select " + std::to_string(selected) + " " + std::to_string(rows.size()) + "\n";
        ADSHANDLE t = 0;
        out += "open " +
               std::to_string(AdsOpenTable90(admin.handle(), "Items", nullptr, 0, ADS_ANSI,
                                             ADS_PROPRIETARY_LOCKING, ADS_CHECKRIGHTS, 0, nullptr,
                                             &t)) +
               "\n";
        out += "goto " + std::to_string(AdsGotoRecord(t, 5)) + "\n";
        const char* code = "NEW";
        AdsSetString(t, "Code", code, 3);
        out += "write " + std::to_string(AdsWriteRecord(t)) + "\n";
        out += "insert " +
               std::to_string(admin.query("INSERT INTO Items (Code) VALUES ('x')", &rows)) + "\n";
        out += "drop " + std::to_string(admin.query("DROP TABLE Journal", &rows)) + "\n";
        Client free(server.address(), compta, "", "");
        rows.clear();
        const UNSIGNED32 freeSelected = free.query("SELECT * FROM Loose", &rows);
        out += "free select " + std::to_string(freeSelected) + " " + std::to_string(rows.size()) +
               "\n";
        out += "free drop " + std::to_string(free.query("DROP TABLE Loose", &rows)) + "\n";
        return out;
    });
    const std::string refused = std::to_string(AE_READ_ONLY_STORAGE);
    EXPECT_EQ(outcome, "connect 0\nselect 0 20\nopen 0\ngoto 0\nwrite " + refused + "\ninsert " +
                           refused + "\ndrop " + refused + "\nfree select 0 1\nfree drop " +
                           refused + "\n");
    for (const char* file : {"/Journal.adt", "/Journal.adm", "/Loose.adt", "/Items.adt"}) {
        EXPECT_TRUE(exists(compta_ + file)) << file;
    }
    EXPECT_NE(readFile(dict_).find("table\tJournal"), std::string::npos);
    setWritable(compta_, true);
}

}  // namespace
}  // namespace security
