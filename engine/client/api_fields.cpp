// api_fields.cpp: reading the current record, setting columns, SQL parameters and key
// segments, writing records, raw keys and seeks, and date conversions.
//
// Reads decode the record image the client holds. Column setters change a pending image
// (starting an edit of the current row, or filling an appended one) and note each column
// written; AdsWriteRecord sends those columns in one request.
#include <cstring>

#include "codepage/cp1252.h"
#include "engine/client/client_cursor.h"
#include "engine/client/field_text.h"
#include "engine/record/raw_key.h"
#include "engine/record/record.h"
#include "engine/record/record_text.h"

using namespace engine;
using namespace engine::client;
using protocol::Op;

namespace {

// What a value setter gives: bytes as AdsSetField/Raw/W give them, a typed value, or the
// empty or null marks.
struct Input {
    enum class How { Bytes, RawBytes, Value, Empty, Null } how = How::Bytes;
    std::string bytes;  // Bytes, RawBytes: 8-bit text or raw; wide setters give UTF-16 bytes
    bool wide = false;  // bytes are UTF-16 code units
    Value value;
};

std::string wideBytes(const std::u16string& s) {
    return std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2);
}

bool isWideColumn(const ColumnDef& c) {
    return c.type == ColumnType::NChar || c.type == ColumnType::NVarchar ||
           c.type == ColumnType::NMemo;
}

// Bytes as the column takes them: wide text for wide columns, 8-bit text for the others.
std::string bytesForColumn(const ColumnDef& c, const Input& in) {
    if (in.wide == isWideColumn(c)) return in.bytes;
    return in.wide ? cp1252::fromUtf16(bytesAsWide(in.bytes))
                   : wideBytes(cp1252::toUtf16(in.bytes));
}

// A statement parameter from a setter's input.
Value paramValue(const Input& in) {
    switch (in.how) {
        case Input::How::Value:
            return in.value;
        case Input::How::Empty:
        case Input::How::Null:
            return Value::null();
        case Input::How::RawBytes:
            return Value::ofBinary(in.bytes);
        case Input::How::Bytes:
            return Value::ofString(in.wide ? cp1252::fromUtf16(bytesAsWide(in.bytes)) : in.bytes);
    }
    return Value::null();
}

UNSIGNED32 setParam(StatementObj& s, ADSFIELDID field, const Input& in) {
    if (!field) return fail(AE_INVALID_ARGUMENT, "No parameter given.");
    SqlParam p;
    if (ADS_IS_FIELD_NUMBER(field)) {
        uintptr_t n = reinterpret_cast<uintptr_t>(field);
        if (n == 0) return fail(AE_INVALID_ARGUMENT, "Parameter numbers start at 1.");
        p.number = static_cast<uint16_t>(n);
    } else {
        p.name = field[0] == ':' ? field + 1 : field;
    }
    p.value = paramValue(in);
    for (SqlParam& q : s.request.params) {
        if (q.number == p.number && record::equalsNoCase(q.name, p.name)) {
            q = std::move(p);
            return AE_SUCCESS;
        }
    }
    s.request.params.push_back(std::move(p));
    return AE_SUCCESS;
}

UNSIGNED32 setKeySegment(IndexObj& x, TableObj& t, ADSFIELDID field, const Input& in) {
    int col = 0;
    const UNSIGNED32 rc = findColumn(t.info, field, &col);
    if (rc != AE_SUCCESS) return rc;
    const ColumnDef& c = t.info.columns()[col];
    for (size_t i = 0; i < x.info.segments.size(); ++i) {
        if (!record::equalsNoCase(x.info.segments[i], c.name)) continue;
        if (in.how == Input::How::Value || in.how == Input::How::Empty ||
            in.how == Input::How::Null) {
            return fail(AE_INVALID_ARGUMENT, "Key segments take bytes (AdsSetField, W or Raw).");
        }
        x.keyParts[static_cast<uint16_t>(i)] =
            in.how == Input::How::RawBytes ? in.bytes : bytesForColumn(c, in);
        return AE_SUCCESS;
    }
    return fail(AE_INVALID_ARGUMENT,
                "Column \"" + c.name + "\" is not a segment of index \"" + x.info.name + "\".");
}

