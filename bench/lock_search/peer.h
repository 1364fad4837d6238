// peer.h: the comparison the lock search bench times between its own searches — the same
// lock population in a private PostgreSQL cluster (peer.sh), found by one query.
#ifndef BREVANTIS_BENCH_LOCK_SEARCH_PEER_H
#define BREVANTIS_BENCH_LOCK_SEARCH_PEER_H

#include <memory>
#include <string>
#include <vector>

struct pg_conn;

namespace lockbench {

// A running cluster with `tables` tables t000.. of `rows` rows; stopped and removed by the
// destructor. Holders are sessions with row locks in open transactions.
class Peer {
  public:
    // Starts the cluster through `script` (peer.sh). started() tells whether it came up;
    // error() says why not.
    Peer(const std::string& script, int tables, int rows);
    ~Peer();
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    bool started() const { return !folder_.empty() && error_.empty(); }
    const std::string& error() const { return error_; }

    // Drops the current holders, then opens `holders` sessions, session h locking rows
    // 1..perTable of its share of the tables in a transaction left open. False on failure.
    bool hold(int holders, int perTable);

    // Runs the one query: the locks of every table with their sessions. Returns the rows it
    // found and sets *seconds to its duration (from the request to the last row received);
    // -1 on failure.
    long locksQuery(double* seconds);

  private:
    pg_conn* connect(const std::string& name);
    void release();

    std::string script_;
    std::string folder_;
    std::string error_;
    int tables_;
    pg_conn* searcher_ = nullptr;
    std::vector<pg_conn*> holders_;
    std::string query_;
};

}  // namespace lockbench

#endif  // BREVANTIS_BENCH_LOCK_SEARCH_PEER_H
