// operations.cpp: the answers that carry descriptions and rows.
#include "engine/protocol/operations.h"

namespace engine::protocol {

void encodeAnswer(Writer& w, const Position& v, LayoutSlots&) {
    encode(w, v);
}

void decodeAnswer(Reader& r, Position& v, AnswerContext& context) {
    decode(r, v, context.recordLength);
}

void encodeAnswer(Writer& w, const std::vector<Position>& v, LayoutSlots&) {
    encode(w, v);
}

void decodeAnswer(Reader& r, std::vector<Position>& v, AnswerContext& context) {
    decode(r, v, context.recordLength);
}

void encodeAnswer(Writer& w, const Moved& v, LayoutSlots&) {
    encode(w, v.position);
    w.boolean(v.around.reachedBof);
    encode(w, v.around.before);
    w.boolean(v.around.reachedEof);
    encode(w, v.around.after);
}

void decodeAnswer(Reader& r, Moved& v, AnswerContext& context) {
    decode(r, v.position, context.recordLength);
    v.around.reachedBof = r.boolean();
    decode(r, v.around.before, context.recordLength);
    v.around.reachedEof = r.boolean();
    decode(r, v.around.after, context.recordLength);
}

void encodeAnswer(Writer& w, const Found& v, LayoutSlots&) {
    w.boolean(v.found);
    encode(w, v.position);
}

void decodeAnswer(Reader& r, Found& v, AnswerContext& context) {
    v.found = r.boolean();
    decode(r, v.position, context.recordLength);
}

void encodeAnswer(Writer& w, const OpenedTable& v, LayoutSlots& sent) {
    encode(w, v.cursor, sent);
    encode(w, v.position);
}

void decodeAnswer(Reader& r, OpenedTable& v, AnswerContext& context) {
    decode(r, v.cursor, *context.layouts);
    decode(r, v.position, v.cursor.recordLength());
}

void encodeAnswer(Writer& w, const SqlResult& v, LayoutSlots& sent) {
    w.boolean(v.returnsRows);
    w.i64(v.rowsAffected);
    w.u32(v.recordCount);
    if (!v.returnsRows) return;
    encode(w, v.cursor, sent);
    encode(w, v.rows);
}

void decodeAnswer(Reader& r, SqlResult& v, AnswerContext& context) {
    v.returnsRows = r.boolean();
    v.rowsAffected = r.i64();
    v.recordCount = r.u32();
    if (!v.returnsRows) return;
    decode(r, v.cursor, *context.layouts);
    decode(r, v.rows, v.cursor.recordLength());
}

}  // namespace engine::protocol