UNSIGNED32 setBlob(TableObj& t, uint16_t col, const ColumnDef& c, const Input& in) {
    ColumnWrite w{col, ColumnWrite::Kind::Bytes, {}};
    if (in.how == Input::How::Null) w.kind = ColumnWrite::Kind::Null;
    if (in.how == Input::How::Empty) w.kind = ColumnWrite::Kind::Empty;
    if (in.how == Input::How::Value) {
        w.bytes = in.value.kind == Value::Kind::String || in.value.kind == Value::Kind::Binary
                      ? in.value.text
                      : std::string();
        if (c.type == ColumnType::NMemo) w.bytes = wideBytes(cp1252::toUtf16(w.bytes));
    } else if (w.kind == ColumnWrite::Kind::Bytes) {
        w.bytes = in.how == Input::How::RawBytes ? in.bytes : bytesForColumn(c, in);
    }
    uint8_t* cell = reinterpret_cast<uint8_t*>(t.pending.data()) + c.offset;
    bool hasContent = w.kind == ColumnWrite::Kind::Bytes && !w.bytes.empty();
    record::putU32(cell, hasContent ? 0xFFFFFFFFu : 0);
    record::putU32(cell + 4, static_cast<uint32_t>(hasContent ? w.bytes.size() : 0));
    t.pendingBlobs[col] = w.bytes;
    t.writes[col] = std::move(w);
    return AE_SUCCESS;
}

// Notes a column the client encoded itself, as the bytes that write it on the server.
void noteEncoded(TableObj& t, uint16_t index, const ColumnDef& c) {
    std::string bytes;
    bool present = columnBytes(c, reinterpret_cast<const uint8_t*>(t.pending.data()), &bytes);
    t.writes[index] = {index, present ? ColumnWrite::Kind::Bytes : ColumnWrite::Kind::Null,
                       std::move(bytes)};
}

UNSIGNED32 setColumn(TableObj& t, ADSFIELDID field, const Input& in) {
    int col = 0;
    UNSIGNED32 rc = findColumn(t.info, field, &col);
    if (rc != AE_SUCCESS) return rc;
    rc = beginEdit(t);
    if (rc != AE_SUCCESS) return rc;
    const ColumnDef& c = t.info.columns()[col];
    uint16_t index = static_cast<uint16_t>(col);
    if (record::isBlobType(c.type)) return setBlob(t, index, c, in);
    uint8_t* image = reinterpret_cast<uint8_t*>(t.pending.data());
    std::string before(t.pending);
    Status st;
    switch (in.how) {
        case Input::How::Empty:
        case Input::How::Null:
            record::writeNull(c, image);
            t.writes[index] = {
                index,
                in.how == Input::How::Null ? ColumnWrite::Kind::Null : ColumnWrite::Kind::Empty,
                {}};
            return AE_SUCCESS;
        case Input::How::RawBytes:
        case Input::How::Bytes: {
            if (in.how == Input::How::RawBytes || takesBytes(c)) {
                std::string bytes =
                    in.how == Input::How::RawBytes ? in.bytes : bytesForColumn(c, in);
                st = record::writeColumnBytes(c, bytes, image);
                if (st.ok()) t.writes[index] = {index, ColumnWrite::Kind::Bytes, std::move(bytes)};
                break;
            }
            Value v;
            st = parseFieldText(c, in.wide ? cp1252::fromUtf16(bytesAsWide(in.bytes)) : in.bytes,
                                &v);
            if (st.ok()) st = record::encodeValue(c, v, image);
            if (st.ok()) noteEncoded(t, index, c);
            break;
        }
        case Input::How::Value:
            st = record::encodeValue(c, in.value, image);
            if (st.ok()) noteEncoded(t, index, c);
            break;
    }
    if (!st.ok()) {
        t.pending = std::move(before);
        return fail(st);
    }
    return AE_SUCCESS;
}

// Every setter: a statement binds a parameter, an index order sets a key segment, a
// table or cursor sets a column of its pending record.
UNSIGNED32 setAny(ADSHANDLE h, ADSFIELDID field, const Input& in) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        Object* o = findObject(h);
        if (o && o->kind == Kind::Statement)
            return setParam(*static_cast<StatementObj*>(o), field, in);
        if (o && o->kind == Kind::Index) {
            auto* x = static_cast<IndexObj*>(o);
            TableObj* t = findAs<TableObj>(x->table, Kind::Table);
            return t ? setKeySegment(*x, *t, field, in) : badHandle(h);
        }
        if (o && o->kind == Kind::Table) return setColumn(*static_cast<TableObj*>(o), field, in);
        return badHandle(h);
    });
}

