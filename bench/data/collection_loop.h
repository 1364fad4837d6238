// collection_loop.h: the lock collection loop measured on a growing temporary table.
#ifndef BREVANTIS_BENCH_DATA_COLLECTION_LOOP_H
#define BREVANTIS_BENCH_DATA_COLLECTION_LOOP_H

#include <QString>
#include <cstdint>
#include <functional>
#include <map>

#include "data/ace.h"

namespace bench {

// The row count given as the first argument (10000 when absent); 0, with a message on
// stderr, when it is not a whole number from 1 to 10,000,000.
int rowsArgument(int argc, char** argv);

// Counts the engine calls that pass through it, forwarding them to `inner`.
const ace::FunctionTable& countingTable(const ace::FunctionTable& inner);
uint64_t engineCalls();
// The same calls by function name.
std::map<QString, uint64_t> engineCallsByFunction();

// Connects to `dictionary` as adssys, creates #UsersTableLocks as the tool does, then runs
// `rows` times: Locate on (TableName, LockedRecNo), Append, six AsAnsiString and one
// AsInteger writes, Post. Appends one line per block of rows to `report`, and a total.
// `roundTrips` reads the client library's counter.
void runCollectionLoop(const QString& mode, const QString& dictionary, int rows,
                       const std::function<uint64_t()>& roundTrips, QString& report);

}  // namespace bench

#endif  // BREVANTIS_BENCH_DATA_COLLECTION_LOOP_H
