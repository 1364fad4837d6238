// demo_scripts.h: what the demo dictionaries hold, as SQL texts ready for the engine.
//
// Generation is deterministic: the same seed and scale give byte-identical scripts.
#ifndef BREVANTIS_ENGINE_TOOLS_DEMODATA_DEMO_SCRIPTS_H
#define BREVANTIS_ENGINE_TOOLS_DEMODATA_DEMO_SCRIPTS_H

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// One table of a demo dictionary.
struct TableScript {
    std::string name;
    std::string createSql;              // CREATE TABLE, Windows-1252
    std::vector<std::string> indexSql;  // CREATE INDEX statements
    std::string defaultIndex;           // index made the table's default; empty for none
    std::vector<std::string> inserts;   // one INSERT per row, Windows-1252
    bool fileMissing = false;           // registered in the dictionary, its .adt then removed
};

// One dictionary: NAME.add in its own folder NAME/.
struct DictionaryScript {
    std::string name;
    std::vector<TableScript> tables;
};

// The demo dictionaries Compta, Ventes and Personnel. `scale` multiplies every row count
// (1.0 gives hundreds to thousands of rows per table; tests use a small fraction); every
// table keeps at least a few rows.
std::vector<DictionaryScript> demoScripts(uint64_t seed, double scale);

}  // namespace demo

#endif  // BREVANTIS_ENGINE_TOOLS_DEMODATA_DEMO_SCRIPTS_H
