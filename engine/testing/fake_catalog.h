// fake_catalog.h: an in-memory Catalog with the two lock procedures, for the SQL tests.
#ifndef BREVANTIS_ENGINE_TESTING_FAKE_CATALOG_H
#define BREVANTIS_ENGINE_TESTING_FAKE_CATALOG_H

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/sql/catalog.h"

namespace engine::sql {

struct FakeIndex {
    std::string name;
    std::vector<std::string> columns;
    bool unique = false, descending = false;
};

struct FakeTable {
    std::vector<ColumnDef> columns;
    std::vector<std::optional<Row>> records;  // record n at n-1; nullopt = deleted
    std::vector<FakeIndex> indexes;
};

// Tables by upper-cased name. Locks: record numbers per upper-cased, trimmed path.
class FakeCatalog : public Catalog {
  public:
    std::map<std::string, FakeTable> tables;
    std::map<std::string, std::vector<int32_t>> locks;
    std::vector<std::string> calls;  // "name(arg,arg)" of each procedure call; a Null arg as NULL

    Status openTable(std::string_view name, std::unique_ptr<Table>* out) override;
    Status createTable(std::string_view name, const std::vector<ColumnDef>& columns) override;
    Status createIndex(std::string_view name, std::string_view table,
                       const std::vector<std::string>& columns, bool unique,
                       bool descending) override;
    Status dropTable(std::string_view name) override;
    Status executeProcedure(std::string_view name, const Row& args, ResultSet* out) override;

    FakeTable* find(std::string_view name);
};

}  // namespace engine::sql

#endif  // BREVANTIS_ENGINE_TESTING_FAKE_CATALOG_H