Input bytesInput(const void* data, size_t n, bool raw = false, bool wide = false) {
    Input in;
    in.how = raw ? Input::How::RawBytes : Input::How::Bytes;
    in.wide = wide;
    if (data) in.bytes.assign(static_cast<const char*>(data), n);
    return in;
}

Input valueInput(Value v) {
    Input in;
    in.how = Input::How::Value;
    in.value = std::move(v);
    return in;
}

// Runs `body` with the column and the image a field read looks at, and for a blob column
// its content (nullptr for any other column).
template <typename F>
UNSIGNED32 withField(ADSHANDLE h, ADSFIELDID field, F&& body) {
    return withColumn(h, field, [&](TableObj& t, const ColumnDef& c) -> UNSIGNED32 {
        std::string_view image;
        const UNSIGNED32 rc = currentImage(t, &image);
        if (rc != AE_SUCCESS) return rc;
        const std::string* blob = nullptr;  // only blob columns keep content apart
        if (record::isBlobType(c.type)) {
            const auto column = static_cast<uint16_t>(&c - t.info.columns().data());
            if (blobDamaged(t, column)) {
                return fail(AE_INTERNAL_ERROR,
                            "The value of column \"" + c.name +
                                "\" is damaged in the memo file of this record.");
            }
            blob = blobContent(t, column);
        }
        return body(t, c, reinterpret_cast<const uint8_t*>(image.data()), blob);
    });
}

template <typename Char>
std::basic_string_view<Char> trimmed(std::basic_string_view<Char> s, UNSIGNED16 option) {
    if (option & ADS_RTRIM) s = s.substr(0, s.find_last_not_of(Char(' ')) + 1);
    if (option & ADS_LTRIM) s.remove_prefix(std::min(s.find_first_not_of(Char(' ')), s.size()));
    return s;
}

uint32_t crc32(std::string_view data) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

UNSIGNED32 buildKey(ADSHANDLE hIndex, UNSIGNED8* pucKey, UNSIGNED16* pusKeyLen, bool padAll) {
    return withIndex(hIndex, [&](IndexObj& x, TableObj& t) -> UNSIGNED32 {
        if (!pusKeyLen) return fail(AE_INVALID_ARGUMENT, "Null key length argument.");
        std::string key;
        for (size_t i = 0; i < x.info.segments.size(); ++i) {
            auto part = x.keyParts.find(static_cast<uint16_t>(i));
            if (part == x.keyParts.end()) break;  // a partial key ends at the first gap
            int col = 0;
            const UNSIGNED32 rc = findColumn(t.info, x.info.segments[i].c_str(), &col);
            if (rc != AE_SUCCESS) return rc;
            bool last = !x.keyParts.count(static_cast<uint16_t>(i + 1));
            Status st = record::appendKeySegmentFromBytes(t.info.columns()[col], part->second,
                                                          padAll || !last, key);
            if (!st.ok()) return fail(st);
        }
        if (!pucKey || key.size() > *pusKeyLen) {
            *pusKeyLen = static_cast<UNSIGNED16>(key.size());
            return fail(AE_INSUFFICIENT_BUFFER,
                        "The key needs " + std::to_string(key.size()) + " bytes.");
        }
        std::memcpy(pucKey, key.data(), key.size());
        *pusKeyLen = static_cast<UNSIGNED16>(key.size());
        return AE_SUCCESS;
    });
}

}  // namespace

