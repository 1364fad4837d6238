// protocol_test.cpp: protocol round trips and the refusal of malformed frames and payloads.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "engine/protocol/frame.h"
#include "engine/protocol/operations.h"

namespace engine::protocol {
namespace {

RecordLayout sampleLayout() {
    RecordLayout l;
    l.recordLength = 30;
    l.blankRecord = std::string("\0\x80 x", 4) + std::string(26, ' ');
    ColumnDef c;
    c.name = "TableName";
    c.type = ColumnType::CiString;
    c.length = 25;
    c.decimals = 2;
    c.offset = 5;
    c.nullable = false;
    c.permissions = 3;
    l.columns = {c, c};
    return l;
}

CursorInfo sampleCursor(RecordLayout layout = sampleLayout()) {
    CursorInfo d;
    d.handle = 7;
    d.handleType = 5;
    d.name = "#UsersTableLocks";
    d.collation = "ANSI";
    d.openOptions = 0xE0;
    d.layout = std::make_shared<const RecordLayout>(std::move(layout));
    d.indexes = {IndexInfo{9, "UserName", 1, {"UserName", "X"}, "cond", 1024}};
    return d;
}

SqlResult sampleResult(RecordLayout layout = sampleLayout()) {
    SqlResult x;
    x.returnsRows = true;
    x.cursor = sampleCursor(std::move(layout));
    x.recordCount = 2;
    x.rows = {
        Position{false, false, 1, true, std::string(30, 'r'), {{4, false, "memo"}, {5, true, ""}}},
        Position{false, true, 0, false, "", {}}};
    return x;
}

// `args` through their declaration, as the client sends them and the server reads them.
template <Op op>
ArgsOf<op> argsRoundTrip(const ArgsOf<op>& args) {
    ArgsOf<op> back;
    EXPECT_TRUE(decodeWhole(encoded(args), &back));
    return back;
}

// An answer as the server encodes it and the client decodes it, each with its own slots.
template <Op op>
AnswerOf<op> answerRoundTrip(const AnswerOf<op>& answer, uint32_t recordLength = 30) {
    LayoutSlots sent, received;
    AnswerContext context{&received, recordLength};
    AnswerOf<op> back;
    EXPECT_TRUE(decodeAnswerBody<op>(encodeAnswerBody<op>(answer, sent), &back, context));
    return back;
}

TEST(ProtocolRoundTrip, ArgumentsAndAnswersDecodeToWhatWasEncoded) {
    ExecArgs e;
    e.text = "EXECUTE PROCEDURE sp_mgGetLockOwner( 'x.adt',42);\r\n";
    e.params = {{1, "", Value::ofString("\xe9t\xe9", true)},
                {0, "p", Value::ofTimeStamp(2, 3)},
                {2, "", Value::ofDouble(-1.5)},
                {3, "", Value::null()}};
    e.prefetchRows = 64;
    ExecArgs be = argsRoundTrip<Op::ExecuteSql>(e);
    EXPECT_EQ(be.text, e.text);
    ASSERT_EQ(be.params.size(), 4u);
    EXPECT_EQ(be.params[0].value.text, "\xe9t\xe9");
    EXPECT_TRUE(be.params[0].value.caseInsensitive);
    EXPECT_EQ(be.params[1].name, "p");
    EXPECT_EQ(be.params[1].value.millis, 3);
    EXPECT_EQ(be.params[2].value.real, -1.5);
    EXPECT_TRUE(be.params[3].value.isNull());
    EXPECT_EQ(be.prefetchRows, 64u);

    SqlResult bx = answerRoundTrip<Op::ExecuteSql>(sampleResult());
    EXPECT_EQ(bx.rowsAffected, -1);
    EXPECT_EQ(bx.cursor.blankRecord(), sampleLayout().blankRecord);
    EXPECT_EQ(bx.cursor.handleType, 5);
    // Every field of a column description, each of its own value, comes back in place.
    const ColumnDef& column = bx.cursor.columns()[1];
    EXPECT_EQ(column.name, "TableName");
    EXPECT_EQ(column.type, ColumnType::CiString);
    EXPECT_EQ(column.length, 25u);
    EXPECT_EQ(column.decimals, 2);
    EXPECT_EQ(column.offset, 5u);
    EXPECT_FALSE(column.nullable);
    EXPECT_EQ(column.permissions, 3);
    EXPECT_EQ(bx.cursor.indexes[0].segments[1], "X");
    EXPECT_EQ(bx.cursor.indexes[0].pageSize, 1024u);
    ASSERT_EQ(bx.rows.size(), 2u);
    EXPECT_EQ(bx.rows[0].blobs[0].bytes, "memo");
    EXPECT_TRUE(bx.rows[0].blobs[1].isNull);
    EXPECT_TRUE(bx.rows[1].eof);

    WriteArgs wa{3,
                 {true, 0, {{1, ColumnWrite::Kind::Bytes, "ab"}, {3, ColumnWrite::Kind::Null, ""}}},
                 9,
                 32};
    WriteArgs bw = argsRoundTrip<Op::WriteRecord>(wa);
    ASSERT_EQ(bw.request.columns.size(), 2u);
    EXPECT_EQ(bw.request.columns[1].kind, ColumnWrite::Kind::Null);
    EXPECT_EQ(bw.request.columns[0].bytes, "ab");
    EXPECT_EQ(bw.order, 9u);
    EXPECT_EQ(bw.neighbours, 32);

    ConnectArgs bc =
        argsRoundTrip<Op::Connect>({"Data Source=x.add;", {"poste", "", "jdupont", "", "Compta"}});
    EXPECT_EQ(bc.identity.osLogin, "jdupont");
    EXPECT_EQ(bc.identity.applicationId, "Compta");

    Moved moved;
    moved.position = {false, false, 4, true, std::string(30, 'p'), {}};
    moved.around.reachedBof = true;
    moved.around.before = {{false, false, 3, true, std::string(30, 'b'), {}}};
    moved.around.after = {{false, false, 5, false, std::string(30, 'a'), {}}};
    Moved bm = answerRoundTrip<Op::Skip>(moved);
    EXPECT_EQ(bm.position.recordNumber, 4u);
    EXPECT_TRUE(bm.around.reachedBof);
    EXPECT_FALSE(bm.around.reachedEof);
    EXPECT_EQ(bm.around.before[0].record, std::string(30, 'b'));
    EXPECT_FALSE(bm.around.after[0].visible);

    std::vector<OpRequest> ops = {{Op::ClearAof, kOpMayFail, "\1\0\0\0"}, {Op::GotoTop, 0, "x"}};
    const std::string request = encoded(ops);
    std::vector<OpRequest> req;
    ASSERT_TRUE(decodeWhole(request, &req));
    EXPECT_EQ(req[0].flags, kOpMayFail);
    EXPECT_EQ(req[1].op, Op::GotoTop);
    // Decoded envelopes view the payload they came in.
    const std::string answer =
        encoded(std::vector<OpResult>{{5035, "locked", ""}, {0, "", "body"}});
    std::vector<OpResult> resp;
    ASSERT_TRUE(decodeWhole(answer, &resp));
    EXPECT_EQ(resp[0].status, 5035u);
    EXPECT_EQ(resp[0].text, "locked");
    EXPECT_EQ(resp[1].body, "body");
}

// The fewest bytes of a structure, which bound a forged count of them, are what it takes
// with every text and list empty.
TEST(ProtocolCoding, TheLeastSizeOfAStructureIsItsEmptyEncoding) {
    EXPECT_EQ(kMinWireSize<OpRequest>, encoded(OpRequest{}).size());
    EXPECT_EQ(kMinWireSize<OpResult>, encoded(OpResult{}).size());
    EXPECT_EQ(kMinWireSize<ColumnDef>, encoded(ColumnDef{}).size());
    EXPECT_EQ(kMinWireSize<IndexInfo>, encoded(IndexInfo{}).size());
    EXPECT_EQ(kMinWireSize<BlobContent>, encoded(BlobContent{}).size());
    EXPECT_EQ(kMinWireSize<ColumnWrite>, encoded(ColumnWrite{}).size());
    EXPECT_EQ(kMinWireSize<SqlParam>, encoded(SqlParam{}).size());
    EXPECT_EQ(kMinWireSize<WriteArgs>, encoded(WriteArgs{}).size());
    EXPECT_EQ(kMinWireSize<None>, 0u);
}

// Once a read fails, whatever the cause, every later read answers zero or empty, even one
// the rest of the input could hold, and the Reader never counts as done.
TEST(ProtocolCoding, AReaderStaysFailedAndReadsNothingAfterAFailure) {
    Writer w;
    w.u8(2);
    w.u32(1000);
    w.bytes("after");
    w.u16(7);
    const std::string input = w.take();
    struct Case {
        const char* what;
        void (*failIt)(Reader&);
    } cases[] = {
        {"read past the end", [](Reader& r) { r.fixed(r.remaining() + 1); }},
        {"boolean other than 0 or 1", [](Reader& r) { r.boolean(); }},
        {"count the input cannot hold",
         [](Reader& r) {
             r.u8();
             r.count(8);
         }},
        {"failed by a decoder", [](Reader& r) { r.fail(); }},
    };
    for (const Case& c : cases) {
        Reader r(input);
        c.failIt(r);
        EXPECT_FALSE(r.ok()) << c.what;
        EXPECT_EQ(r.bytesView(), "") << c.what;
        EXPECT_EQ(r.u16(), 0) << c.what;
        EXPECT_EQ(r.u8(), 0) << c.what;
        EXPECT_FALSE(r.ok()) << c.what;
        EXPECT_FALSE(r.done()) << c.what;
    }
}

// A description whose columns or images do not fit its record length would make field
// reads run past an image: the decoder refuses it rather than hand it on.
TEST(ProtocolRefusal, DescriptionsAndImagesThatDoNotFitTheRecordAreRefused) {
    struct Case {
        const char* what;
        void (*spoil)(RecordLayout&, SqlResult&);
    } cases[] = {
        {"nothing spoilt", [](RecordLayout&, SqlResult&) {}},
        {"blank record short", [](RecordLayout& l, SqlResult&) { l.blankRecord.pop_back(); }},
        {"column ends past the record",
         [](RecordLayout& l, SqlResult&) { l.columns[1].offset = 6; }},
        {"column starts past the record",
         [](RecordLayout& l, SqlResult&) { l.columns[0].offset = 0xFFFFFFF0u; }},
        {"wide column twice its length",
         [](RecordLayout& l, SqlResult&) { l.columns[0].type = ColumnType::NChar; }},
        {"length that wraps when doubled",
         [](RecordLayout& l, SqlResult&) {
             l.columns[0].type = ColumnType::NVarchar;
             l.columns[0].length = 0x7FFFFFFFu;
             l.columns[0].offset = 0;
         }},
        {"row image short", [](RecordLayout&, SqlResult& x) { x.rows[0].record.pop_back(); }},
        {"row image long", [](RecordLayout&, SqlResult& x) { x.rows[0].record += 'r'; }},
    };
    for (const Case& c : cases) {
        SqlResult x;
        x.returnsRows = true;
        x.rows = {Position{false, false, 1, true, std::string(30, 'r'), {}},
                  Position{false, true, 0, false, "", {}}};
        RecordLayout layout = sampleLayout();
        c.spoil(layout, x);
        x.cursor = sampleCursor(layout);
        LayoutSlots sent, received;
        AnswerContext context{&received, 0};
        SqlResult back;
        EXPECT_EQ(decodeAnswerBody<Op::ExecuteSql>(encodeAnswerBody<Op::ExecuteSql>(x, sent), &back,
                                                   context),
                  &c == &cases[0])
            << c.what;
        // A refused layout is not kept for later answers to name.
        EXPECT_EQ(received.find(0) != nullptr,
                  &c == &cases[0] || std::string(c.what).starts_with("row"))
            << c.what;
    }
}

// The lock search asks the same procedure for every locked record: its layout goes whole
// once, then by its slot, until layouts enough to reuse every slot have gone since.
TEST(ProtocolLayouts, ALayoutSentWholeOnceIsThenNamedByItsSlot) {
    LayoutSlots sent, received;
    auto send = [&](const CursorInfo& cursor) {
        Writer w;
        encode(w, cursor, sent);
        return w.take();
    };
    auto take = [&](const std::string& message, LayoutSlots& slots, bool* done) {
        Reader r(message);
        CursorInfo back;
        decode(r, back, slots);
        *done = r.done();
        return back.layout;
    };
    const CursorInfo owner = sampleCursor();
    const std::string first = send(owner), second = send(owner);
    EXPECT_LT(second.size() + 60, first.size());  // no columns, no blank record
    bool done = false;
    SharedLayout kept = take(first, received, &done);
    ASSERT_TRUE(done);
    EXPECT_EQ(take(second, received, &done), kept);  // the client's copy, shared
    EXPECT_TRUE(done);
    EXPECT_EQ(kept->columns[1].offset, 5u);

    // A slot the client does not hold is refused, not read as some other layout.
    LayoutSlots fresh;
    take(second, fresh, &done);
    EXPECT_FALSE(done);

    for (int i = 0; i < LayoutSlots::kSlots; ++i) {
        RecordLayout other = sampleLayout();
        other.columns[0].name = "Autre" + std::to_string(i);
        take(send(sampleCursor(other)), received, &done);
        ASSERT_TRUE(done);
    }
    const std::string again = send(owner);
    EXPECT_EQ(again.size(), first.size());
    SharedLayout renewed = take(again, received, &done);
    EXPECT_TRUE(done);
    EXPECT_EQ(renewed->columns[0].name, "TableName");
}

TEST(ProtocolRefusal, EveryTruncationOfAnSqlResultIsRefused) {
    LayoutSlots sent;
    const std::string whole = encodeAnswerBody<Op::ExecuteSql>(sampleResult(), sent);
    for (size_t n = 0; n < whole.size(); ++n) {
        LayoutSlots received;
        AnswerContext context{&received, 0};
        SqlResult back;
        EXPECT_FALSE(decodeAnswerBody<Op::ExecuteSql>(whole.substr(0, n), &back, context))
            << "cut at " << n << " of " << whole.size();
    }
}

TEST(ProtocolRefusal, MalformedPayloadsAreRefused) {
    const std::string good = encoded(std::vector<OpRequest>{{Op::Ping, 0, "hello"}});
    struct Case {
        const char* what;
        std::string payload;
    } cases[] = {
        {"empty", ""},
        {"truncated count", good.substr(0, 2)},
        {"truncated argument", good.substr(0, good.size() - 1)},
        {"trailing byte", good + "x"},
        {"forged op count", std::string("\xff\xff\xff\x7f", 4) + good.substr(4)},
        {"forged argument length", good.substr(0, 7) + std::string("\xff\xff\xff\xff", 4)},
    };
    for (const Case& c : cases) {
        std::vector<OpRequest> ops;
        EXPECT_FALSE(decodeWhole(c.payload, &ops)) << c.what;
        std::vector<OpResult> results;
        EXPECT_FALSE(decodeWhole(c.payload, &results)) << c.what;
    }
    Value value;
    EXPECT_FALSE(decodeWhole(std::string("\x09", 1), &value)) << "unknown value kind";
    ColumnWrite write;
    EXPECT_FALSE(decodeWhole(std::string("\x01\x00\x03\x00\x00\x00\x00", 7), &write))
        << "unknown write kind";
    bool flag = false;
    EXPECT_FALSE(decodeWhole(std::string("\x02", 1), &flag)) << "boolean other than 0 or 1";
}

// A frame as writeFrame sends it: the header, then the payload.
std::string frameOf(std::string_view payload) {
    return frameHeader(static_cast<uint32_t>(payload.size())) + std::string(payload);
}

TEST(ProtocolFrames, SocketReadsWholeFramesAndReportsCutsAndSilence) {
    int sv[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
    std::string payload(100000, 'x');
    ASSERT_EQ(writeFrame(sv[0], payload, 1000), IoResult::Ok);
    FrameReader reader;
    std::string_view got;
    ASSERT_EQ(reader.read(sv[1], &got, 1000, 1000), IoResult::Ok);
    EXPECT_EQ(got, payload);

    EXPECT_EQ(reader.read(sv[1], &got, 50, 50), IoResult::Timeout) << "silent peer";

    std::string cut = frameOf("abcdef").substr(0, 10);
    ASSERT_EQ(::write(sv[0], cut.data(), cut.size()), static_cast<ssize_t>(cut.size()));
    EXPECT_EQ(FrameReader().read(sv[1], &got, 1000, 50), IoResult::Timeout) << "frame cut short";

    ::close(sv[0]);
    // The cut frame's reader is given up; the socket's end is heard by a new one.
    EXPECT_EQ(FrameReader().read(sv[1], &got, 1000, 1000), IoResult::Closed);
    ::close(sv[1]);
}

// Frames larger than the socket's buffer go out in several sends, each resuming where the
// last stopped.
TEST(ProtocolFrames, FramesOfEverySizeArriveWholeThroughASmallBuffer) {
    int sv[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
    int small = 4096;
    ::setsockopt(sv[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    ::setsockopt(sv[1], SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    for (size_t size : {size_t{0}, size_t{1}, size_t{5000}, size_t{3} << 20}) {
        std::string payload(size, '\0');
        for (size_t i = 0; i < size; ++i) payload[i] = static_cast<char>(i * 7 + i / 251);
        IoResult written = IoResult::Error;
        std::thread writer([&] { written = writeFrame(sv[0], payload, 2000); });
        FrameReader reader;
        std::string_view got;
        EXPECT_EQ(reader.read(sv[1], &got, 2000, 2000), IoResult::Ok) << size;
        writer.join();
        EXPECT_EQ(written, IoResult::Ok) << size;
        EXPECT_TRUE(got == payload) << size;
    }
    ::close(sv[1]);
    EXPECT_EQ(writeFrame(sv[0], "x", 1000), IoResult::Closed) << "peer gone";
    ::close(sv[0]);
}

// A FrameReader returns frames sent together one by one, whole and in order, whatever the
// pieces they come in; it tells a clean end from a frame cut short, and refuses strangers.
TEST(ProtocolFrames, AReaderSplitsWhatComesIntoFrames) {
    const std::string big(100000, 'g');
    const std::string together = frameOf("") + frameOf("un") + frameOf(big) + frameOf("deux");
    struct Case {
        const char* what;
        std::vector<std::string> pieces;  // written one after another, 5 ms apart
        std::vector<std::string> frames;  // then read
        IoResult last;                    // the read after them, the writer gone
    } cases[] = {
        {"frames sent together", {together}, {"", "un", big, "deux"}, IoResult::Closed},
        {"a header in pieces",
         {together.substr(0, 3), together.substr(3, 10), together.substr(13)},
         {"", "un", big, "deux"},
         IoResult::Closed},
        {"cut in the payload", {frameOf("abcdef").substr(0, 10)}, {}, IoResult::Malformed},
        {"cut in the header",
         {frameOf("un") + frameOf("x").substr(0, 5)},
         {"un"},
         IoResult::Malformed},
        {"a stranger", {"GET / HTTP/1.0\r\n\r\n"}, {}, IoResult::Malformed},
        {"a length above the limit",
         {frameOf("").substr(0, 4) + std::string("\x01\x00\x00\x04", 4)},
         {},
         IoResult::Malformed},
    };
    for (const Case& c : cases) {
        int sv[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
        std::thread writer([&] {
            for (const std::string& piece : c.pieces) {
                for (size_t at = 0; at < piece.size();) {
                    ssize_t n = ::write(sv[0], piece.data() + at, piece.size() - at);
                    if (n <= 0) break;
                    at += static_cast<size_t>(n);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            ::close(sv[0]);
        });
        FrameReader reader;
        std::string_view got;
        for (const std::string& frame : c.frames) {
            ASSERT_EQ(reader.read(sv[1], &got, 1000, 1000), IoResult::Ok) << c.what;
            EXPECT_TRUE(got == frame) << c.what << ": " << frame.size() << " bytes";
        }
        EXPECT_EQ(reader.read(sv[1], &got, 1000, 1000), c.last) << c.what;
        writer.join();
        ::close(sv[1]);
    }
}

TEST(ProtocolFrames, ReadersSpinWithinTheirLimitThenSleepUntilTheFrameComes) {
    int a[2], b[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, a), 0);
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, b), 0);
    std::atomic<int> spinners{0};
    const SpinPolicy spin{20000, &spinners, 1};  // 20 ms: longer than the peers' delay below
    std::atomic<bool> reading{true};
    int mostSpinning = 0;
    std::thread sampler([&] {
        while (reading) mostSpinning = std::max(mostSpinning, spinners.load());
    });
    IoResult ra = IoResult::Error, rb = IoResult::Error;
    FrameReader fa, fb;
    std::string_view ga, gb;
    std::thread readerA([&] { ra = fa.read(a[1], &ga, 1000, 1000, spin); });
    std::thread readerB([&] { rb = fb.read(b[1], &gb, 1000, 1000, spin); });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(writeFrame(a[0], "un", 1000), IoResult::Ok);
    ASSERT_EQ(writeFrame(b[0], "deux", 1000), IoResult::Ok);
    readerA.join();
    readerB.join();
    EXPECT_EQ(ra, IoResult::Ok);
    EXPECT_EQ(ga, "un");
    EXPECT_EQ(rb, IoResult::Ok);
    EXPECT_EQ(gb, "deux");

    // A frame that comes after the spin is still read; a peer that closes is heard at once.
    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        writeFrame(a[0], "tard", 1000);
        ::close(b[0]);
    });
    EXPECT_EQ(fa.read(a[1], &ga, 1000, 1000, spin), IoResult::Ok);
    EXPECT_EQ(ga, "tard");
    EXPECT_EQ(fb.read(b[1], &gb, 1000, 1000, spin), IoResult::Closed);
    late.join();
    reading = false;
    sampler.join();
    EXPECT_EQ(mostSpinning, 1) << "one spinner at most";
    EXPECT_EQ(spinners.load(), 0);
    for (int fd : {a[0], a[1], b[1]}) ::close(fd);
}

}  // namespace
}  // namespace engine::protocol
