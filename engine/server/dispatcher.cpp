// dispatcher.cpp: each operation's arguments, the core session call it makes, its answer.
#include "engine/server/dispatcher.h"

#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

#include "engine/core/connection_string.h"
#include "engine/core/password.h"
#include "engine/record/record_text.h"
#include "engine/include/engine_api.h"
#include "engine/protocol/frame.h"
#include "engine/server/login_throttle.h"

namespace engine::server {

using protocol::Op;

// What an operation ended with. A malformed one drops the connection.
struct Dispatcher::Outcome {
    Outcome(Status s = {}, std::string b = {}) : status(std::move(s)), body(std::move(b)) {}
    static Outcome malformedArguments() {
        Outcome out;
        out.malformed = true;
        return out;
    }
    Status status;
    std::string body;
    bool malformed = false;
};

namespace {

// Upper bounds on what one answer carries, so that it stays well inside a frame.
constexpr uint16_t kMaxNeighbours = 256;
constexpr uint32_t kMaxFetchRows = 16384;

// Reads up to k rows on each side of `at` in the order of `order`, then puts the cursor
// back on `at`. Rows that cannot be read leave the neighbours short; never fails.
protocol::Neighbours neighboursOf(Session& s, Handle order, const Position& at, uint16_t k) {
    protocol::Neighbours n;
    k = std::min(k, kMaxNeighbours);
    if (k == 0 || at.bof || at.eof || at.recordNumber == 0) return n;
    Position back;
    auto side = [&](int32_t step, std::vector<Position>* rows, bool* reachedEdge) {
        if (!s.gotoRecord(order, at.recordNumber, &back).ok()) return false;
        if (!s.fetch(order, step, k, rows).ok()) return false;
        if (!rows->empty() && (rows->back().bof || rows->back().eof)) {
            rows->pop_back();
            *reachedEdge = true;
        }
        return true;
    };
    if (!side(-1, &n.before, &n.reachedBof) || !side(1, &n.after, &n.reachedEof)) {
        n = protocol::Neighbours{};
    }
    s.gotoRecord(order, at.recordNumber, &back);
    return n;
}

// A move and the rows read around where it landed.
Status moved(Session& s, Status st, Handle order, uint16_t k, protocol::Moved& out) {
    if (st.ok()) out.around = neighboursOf(s, order, out.position, k);
    return st;
}

// Up to `count` rows from row `first` of a cursor.
Status fetchRows(Session& s, const protocol::FetchArgs& a, std::vector<Position>& out) {
    const uint32_t count = std::min(a.count, kMaxFetchRows);
    out.resize(1);
    Status st = s.gotoRecord(a.cursor, a.first, &out[0]);
    if (!st.ok() || count == 1 || out[0].eof) return st;
    std::vector<Position> more;
    st = s.fetch(a.cursor, 1, count - 1, &more);
    std::move(more.begin(), more.end(), std::back_inserter(out));
    return st;
}

}  // namespace

Dispatcher::Dispatcher(Server& server, std::string peerAddress, PeerCredentials peer,
                       bool folderConnectionsUnknownPeer)
    : server_(server),
      peerAddress_(std::move(peerAddress)),
      peer_(peer),
      folderConnectionsUnknownPeer_(folderConnectionsUnknownPeer) {}

Dispatcher::~Dispatcher() = default;

uint32_t Dispatcher::connectionNumber() const {
    return session_ ? session_->connectionNumber() : 0;
}

bool Dispatcher::passwordGiven() const {
    return session_ && session_->isDictionary();
}

std::optional<std::string> Dispatcher::respond(std::string_view payload) {
    std::vector<protocol::OpRequest> ops;
    if (!protocol::decodeWhole(payload, &ops)) return std::nullopt;
    // The answer payload: a std::vector<protocol::OpResult>, written as each runs.
    protocol::Writer answer;
    answer.u32(static_cast<uint32_t>(ops.size()));
    bool stopped = false;
    // What each result takes besides its body and text: its code and two lengths.
    constexpr size_t kResultOverhead = 16;
    // Room kept for the results still to come, skipped ones or refusals of their own.
    const size_t kept = ops.size() * (kResultOverhead + 128);
    for (const protocol::OpRequest& op : ops) {
        answerRoom_ = protocol::kMaxPayload - std::min<size_t>(protocol::kMaxPayload,
                                                                answer.size() + kept);
        if (stopped) {
            protocol::write(
                answer, protocol::OpResult{
                            protocol::kStatusSkipped, "Not run: an earlier operation failed.", {}});
            continue;
        }
        Outcome out;
        try {
            out = run(op);
        } catch (const std::exception& e) {
            out = {Status::error(AE_INTERNAL_ERROR, std::string("Internal error: ") + e.what())};
        } catch (...) {
            out = {Status::error(AE_INTERNAL_ERROR, "Internal error.")};
        }
        if (out.malformed) return std::nullopt;
        if (!out.status.ok() && !(op.flags & protocol::kOpMayFail)) stopped = true;
        protocol::write(answer, protocol::OpResult{out.status.code, out.status.text, out.body});
    }
    return answer.take();
}

template <Op op, typename Body>
Dispatcher::Outcome Dispatcher::serve(std::string_view args, Body&& body) {
    protocol::ArgsOf<op> a;
    if (!protocol::decodeWhole(args, &a)) return Outcome::malformedArguments();
    protocol::AnswerOf<op> answer;
    Outcome out{body(a, answer)};
    if (!out.status.ok()) return out;
    out.body = protocol::encodeAnswerBody<op>(answer, sentLayouts_);
    if (out.body.size() <= answerRoom_) return out;
    // Too large for one message: refused, and the connection lives on. The client holds
    // nothing of what was not sent: no cursor it would never close, and maybe not a layout
    // this answer placed, so every layout goes whole again.
    sentLayouts_ = protocol::LayoutSlots{};
    if constexpr (op == Op::ExecuteSql) {
        if (answer.cursor.handle) session_->close(answer.cursor.handle);
    }
    return {Status::error(AE_RESULTS_TOO_LARGE,
                          "The answer would take " + std::to_string(out.body.size() >> 20) +
                              " MiB, more than the " + std::to_string(protocol::kMaxPayload >> 20) +
                              " MiB one message may carry: ask for fewer rows at once.")};
}

Status Dispatcher::checkFolderConnection(const std::string& connectString) const {
    ConnectionSettings settings;
    if (!parseConnectionString(connectString, &settings).ok()) return Status::success();
    std::string source = settings.dataSource;
    while (source.size() > 1 && source.back() == '/') source.pop_back();
    struct stat st;
    if (::stat(source.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Status::success();
    if (!peer_.known && folderConnectionsUnknownPeer_) return Status::success();
    std::string why;
    if (peerMayUseFolder(peer_, source, &why)) return Status::success();
    return Status::error(AE_PERMISSION_DENIED,
                         "A folder connection to " + settings.dataSource + " is refused: " + why +
                             ".");
}

Dispatcher::Outcome Dispatcher::connect(const protocol::ConnectArgs& args) {
    if (session_) return {Status::error(AE_INVALID_ARGUMENT, "This channel is connected already.")};
    ClientIdentity identity = args.identity;
    identity.address = peerAddress_;
    Status st = checkFolderConnection(args.connectString);
    // Hashing is shared fairly among peers: a process, or a TCP client's address.
    const std::string peer = peer_.known ? "pid " + std::to_string(peer_.pid) : peerAddress_;
    if (st.ok()) {
        HashingPeer hashingFor(peer, LoginThrottle::instance().recentFailures(peer));
        st = server_.connect(args.connectString, identity, &session_);
    }
    if (st.code == AE_LOGIN_FAILED) {
        ConnectionSettings settings;
        (void)parseConnectionString(args.connectString, &settings);
        std::this_thread::sleep_for(LoginThrottle::instance().failed(
            peer, settings.dataSource + "\n" + record::upperAscii(settings.userId)));
    }
    if (!st.ok()) {
        refusal_ = std::to_string(st.code) + " " + st.text;
        return {std::move(st)};
    }
    if (clientGone_) session_->watchClient(clientGone_);
    return {st, protocol::encodeAnswerBody<Op::Connect>(
                    {session_->connectionNumber(), session_->isDictionary()}, sentLayouts_)};
}

Dispatcher::Outcome Dispatcher::run(const protocol::OpRequest& op) {
    using namespace protocol;
    const std::string_view a = op.args;
    if (op.op < kFirstOp || op.op > kLastOp) return Outcome::malformedArguments();
    if (op.op == Op::Ping) {
        return serve<Op::Ping>(a, [](const Echo& in, Echo& out) {
            out = in;
            return Status::success();
        });
    }
    if (op.op == Op::Connect) {
        ConnectArgs args;
        if (!decodeWhole(a, &args)) return Outcome::malformedArguments();
        return connect(args);
    }
    if (!session_) return {Status::error(AE_CONNECTION_LOST, "The connection is not open.")};
    Session& s = *session_;
    switch (op.op) {
        case Op::Ping:
        case Op::Connect:
            break;
        case Op::Disconnect:
            return serve<Op::Disconnect>(a, [&](const None&, None&) {
                session_.reset();
                finished_ = true;
                return Status::success();
            });
        case Op::ListTables:
            return serve<Op::ListTables>(a, [&](const TableMask& x, TableNames& out) {
                return s.listTables(x.mask, &out.names);
            });
        case Op::GetTableProperty:
            return serve<Op::GetTableProperty>(
                a, [&](const TablePropertyArgs& x, PropertyValue& out) {
                    return s.tableProperty(x.table, x.property, &out.value);
                });
        case Op::OpenTable:
            return serve<Op::OpenTable>(a, [&](const OpenTableArgs& x, OpenedTable& out) {
                Status st = s.openTable(x.name, x.tableType, x.charType, x.lockType, x.checkRights,
                                        x.options, x.collation, &out.cursor);
                if (st.ok()) st = s.gotoTop(out.cursor.handle, &out.position);
                if (!st.ok() && out.cursor.handle) s.close(out.cursor.handle);
                return st;
            });
        case Op::CloseCursor:
            return serve<Op::CloseCursor>(
                a, [&](const HandleArgs& x, None&) { return s.close(x.handle); });
        case Op::GotoTop:
            return serve<Op::GotoTop>(
                a, [&](const HandleArgs& x, Position& out) { return s.gotoTop(x.handle, &out); });
        case Op::GotoBottom:
            return serve<Op::GotoBottom>(a, [&](const HandleArgs& x, Position& out) {
                return s.gotoBottom(x.handle, &out);
            });
        case Op::GotoBof:
            return serve<Op::GotoBof>(
                a, [&](const HandleArgs& x, Position& out) { return s.gotoBof(x.handle, &out); });
        case Op::GotoRecord:
            return serve<Op::GotoRecord>(a, [&](const RecordArgs& x, Position& out) {
                return s.gotoRecord(x.handle, x.record, &out);
            });
        case Op::Skip:
            return serve<Op::Skip>(a, [&](const SkipArgs& x, Moved& out) {
                return moved(s, s.skip(x.handle, x.rows, &out.position), x.handle, x.neighbours,
                             out);
            });
        case Op::RecordCount:
            return serve<Op::RecordCount>(a, [&](const CountArgs& x, Count& out) {
                return s.recordCount(x.handle, x.option, &out.count);
            });
        case Op::SetAof:
            return serve<Op::SetAof>(a, [&](const ExpressionArgs& x, None&) {
                return s.setAof(x.handle, x.expression);
            });
        case Op::ClearAof:
            return serve<Op::ClearAof>(
                a, [&](const HandleArgs& x, None&) { return s.clearAof(x.handle); });
        case Op::SetFilter:
            return serve<Op::SetFilter>(a, [&](const ExpressionArgs& x, None&) {
                return s.setFilter(x.handle, x.expression);
            });
        case Op::ClearFilter:
            return serve<Op::ClearFilter>(
                a, [&](const HandleArgs& x, None&) { return s.clearFilter(x.handle); });
        case Op::SetExact:
            return serve<Op::SetExact>(
                a, [&](const ExactArgs& x, None&) { return s.setExact(x.handle, x.exact); });
        case Op::EvalExpression:
            return serve<Op::EvalExpression>(a, [&](const ExpressionArgs& x, Truth& out) {
                return s.evalLogical(x.handle, x.expression, &out.value);
            });
        case Op::WriteRecord:
            return serve<Op::WriteRecord>(a, [&](const WriteArgs& x, Moved& out) {
                return moved(s, s.writeRecord(x.handle, x.request, &out.position),
                             x.order ? x.order : x.handle, x.neighbours, out);
            });
        case Op::LockRecord:
            return serve<Op::LockRecord>(
                a, [&](const RecordArgs& x, None&) { return s.lockRecord(x.handle, x.record); });
        case Op::UnlockRecord:
            return serve<Op::UnlockRecord>(
                a, [&](const RecordArgs& x, None&) { return s.unlockRecord(x.handle, x.record); });
        case Op::Seek:
            return serve<Op::Seek>(a, [&](const SeekArgs& x, Found& out) {
                return s.seek(x.index, x.key, x.seekType, &out.found, &out.position);
            });
        case Op::ExecuteSql:
            return serve<Op::ExecuteSql>(a, [&](const ExecArgs& x, SqlResult& out) {
                return s.executeSql(x.text, x.params, std::min(x.prefetchRows, kMaxFetchRows),
                                    &out);
            });
        case Op::FetchRows:
            return serve<Op::FetchRows>(a, [&](const FetchArgs& x, std::vector<Position>& out) {
                return x.count == 0 ? Status::error(AE_INVALID_ARGUMENT, "No rows asked for.")
                                    : fetchRows(s, x, out);
            });
    }
    return Outcome::malformedArguments();
}

}  // namespace engine::server