extern "C" {

// ---- Reading ----------------------------------------------------------------------------

ADSAPI AdsGetRecord(ADSHANDLE hObj, UNSIGNED8* pucRec, UNSIGNED32* pulLength) {
    return withTable(hObj, [=](TableObj& t) { return copyRecord(t, pucRec, pulLength); });
}

ADSAPI AdsGetField(ADSHANDLE hObj, ADSFIELDID pucFld, UNSIGNED8* pucBuf, UNSIGNED32* pulLen,
                   UNSIGNED16 usOption) {
    return withField(
        hObj, pucFld,
        [&](TableObj&, const ColumnDef& c, const uint8_t* image, const std::string* blob) {
            const std::string text = fieldText(c, image, blob);
            return copyText(trimmed(std::string_view(text), usOption),
                            reinterpret_cast<char*>(pucBuf), pulLen);
        });
}

ADSAPI AdsGetFieldW(ADSHANDLE hObj, ADSFIELDID pucFld, WCHAR16* pwcBuf, UNSIGNED32* pulLen,
                    UNSIGNED16 usOption) {
    return withField(hObj, pucFld,
                     [&](TableObj&, const ColumnDef& c, const uint8_t* image,
                         const std::string* blob) -> UNSIGNED32 {
                         if (!pulLen) return nullLength();
                         std::u16string wide = fieldWideText(c, image, blob);
                         std::u16string_view text = trimmed(std::u16string_view(wide), usOption);
                         if (!pwcBuf || text.size() > *pulLen) {
                             *pulLen = static_cast<UNSIGNED32>(text.size());
                             return fail(AE_INSUFFICIENT_BUFFER,
                                         "The buffer is too small for the value.");
                         }
                         std::memcpy(pwcBuf, text.data(), text.size() * 2);
                         pwcBuf[text.size()] = 0;
                         *pulLen = static_cast<UNSIGNED32>(text.size());
                         return AE_SUCCESS;
                     });
}

ADSAPI AdsIsNull(ADSHANDLE hObj, ADSFIELDID pucFld, UNSIGNED16* pbNull) {
    return withField(
        hObj, pucFld,
        [&](TableObj&, const ColumnDef& c, const uint8_t* image, const std::string* blob) {
            bool isNull = record::isBlobType(c.type) ? blob == nullptr : record::isNull(c, image);
            return put(pbNull, static_cast<UNSIGNED16>(isNull ? 1 : 0));
        });
}

ADSAPI AdsIsEmpty(ADSHANDLE hObj, ADSFIELDID pucFld, UNSIGNED16* pbEmpty) {
    return withField(
        hObj, pucFld,
        [&](TableObj&, const ColumnDef& c, const uint8_t* image, const std::string* blob) {
            bool empty;
            if (record::isBlobType(c.type)) {
                empty = !blob || blob->empty();
            } else if (record::isNull(c, image)) {
                empty = true;
            } else {
                std::string text = fieldText(c, image, blob);
                empty = record::isTextType(c.type) || c.type == ColumnType::NChar ||
                                c.type == ColumnType::NVarchar
                            ? text.find_first_not_of(' ') == std::string::npos
                            : false;
            }
            return put(pbEmpty, static_cast<UNSIGNED16>(empty ? 1 : 0));
        });
}

ADSAPI AdsGetRecordCRC(ADSHANDLE hObj, UNSIGNED32* pulCRC, UNSIGNED32 /*ulOptions*/) {
    return withTable(hObj, [=](TableObj& t) -> UNSIGNED32 {
        std::string_view image;
        const UNSIGNED32 rc = currentImage(t, &image);
        return rc == AE_SUCCESS ? put(pulCRC, crc32(image)) : rc;
    });
}

ADSAPI AdsAccessVfpSystemField(ADSHANDLE hObj, ADSFIELDID, UNSIGNED8*, UNSIGNED32*, UNSIGNED16) {
    return withTable(hObj, [=](TableObj& t) -> UNSIGNED32 {
        return t.info.tableType == ADS_VFP
                   ? fail(AE_INVALID_ARGUMENT, "Null flags of VFP tables are not kept.")
                   : fail(AE_INVALID_ARGUMENT, "Only VFP tables have a per-column null flag.");
    });
}

ADSAPI AdsConvertStringToJulian(const char* pucDate, UNSIGNED16 usLen, double* pdJulian) {
    return guarded([&]() -> UNSIGNED32 {
        if (!pucDate || !pdJulian) return nullArgument();
        std::string_view text(pucDate, strnlen(pucDate, usLen));
        int32_t jd = 0;
        if (!julianFromText(text, &jd)) {
            return fail(AE_INVALID_ARGUMENT,
                        "\"" + std::string(text) + "\" is not a CCYYMMDD date.");
        }
        *pdJulian = jd;
        return AE_SUCCESS;
    });
}

ADSAPI AdsConvertJulianToString(double dJulian, char* pucDate, UNSIGNED16* pusLen) {
    return guarded([&]() -> UNSIGNED32 {
        if (!(dJulian >= 0 && dJulian < 5373484)) {  // beyond year 9999
            return fail(AE_INVALID_ARGUMENT, "The Julian day is out of range.");
        }
        return copyText(textFromJulian(static_cast<int32_t>(dJulian)), pucDate, pusLen);
    });
}

// ---- Setting columns, parameters and key segments -------------------------------------

ADSAPI AdsSetField(ADSHANDLE hObj, ADSFIELDID pucFld, const UNSIGNED8* pucBuf, UNSIGNED32 ulLen) {
    return setAny(hObj, pucFld, bytesInput(pucBuf, ulLen));
}

ADSAPI AdsSetFieldRaw(ADSHANDLE hObj, ADSFIELDID pucFld, const UNSIGNED8* pucBuf,
                      UNSIGNED32 ulLen) {
    return setAny(hObj, pucFld, bytesInput(pucBuf, ulLen, true));
}

ADSAPI AdsSetFieldW(ADSHANDLE hObj, ADSFIELDID pucFld, const WCHAR16* pwcBuf, UNSIGNED32 ulLen) {
    return setAny(hObj, pucFld, bytesInput(pwcBuf, size_t(ulLen) * 2, false, true));
}

ADSAPI AdsSetString(ADSHANDLE hObj, ADSFIELDID pucFld, const char* pucBuf, UNSIGNED32 ulLen) {
    return setAny(hObj, pucFld, bytesInput(pucBuf, ulLen));
}

ADSAPI AdsSetStringW(ADSHANDLE hObj, ADSFIELDID pucFld, const WCHAR16* pwcBuf, UNSIGNED32 ulLen) {
    return setAny(hObj, pucFld, bytesInput(pwcBuf, size_t(ulLen) * 2, false, true));
}

ADSAPI AdsSetEmpty(ADSHANDLE hObj, ADSFIELDID pucFld) {
    Input in;
    in.how = Input::How::Empty;
    return setAny(hObj, pucFld, in);
}

ADSAPI AdsSetNull(ADSHANDLE hObj, ADSFIELDID pucFld) {
    Input in;
    in.how = Input::How::Null;
    return setAny(hObj, pucFld, in);
}

ADSAPI AdsSetLogical(ADSHANDLE hObj, ADSFIELDID pucFld, UNSIGNED16 bValue) {
    return setAny(hObj, pucFld, valueInput(Value::ofLogical(bValue != 0)));
}

ADSAPI AdsSetDouble(ADSHANDLE hObj, ADSFIELDID pucFld, double dValue) {
    return setAny(hObj, pucFld, valueInput(Value::ofDouble(dValue)));
}

ADSAPI AdsSetJulian(ADSHANDLE hObj, ADSFIELDID pucFld, SIGNED32 lJulian) {
    return setAny(hObj, pucFld, valueInput(Value::ofDate(lJulian)));
}

ADSAPI AdsSetMilliseconds(ADSHANDLE hObj, ADSFIELDID pucFld, SIGNED32 lMilliseconds) {
    return setAny(hObj, pucFld, valueInput(Value::ofTime(lMilliseconds)));
}

ADSAPI AdsSetTimeStampRaw(ADSHANDLE hObj, ADSFIELDID pucFld, const UNSIGNED8* pucBuf,
                          UNSIGNED32 ulLen) {
    if (!pucBuf || ulLen != 8) return fail(AE_INVALID_ARGUMENT, "A raw timestamp is 8 bytes.");
    int32_t julian = static_cast<int32_t>(record::getU32(pucBuf));
    int32_t millis = static_cast<int32_t>(record::getU32(pucBuf + 4));
    return setAny(hObj, pucFld, valueInput(Value::ofTimeStamp(julian, millis)));
}

ADSAPI AdsSetBinary(ADSHANDLE hObj, ADSFIELDID pucFld, UNSIGNED16 /*usBinaryType*/,
                    UNSIGNED32 ulTotalLength, UNSIGNED32 ulOffset, const UNSIGNED8* pucBuf,
                    UNSIGNED32 ulLen) {
    // Only whole values: the data-access layer writes a blob in one piece.
    if (ulOffset != 0 || ulLen != ulTotalLength) {
        return fail(AE_INVALID_ARGUMENT, "Binary values are set in one piece.");
    }
    return setAny(
        hObj, pucFld,
        valueInput(Value::ofBinary(
            pucBuf ? std::string(reinterpret_cast<const char*>(pucBuf), ulLen) : std::string())));
}

// ---- Editing ----------------------------------------------------------------------------

ADSAPI AdsAppendRecord(ADSHANDLE hTable) {
    return withTable(hTable, [=](TableObj& t) -> UNSIGNED32 {
        if (t.isStatic()) return fail(AE_STATIC_VIEW, "A static SQL result cannot be updated.");
        t.appending = true;
        t.editing = false;
        t.pending = t.info.blankRecord();
        t.writes.clear();
        t.pendingBlobs.clear();
        return AE_SUCCESS;
    });
}

ADSAPI AdsWriteRecord(ADSHANDLE hTable) {
    return withTable(hTable, [=](TableObj& t) REQUIRES(gApiMutex) -> UNSIGNED32 {
        if (!t.editing && !t.appending) return AE_SUCCESS;  // nothing pending
        ConnectionObj* c = connectionOf(t);
        if (!c) return AE_INVALID_HANDLE;
        protocol::WriteArgs args{t.info.handle,
                                 {t.appending, t.appending ? 0 : t.editRecord, {}},
                                 t.lastOrder ? t.lastOrder : t.info.handle,
                                 neighboursWanted(t)};
        for (const auto& [column, write] : t.writes) args.request.columns.push_back(write);
        protocol::Moved moved;
        Status st = call<Op::WriteRecord>(*c, args, &moved, t.info.recordLength());
        // A failed write keeps the pending record: a retry writes it, without a new append.
        if (!st.ok()) return fail(st);
        t.editing = t.appending = false;
        t.writes.clear();
        t.pendingBlobs.clear();
        takeMoved(t, args.order, std::move(moved));
        return AE_SUCCESS;
    });
}

ADSAPI AdsCancelUpdate(ADSHANDLE hTable) {
    return withTable(hTable, [=](TableObj& t) -> UNSIGNED32 {
        if (!t.editing && !t.appending) return fail(AE_NO_PENDING_UPDATE, "No update is pending.");
        t.editing = t.appending = false;
        t.writes.clear();
        t.pendingBlobs.clear();
        return AE_SUCCESS;
    });
}

// ---- Raw keys and seeks -----------------------------------------------------------------

ADSAPI AdsInitRawKey(ADSHANDLE hIndex) {
    return withIndex(hIndex, [&](IndexObj& x, TableObj&) -> UNSIGNED32 {
        x.keyParts.clear();
        return AE_SUCCESS;
    });
}

ADSAPI AdsBuildRawKey(ADSHANDLE hIndex, UNSIGNED8* pucKey, UNSIGNED16* pusKeyLen) {
    return buildKey(hIndex, pucKey, pusKeyLen, false);
}

ADSAPI AdsBuildRawKey100(ADSHANDLE hIndex, UNSIGNED8* pucKey, UNSIGNED16* pusKeyLen,
                         UNSIGNED32 ulOptions) {
    return buildKey(hIndex, pucKey, pusKeyLen, (ulOptions & ADS_RAWKEY_FULL) != 0);
}

ADSAPI AdsSeek(ADSHANDLE hIndex, const UNSIGNED8* pucKey, UNSIGNED16 usKeyLen,
               UNSIGNED16 usDataType, UNSIGNED16 usSeekType, UNSIGNED16* pbFound) {
    return withIndex(hIndex, [&](IndexObj& x, TableObj& t) REQUIRES(gApiMutex) -> UNSIGNED32 {
        if (!pbFound || (!pucKey && usKeyLen)) return nullArgument();
        if (usDataType != ADS_RAWKEY)
            return fail(AE_INVALID_ARGUMENT, "Only raw keys can be sought.");
        if (t.isStatic()) return fail(AE_STATIC_VIEW, "A static SQL result has no index to seek.");
        ConnectionObj* c = connectionOf(t);
        if (!c) return AE_INVALID_HANDLE;
        const std::string key(reinterpret_cast<const char*>(pucKey), usKeyLen);
        protocol::Found found;
        Status st =
            call<Op::Seek>(*c, {x.info.handle, key, usSeekType}, &found, t.info.recordLength());
        if (!st.ok()) return fail(st);
        *pbFound = found.found ? 1 : 0;
        setPosition(t, std::move(found.position));
        return AE_SUCCESS;
    });
}

}  // extern "C"
