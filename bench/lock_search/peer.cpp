// peer.cpp: the private PostgreSQL cluster of the lock search bench, its lock holders and
// the one query that lists the row locks of every table with the sessions holding them.
#include "bench/lock_search/peer.h"

#include <libpq-fe.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace lockbench {
namespace {

std::string tableName(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "t%03d", i);
    return name;
}

// The script's standard output, trailing newline removed; empty when it failed.
std::string runScript(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    if (pclose(pipe) != 0) return {};
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

bool ok(PGresult* result, std::string* error) {
    const ExecStatusType status = PQresultStatus(result);
    const bool good = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!good && error->empty()) *error = PQresultErrorMessage(result);
    PQclear(result);
    return good;
}

}  // namespace

Peer::Peer(const std::string& script, int tables, int rows) : script_(script), tables_(tables) {
    folder_ = runScript(script_ + " start " + std::to_string(tables) + " " + std::to_string(rows));
    if (folder_.empty()) {
        error_ = "the PostgreSQL peer did not start (" + script_ + ")";
        return;
    }
    searcher_ = connect("lock search");
    // Every table's row locks joined with the sessions that hold them.
    std::string list;
    for (int t = 0; t < tables; ++t) list += (t ? ",'" : "'") + tableName(t) + "'";
    query_ =
        "SELECT t.relname, r.locked_row, r.modes, a.pid, a.usename, a.application_name, "
        "a.client_addr, a.backend_start FROM unnest(ARRAY[" +
        list +
        "]) AS t(relname) "
        "CROSS JOIN LATERAL pgrowlocks(t.relname) AS r "
        "JOIN pg_stat_activity AS a ON a.pid = ANY(r.pids)";
}

Peer::~Peer() {
    release();
    if (searcher_) PQfinish(searcher_);
    if (!folder_.empty()) runScript(script_ + " stop " + folder_);
}

pg_conn* Peer::connect(const std::string& name) {
    const std::string info =
        "host=" + folder_ + " user=postgres dbname=postgres application_name='" + name + "'";
    pg_conn* c = PQconnectdb(info.c_str());
    if (PQstatus(c) != CONNECTION_OK && error_.empty()) error_ = PQerrorMessage(c);
    return c;
}

void Peer::release() {
    for (pg_conn* c : holders_) PQfinish(c);  // their transactions end with them
    holders_.clear();
}

bool Peer::hold(int holders, int perTable) {
    release();
    const int share = tables_ / holders;
    for (int h = 0; h < holders && error_.empty(); ++h) {
        char name[16];
        std::snprintf(name, sizeof name, "PC-%02d", h);
        pg_conn* c = connect(name);
        holders_.push_back(c);
        if (!ok(PQexec(c, "BEGIN"), &error_)) break;
        for (int t = h * share; t < (h + 1) * share; ++t) {
            const std::string lock = "SELECT id FROM " + tableName(t) +
                                     " WHERE id <= " + std::to_string(perTable) + " FOR UPDATE";
            if (!ok(PQexec(c, lock.c_str()), &error_)) break;
        }
    }
    return error_.empty();
}

long Peer::locksQuery(double* seconds) {
    const auto start = std::chrono::steady_clock::now();
    PGresult* result = PQexec(searcher_, query_.c_str());
    *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long rows = PQresultStatus(result) == PGRES_TUPLES_OK ? PQntuples(result) : -1;
    if (rows < 0 && error_.empty()) error_ = PQresultErrorMessage(result);
    PQclear(result);
    return rows;
}

}  // namespace lockbench
