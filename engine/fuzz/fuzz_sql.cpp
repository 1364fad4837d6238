// fuzz_sql.cpp: any text handed to the SQL executor must come back as a status, never a crash.
//
// The catalog is the SQL tests' in-memory one, with one small table and the lock
// procedures, so that statements reach execution and not only the parser.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/core/sql/executor.h"
#include "engine/include/engine_api.h"
#include "engine/testing/fake_catalog.h"

using namespace engine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    sql::FakeCatalog catalog;
    sql::FakeTable clients;
    ColumnDef name;
    name.name = "Nom";
    name.type = ColumnType::CiString;
    name.length = 10;
    ColumnDef number;
    number.name = "Num";
    number.type = ColumnType::Integer;
    number.length = 4;
    clients.columns = {name, number};
    clients.records = {Row{Value::ofString("Dupont", true), Value::ofInteger(1)},
                       Row{Value::ofString("Martin", true), Value::ofInteger(42)}};
    catalog.tables["CLIENTS"] = clients;
    catalog.locks["/X/CLIENTS.ADT"] = {1, 42};

    (void)sql::parameterNames(text);
    sql::ExecuteResult result;
    Status s = sql::execute(catalog, text, {Value::ofString("p1"), Value::ofInteger(7)}, &result);
    if (s.code == AE_SQL_ERROR && s.text.find("NativeError = ") == std::string::npos)
        __builtin_trap();
    if (s.ok() && result.hasCursor &&
        (!result.result.layout ||
         result.result.rows.width() != result.result.layout->columns.size()))
        __builtin_trap();
    return 0;
}
