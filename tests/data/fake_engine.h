// fake_engine.h: a recording double of the engine's function table for the layer's tests.
//
// Installing a FakeEngine replaces the engine library: every call is recorded as text
// ("AdsSkip(101,1)": integers as numbers, strings quoted, column numbers as #n, input
// lengths by value, other pointers as &) and answered from a small in-memory model of
// tables, cursors, indexes and filters. Any call can be scripted to fail.
#ifndef BREVANTIS_TESTS_DATA_FAKE_ENGINE_H
#define BREVANTIS_TESTS_DATA_FAKE_ENGINE_H

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/ace.h"

class FakeEngine {
  public:
    struct Column {
        std::string name;
        uint16_t type = ADS_STRING;
        uint32_t length = 10;  // bytes in the image (characters for NCHAR/NVARCHAR)
        uint16_t decimals = 0;
        uint32_t offset = 0;
        uint8_t permissions = 7;
        uint32_t imageBytes() const;
    };
    struct Index {
        std::string name;
        std::vector<std::string> fields;
    };
    struct Table {
        std::vector<Column> columns;
        std::vector<QByteArray> rows;  // record images; record number = index + 1
        std::vector<Index> indexes;
        uint16_t tableType = ADS_ADT;
        uint32_t options = ADS_PERMISSION_UPDATE | ADS_PERMISSION_INSERT;
        uint32_t recordLength = 0;
        bool live = false;

        Table& add(const std::string& name, uint16_t type, uint32_t length, uint16_t decimals = 0);
        const Column* find(const std::string& name) const;
        QByteArray blankRow() const;
        // Appends a row; `set` fills it through the put helpers.
        void addRow(const std::function<void(QByteArray&)>& set = nullptr);
        void putString(QByteArray& row, const std::string& col, const std::string& text) const;
        void putInt(QByteArray& row, const std::string& col, int32_t v) const;
        std::string getString(const QByteArray& row, const std::string& col) const;
        int32_t getInt(const QByteArray& row, const std::string& col) const;
    };

    FakeEngine();
    ~FakeEngine();
    static FakeEngine& current();

    // --- What the engine answers
    std::map<std::string, std::shared_ptr<Table>> tables;  // by name as opened (exact text)
    std::vector<std::string> tableNames;                   // AdsFindFirstTable / Next
    std::map<std::string, std::string> defaultIndexes;     // AdsDDGetTableProperty 213
    // SQL results by executed text (as prepared); absent: no cursor.
    std::function<std::shared_ptr<Table>(const std::string& sql)> onExecute;
    std::optional<uint32_t> statementRowCount;  // AdsGetRecordCount on a statement
    uint16_t charType = ADS_ANSI;
    bool seekFound = false;
    // Makes the next `times` calls of `function` fail with `code`; AdsGetLastError then
    // answers that code and text.
    void failNext(const std::string& function, uint32_t code, const std::string& text = "",
                  int times = 1);
    void setLastError(uint32_t code, const std::string& text);

    // --- What was called
    std::vector<std::string> calls;
    // The calls whose text starts with `prefix`.
    std::vector<std::string> callsTo(const std::string& prefix) const;
    void clearCalls() { calls.clear(); }

    // Internal: records a call; returns the scripted failure code, if any.
    std::optional<uint32_t> enter(const std::string& function, const std::string& args);

    struct Handle;
    Handle* handle(ADSHANDLE h);
    ADSHANDLE newHandle(Handle h);
    const ace::FunctionTable& table() const { return table_; }

    uint32_t lastCode = 0;
    std::string lastText;

  private:
    ace::FunctionTable table_;
    std::map<std::string, std::vector<std::pair<uint32_t, std::string>>> failures_;
    std::map<ADSHANDLE, std::shared_ptr<Handle>> handles_;
    ADSHANDLE nextHandle_ = 100;
};

struct FakeEngine::Handle {
    int type = ADS_TABLE;
    std::shared_ptr<Table> table;
    ADSHANDLE owner = 0;      // the table handle of an index order or cursor's statement
    int index = -1;           // index order: which index of the table
    int32_t recno = 0;        // table handles: 0 before the first row, -1 after the last
    std::string aof, filter;  // expressions set on a table handle
    uint16_t exact = 0;
    std::string sql;           // statements
    uint32_t openOptions = 0;  // as passed to AdsOpenTable90
};

#endif  // BREVANTIS_TESTS_DATA_FAKE_ENGINE_H
