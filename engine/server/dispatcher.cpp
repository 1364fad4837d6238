// dispatcher.cpp: decodes each operation, calls the core session, encodes its answer.
#include "engine/server/dispatcher.h"

#include <algorithm>
#include <exception>

#include "engine/include/engine_api.h"
#include "engine/protocol/wire_format.h"

namespace engine::server {

using protocol::Op;
using protocol::Reader;
using protocol::Writer;

// What an operation ended with; its body is written into answer_.
struct Dispatcher::Outcome {
    Outcome(Status s = {}, bool m = false) : status(std::move(s)), malformed(m) {}
    static Outcome malformedArguments() { return {{}, true}; }
    Status status;
    bool malformed;
};

namespace {

Status notConnected() { return Status::error(AE_CONNECTION_LOST, "The connection is not open."); }

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
        if (!s.fetch(order, step, k, rows).ok()) {
            rows->clear();
            return false;
        }
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

}  // namespace

Dispatcher::Dispatcher(Server& server, std::string peerAddress)
    : server_(server), peerAddress_(std::move(peerAddress)) {}

Dispatcher::~Dispatcher() = default;

uint32_t Dispatcher::connectionNumber() const {
    return session_ ? session_->connectionNumber() : 0;
}

std::optional<std::string_view> Dispatcher::respond(std::string_view payload) {
    if (!protocol::decodeRequestViews(payload, &ops_)) return std::nullopt;
    answer_.truncate(0);
    protocol::encodeResultCount(answer_, static_cast<uint32_t>(ops_.size()));
    bool stopped = false;
    for (const protocol::OpView& op : ops_) {
        if (stopped) {
            protocol::encodeResult(answer_, protocol::kStatusSkipped,
                                   "Not run: an earlier operation failed.", {});
            continue;
        }
        const size_t begin = protocol::beginResult(answer_);
        const size_t bodyAt = answer_.data().size();
        Outcome out;
        try {
            out = run(static_cast<uint16_t>(op.op), op.args);
        } catch (const std::exception& e) {
            out.status = Status::error(AE_INTERNAL_ERROR, std::string("Internal error: ") + e.what());
            answer_.truncate(bodyAt);  // a body half written
        } catch (...) {
            out.status = Status::error(AE_INTERNAL_ERROR, "Internal error.");
            answer_.truncate(bodyAt);
        }
        if (out.malformed) return std::nullopt;
        if (!out.status.ok() && !(op.flags & protocol::kOpMayFail)) stopped = true;
        protocol::endResult(answer_, begin, out.status.code, out.status.text);
    }
    return answer_.data();
}

void Dispatcher::release() {
    // Room kept for the next request, unless one large answer or request grew it.
    constexpr size_t kKeptBytes = 64 * 1024;
    // A result's rows are what it holds of any size: the next statement reuses them when
    // they are small, as the answers to the tool's repeated statements are. Blob contents
    // may be of any size and go in any case.
    std::vector<Position>& rows = sqlResult_.rows;
    if (rows.capacity() * (sizeof(Position) + sqlResult_.cursor.recordLength()) > kKeptBytes) {
        rows = std::vector<Position>();
    } else {
        for (Position& p : rows)
            if (!p.blobs.empty()) p.blobs = {};
    }
    if (answer_.capacity() > kKeptBytes) answer_ = Writer();
    if (ops_.capacity() * sizeof(protocol::OpView) > kKeptBytes) ops_ = {};
}

std::optional<std::string> Dispatcher::handle(std::string_view payload) {
    std::optional<std::string_view> answer = respond(payload);
    std::optional<std::string> out;
    if (answer) out.emplace(*answer);
    release();
    return out;
}

Dispatcher::Outcome Dispatcher::run(uint16_t code, std::string_view args) {
    Outcome out;
    Reader r(args);
    Writer& w = answer_;  // the body goes straight into the answer
    // Arguments are checked once they are all read: `done` answers the malformed case.
    auto done = [&]() { return r.done(); };
    const Op op = static_cast<Op>(code);

    if (op == Op::Ping) {
        std::string_view echo = r.bytesView();
        if (!done()) return Outcome::malformedArguments();
        w.bytes(echo);
        return {};
    }
    if (op == Op::Connect) {
        protocol::ConnectArgs a = protocol::decodeConnectArgs(r);
        if (!done()) return Outcome::malformedArguments();
        if (session_) {
            return {Status::error(AE_INVALID_ARGUMENT, "This channel is connected already.")};
        }
        a.identity.address = peerAddress_;
        out.status = server_.connect(a.connectString, a.identity, &session_);
        if (!out.status.ok()) {
            refusal_ = std::to_string(out.status.code) + " " + out.status.text;
        } else {
            w.u32(session_->connectionNumber());
            w.boolean(session_->isDictionary());
        }
        return out;
    }
    if (!session_) {
        // Known operations before Connect are refused; unknown codes are malformed.
        if (code < static_cast<uint16_t>(Op::Disconnect) ||
            code > static_cast<uint16_t>(Op::FetchRows)) {
            return Outcome::malformedArguments();
        }
        return {notConnected()};
    }
    Session& s = *session_;
    Position pos;
    auto withPosition = [&](Status st) {
        if (st.ok()) protocol::encode(w, pos);
        return Outcome{std::move(st)};
    };
    // The position, then up to k rows read around it in `order`.
    auto withNeighbours = [&](Status st, Handle order, uint16_t k) {
        if (st.ok()) {
            protocol::encode(w, pos);
            protocol::encode(w, neighboursOf(s, order, pos, k));
        }
        return Outcome{std::move(st)};
    };

    switch (op) {
        case Op::Disconnect:
            if (!done()) return Outcome::malformedArguments();
            session_.reset();
            finished_ = true;
            return {};
        case Op::ListTables: {
            std::string mask = r.bytes();
            if (!done()) return Outcome::malformedArguments();
            std::vector<std::string> names;
            out.status = s.listTables(mask, &names);
            w.u32(static_cast<uint32_t>(names.size()));
            for (const std::string& n : names) w.bytes(n);
            return out;
        }
        case Op::GetTableProperty: {
            std::string table = r.bytes();
            uint16_t property = r.u16();
            if (!done()) return Outcome::malformedArguments();
            std::string value;
            out.status = s.tableProperty(table, property, &value);
            w.bytes(value);
            return out;
        }
        case Op::OpenTable: {
            protocol::OpenTableArgs a = protocol::decodeOpenTableArgs(r);
            if (!done()) return Outcome::malformedArguments();
            protocol::OpenedTable t;
            out.status = s.openTable(a.name, a.tableType, a.charType, a.lockType, a.checkRights,
                                     a.options, a.collation, &t.cursor);
            if (out.status.ok()) {
                out.status = s.gotoTop(t.cursor.handle, &t.position);
                if (!out.status.ok()) s.close(t.cursor.handle);
            }
            if (out.status.ok()) protocol::encode(w, t, sentLayouts_);
            return out;
        }
        case Op::CloseCursor: {
            Handle h = r.u32();
            if (!done()) return Outcome::malformedArguments();
            return {s.close(h)};
        }
        case Op::GotoTop:
        case Op::GotoBottom:
        case Op::GotoBof: {
            Handle h = r.u32();
            if (!done()) return Outcome::malformedArguments();
            if (op == Op::GotoTop) return withPosition(s.gotoTop(h, &pos));
            if (op == Op::GotoBottom) return withPosition(s.gotoBottom(h, &pos));
            return withPosition(s.gotoBof(h, &pos));
        }
        case Op::GotoRecord: {
            Handle h = r.u32();
            uint32_t recno = r.u32();
            if (!done()) return Outcome::malformedArguments();
            return withPosition(s.gotoRecord(h, recno, &pos));
        }
        case Op::Skip: {
            Handle h = r.u32();
            int32_t n = r.i32();
            uint16_t k = r.u16();
            if (!done()) return Outcome::malformedArguments();
            return withNeighbours(s.skip(h, n, &pos), h, k);
        }
        case Op::RecordCount: {
            Handle h = r.u32();
            uint16_t option = r.u16();
            if (!done()) return Outcome::malformedArguments();
            uint32_t count = 0;
            out.status = s.recordCount(h, option, &count);
            w.u32(count);
            return out;
        }
        case Op::SetAof:
        case Op::SetFilter: {
            Handle h = r.u32();
            std::string expression = r.bytes();
            if (!done()) return Outcome::malformedArguments();
            return {op == Op::SetAof ? s.setAof(h, expression) : s.setFilter(h, expression)};
        }
        case Op::ClearAof:
        case Op::ClearFilter: {
            Handle h = r.u32();
            if (!done()) return Outcome::malformedArguments();
            return {op == Op::ClearAof ? s.clearAof(h) : s.clearFilter(h)};
        }
        case Op::SetExact: {
            Handle h = r.u32();
            bool exact = r.boolean();
            if (!done()) return Outcome::malformedArguments();
            return {s.setExact(h, exact)};
        }
        case Op::EvalExpression: {
            Handle h = r.u32();
            std::string expression = r.bytes();
            if (!done()) return Outcome::malformedArguments();
            bool result = false;
            out.status = s.evalLogical(h, expression, &result);
            w.boolean(result);
            return out;
        }
        case Op::WriteRecord: {
            Handle h = r.u32();
            WriteRequest request = protocol::decodeWriteRequest(r);
            Handle order = r.u32();
            uint16_t k = r.u16();
            if (!done()) return Outcome::malformedArguments();
            return withNeighbours(s.writeRecord(h, request, &pos), order ? order : h, k);
        }
        case Op::LockRecord:
        case Op::UnlockRecord: {
            Handle h = r.u32();
            uint32_t recno = r.u32();
            if (!done()) return Outcome::malformedArguments();
            return {op == Op::LockRecord ? s.lockRecord(h, recno) : s.unlockRecord(h, recno)};
        }
        case Op::Seek: {
            Handle h = r.u32();
            std::string key = r.bytes();
            uint16_t seekType = r.u16();
            if (!done()) return Outcome::malformedArguments();
            bool found = false;
            out.status = s.seek(h, key, seekType, &found, &pos);
            if (out.status.ok()) {
                w.boolean(found);
                protocol::encode(w, pos);
            }
            return out;
        }
        case Op::ExecuteSql: {
            protocol::ExecArgsView a = protocol::decodeExecArgs(r);
            if (!done()) return Outcome::malformedArguments();
            out.status = s.executeSql(a.text, a.params, std::min(a.prefetchRows, kMaxFetchRows),
                                      &sqlResult_);
            if (!out.status.ok()) return out;
            protocol::encode(w, sqlResult_, sentLayouts_);
            return out;
        }
        case Op::FetchRows: {
            Handle h = r.u32();
            uint32_t first = r.u32();
            uint32_t count = r.u32();
            if (!done() || count == 0) return Outcome::malformedArguments();
            count = std::min(count, kMaxFetchRows);
            std::vector<Position> rows(1);
            out.status = s.gotoRecord(h, first, &rows[0]);
            if (out.status.ok() && count > 1 && !rows[0].eof) {
                std::vector<Position> more;
                out.status = s.fetch(h, 1, count - 1, &more);
                for (auto& p : more) rows.push_back(std::move(p));
            }
            if (out.status.ok()) protocol::encode(w, rows);
            return out;
        }
        default:
            return Outcome::malformedArguments();
    }
}

}  // namespace engine::server
