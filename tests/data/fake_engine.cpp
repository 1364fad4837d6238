// fake_engine.cpp: the recording engine double: call log, scripted failures, tables.
#include "fake_engine.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

FakeEngine* gCurrent = nullptr;
const std::string AMP = "&";
FakeEngine& F() {
    return *gCurrent;
}

std::string str(const std::string& s) {
    return s;
}
std::string str(const char* s) {
    if (!s) return "null";
    if (ADS_IS_FIELD_NUMBER(s)) return "#" + std::to_string(reinterpret_cast<uintptr_t>(s));
    return "\"" + std::string(s) + "\"";
}
std::string str(double d) {
    return std::to_string(d);
}
template <typename T>
std::string str(T v) requires std::is_integral_v<T> {
    return std::to_string(v);
}
template <typename T>
std::string str(T*) requires(!std::is_same_v<std::remove_cv_t<T>, char>) {
    return "&";
}

template <typename A, typename... R>
std::string join(const A& a, const R&... r) {
    std::string s = str(a);
    ((s += "," + str(r)), ...);
    return s;
}

#define ENTER(fn, ...) \
    if (auto rc_ = F().enter(#fn, join(__VA_ARGS__))) return *rc_

std::string utf16ToString(const WCHAR16* w, size_t n = std::string::npos) {
    std::string s;
    for (size_t i = 0; i < n && w[i]; ++i) s += w[i] < 128 ? char(w[i]) : '?';
    return s;
}

// Generic recording stub for the functions the model does not need.
template <typename Sig, const char* Name>
struct Stub;
template <typename... A, const char* Name>
struct Stub<UNSIGNED32 (*)(A...), Name> {
    static UNSIGNED32 fn(A... a) {
        if (auto rc = F().enter(Name, join(a...))) return *rc;
        return AE_SUCCESS;
    }
};

using Handle = FakeEngine::Handle;

Handle handleOfType(int type) {
    Handle h;
    h.type = type;
    return h;
}
using Table = FakeEngine::Table;
using Column = FakeEngine::Column;

const Column* column(const Table& t, ADSFIELDID f) {
    if (ADS_IS_FIELD_NUMBER(f)) {
        auto n = reinterpret_cast<uintptr_t>(f);
        return n >= 1 && n <= t.columns.size() ? &t.columns[n - 1] : nullptr;
    }
    return t.find(f);
}

bool equalNoCase(std::string a, std::string b) {
    for (char& c : a) c = char(toupper(c));
    for (char& c : b) c = char(toupper(c));
    return a == b;
}

// Parses `"a"+ Chr(34) + "b"` into its text.
std::string literal(const std::string& s) {
    std::string out;
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == '"') {
            size_t close = s.find('"', i + 1);
            out += s.substr(i + 1, close - i - 1);
            i = close + 1;
        } else if (s.compare(i, 4, "Chr(") == 0) {
            size_t close = s.find(')', i);
            out += char(std::stoi(s.substr(i + 4, close - i - 4)));
            i = close + 1;
        } else {
            ++i;
        }
    }
    return out;
}

// Evaluates the expressions Locate builds: terms joined by " AND ".
bool evaluate(const Table& t, const QByteArray& row, const std::string& expr, bool exact) {
    size_t start = 0;
    while (start <= expr.size()) {
        size_t end = expr.find(") AND (", start);
        std::string term =
            expr.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start);
        start = end == std::string::npos ? expr.size() + 1 : end + 6;
        term = term.substr(1, term.size() - 2);
        if (term.rfind("empty(", 0) == 0) {
            const Column* c = t.find(term.substr(6, term.size() - 7));
            if (!c || !std::all_of(row.begin() + c->offset, row.begin() + c->offset + c->length,
                                   [](char b) { return b == 0; }))
                return false;
            continue;
        }
        bool upper = term.rfind("UPPER(", 0) == 0;
        size_t eq = term.find('=');
        std::string name = term.substr(0, eq), value = term.substr(eq + 1);
        if (upper) {
            name = name.substr(6, name.size() - 7);
            value = value.substr(6, value.size() - 7);
        }
        const Column* c = t.find(name);
        if (!c) throw std::runtime_error("unknown column " + name);
        if (c->type == ADS_INTEGER) {
            if (t.getInt(row, name) != std::stoi(value)) return false;
            continue;
        }
        std::string have = t.getString(row, name), want = literal(value);
        if (upper || c->type == ADS_CISTRING) {
            for (char& ch : have) ch = char(toupper(ch));
            for (char& ch : want) ch = char(toupper(ch));
        }
        if (exact ? have != want : have.compare(0, want.size(), want) != 0) return false;
    }
    return true;
}

Handle* tableHandleOf(ADSHANDLE h) {
    Handle* x = F().handle(h);
    if (x && x->type == ADS_INDEX_ORDER) return F().handle(x->owner);
    return x;
}

bool visible(Handle& th, int32_t recno) {
    const QByteArray& row = th.table->rows[size_t(recno - 1)];
    if (!th.aof.empty() && !evaluate(*th.table, row, th.aof, th.exact)) return false;
    if (!th.filter.empty() && !evaluate(*th.table, row, th.filter, th.exact)) return false;
    return true;
}

// The visible record numbers in the order of `h` (its index, or record order).
std::vector<int32_t> order(ADSHANDLE h) {
    Handle* x = F().handle(h);
    Handle* th = tableHandleOf(h);
    std::vector<int32_t> out;
    for (int32_t r = 1; r <= int32_t(th->table->rows.size()); ++r)
        if (visible(*th, r)) out.push_back(r);
    if (x->type == ADS_INDEX_ORDER) {
        const auto& idx = th->table->indexes[size_t(x->index)];
        const Table& t = *th->table;
        std::stable_sort(out.begin(), out.end(), [&](int32_t a, int32_t b) {
            for (const std::string& f : idx.fields) {
                std::string x1 = t.getString(t.rows[size_t(a - 1)], f),
                            x2 = t.getString(t.rows[size_t(b - 1)], f);
                if (x1 != x2) return x1 < x2;
            }
            return false;
        });
    }
    return out;
}

// ---- Connections
UNSIGNED32 fConnect(const char* s, void* o, ADSHANDLE* h) {
    ENTER(AdsConnect101, s, o ? AMP : std::string("null"));
    *h = F().newHandle(handleOfType(ADS_CONNECTION));
    return 0;
}
UNSIGNED32 fFindFirst(ADSHANDLE c, const char* mask, char* name, UNSIGNED16* len, ADSHANDLE* find) {
    ENTER(AdsFindFirstTable, c, mask, AMP, *len, AMP);
    if (F().tableNames.empty()) return F().setLastError(AE_NO_TABLE, "no table"), AE_NO_TABLE;
    Handle h = handleOfType(ADS_TABLE);
    h.recno = 1;
    *find = F().newHandle(h);
    std::strcpy(name, F().tableNames[0].c_str());
    return 0;
}
UNSIGNED32 fFindNext(ADSHANDLE c, ADSHANDLE find, char* name, UNSIGNED16* len) {
    ENTER(AdsFindNextTable, c, find, AMP, *len);
    Handle* h = F().handle(find);
    if (size_t(h->recno) >= F().tableNames.size())
        return F().setLastError(AE_NO_TABLE, "no table"), AE_NO_TABLE;
    std::strcpy(name, F().tableNames[size_t(h->recno++)].c_str());
    return 0;
}
UNSIGNED32 fDDGetTableProperty(ADSHANDLE c, const char* t, UNSIGNED16 p, void* buf,
                               UNSIGNED16* len) {
    ENTER(AdsDDGetTableProperty, c, t, p, AMP, *len);
    auto it = F().defaultIndexes.find(t);
    if (it == F().defaultIndexes.end())
        return F().setLastError(AE_PROPERTY_NOT_SET, "none"), AE_PROPERTY_NOT_SET;
    std::strcpy(static_cast<char*>(buf), it->second.c_str());
    return 0;
}
UNSIGNED32 fGetLastError(UNSIGNED32* code, char* buf, UNSIGNED16* len) {
    ENTER(AdsGetLastError, AMP, AMP, *len);
    // As the engine does: a text longer than the buffer is not written, its length is.
    *code = F().lastCode;
    const std::string& t = F().lastText;
    if (t.size() > *len) {
        *len = static_cast<UNSIGNED16>(t.size());
        return AE_INSUFFICIENT_BUFFER;
    }
    std::memcpy(buf, t.c_str(), t.size() + 1);
    *len = static_cast<UNSIGNED16>(t.size());
    return 0;
}
UNSIGNED32 fSetLastError(UNSIGNED32 code, const char* text) {
    ENTER(AdsSetLastError, code, text);
    F().setLastError(code, text ? text : "");
    return 0;
}

// ---- Tables and cursors
UNSIGNED32 fOpenTable(ADSHANDLE c, const char* name, const char* alias, UNSIGNED16 type,
                      UNSIGNED16 ct, UNSIGNED16 lock, UNSIGNED16 rights, UNSIGNED32 opts,
                      const char* coll, ADSHANDLE* h) {
    ENTER(AdsOpenTable90, c, name, alias, type, ct, lock, rights, opts, coll, AMP);
    auto it = F().tables.find(name);
    if (it == F().tables.end())
        return F().setLastError(AE_FILE_NOT_FOUND, "table not found"), AE_FILE_NOT_FOUND;
    Handle x = handleOfType(ADS_TABLE);
    x.table = it->second;
    x.openOptions = opts;
    *h = F().newHandle(x);
    return 0;
}
#define FAKE_TABLE_OF(h)                             \
    Handle* th = tableHandleOf(h);                   \
    if (!th || !th->table) return AE_INVALID_HANDLE; \
    Table& t = *th->table;                           \
    (void)t
UNSIGNED32 fGetHandleType(ADSHANDLE h, UNSIGNED16* type) {
    ENTER(AdsGetHandleType, h, AMP);
    Handle* x = F().handle(h);
    if (!x) return F().setLastError(AE_INVALID_HANDLE, "invalid handle"), AE_INVALID_HANDLE;
    *type = UNSIGNED16(x->type);
    return 0;
}
UNSIGNED32 fGetTableType(ADSHANDLE h, UNSIGNED16* type) {
    ENTER(AdsGetTableType, h, AMP);
    FAKE_TABLE_OF(h);
    *type = t.tableType;
    return 0;
}
UNSIGNED32 fGetTableCharType(ADSHANDLE h, UNSIGNED16* ct) {
    ENTER(AdsGetTableCharType, h, AMP);
    *ct = F().charType;
    return 0;
}
UNSIGNED32 fGetTableOpenOptions(ADSHANDLE h, UNSIGNED32* o) {
    ENTER(AdsGetTableOpenOptions, h, AMP);
    FAKE_TABLE_OF(h);
    *o = t.options | th->openOptions;
    return 0;
}
UNSIGNED32 fGetRecordLength(ADSHANDLE h, UNSIGNED32* len) {
    ENTER(AdsGetRecordLength, h, AMP);
    FAKE_TABLE_OF(h);
    *len = t.recordLength;
    return 0;
}
UNSIGNED32 fGetNumFields(ADSHANDLE h, UNSIGNED16* n) {
    ENTER(AdsGetNumFields, h, AMP);
    FAKE_TABLE_OF(h);
    *n = UNSIGNED16(t.columns.size());
    return 0;
}
UNSIGNED32 fGetFieldName(ADSHANDLE h, UNSIGNED16 n, char* name, UNSIGNED16* len) {
    ENTER(AdsGetFieldName, h, n, AMP, *len);
    FAKE_TABLE_OF(h);
    std::strcpy(name, t.columns[n - 1u].name.c_str());
    return 0;
}
#define FAKE_COLUMN_QUERY(fnName, Out, expr)                                 \
    UNSIGNED32 fnName(ADSHANDLE h, ADSFIELDID f, Out* out) {                 \
        if (auto rc_ = F().enter(#fnName + 1, join(h, f, AMP))) return *rc_; \
        FAKE_TABLE_OF(h);                                                    \
        const Column* c = column(t, f);                                      \
        if (!c) return AE_INVALID_ARGUMENT;                                  \
        *out = static_cast<Out>(expr);                                       \
        return 0;                                                            \
    }
FAKE_COLUMN_QUERY(fAdsGetFieldType, UNSIGNED16, c->type)
FAKE_COLUMN_QUERY(fAdsGetFieldLength, UNSIGNED32, c->length)
FAKE_COLUMN_QUERY(fAdsGetFieldDecimals, UNSIGNED16, c->decimals)
FAKE_COLUMN_QUERY(fAdsGetFieldOffset, UNSIGNED32, c->offset)
FAKE_COLUMN_QUERY(fAdsIsNullable, UNSIGNED16, 1)
UNSIGNED32 fGetColumnPermissions(ADSHANDLE h, UNSIGNED16 n, UNSIGNED8* p) {
    ENTER(AdsGetColumnPermissions, h, n, AMP);
    FAKE_TABLE_OF(h);
    *p = t.columns[n - 1u].permissions;
    return 0;
}

// ---- Navigation
UNSIGNED32 fGotoTop(ADSHANDLE h) {
    ENTER(AdsGotoTop, h);
    FAKE_TABLE_OF(h);
    auto o = order(h);
    th->recno = o.empty() ? -1 : o.front();
    return 0;
}
UNSIGNED32 fGotoBOF(ADSHANDLE h) {
    ENTER(AdsGotoBOF, h);
    FAKE_TABLE_OF(h);
    th->recno = 0;
    return 0;
}
UNSIGNED32 fSkip(ADSHANDLE h, SIGNED32 n) {
    ENTER(AdsSkip, h, n);
    FAKE_TABLE_OF(h);
    auto o = order(h);
    long pos;
    if (th->recno == 0)
        pos = -1;
    else if (th->recno == -1)
        pos = long(o.size());
    else
        pos = long(std::find(o.begin(), o.end(), th->recno) - o.begin());
    pos += n;
    th->recno = pos < 0 ? 0 : pos >= long(o.size()) ? -1 : o[size_t(pos)];
    return 0;
}
UNSIGNED32 fAtEOF(ADSHANDLE h, UNSIGNED16* b) {
    ENTER(AdsAtEOF, h, AMP);
    FAKE_TABLE_OF(h);
    *b = th->recno == -1;
    return 0;
}
UNSIGNED32 fAtBOF(ADSHANDLE h, UNSIGNED16* b) {
    ENTER(AdsAtBOF, h, AMP);
    FAKE_TABLE_OF(h);
    *b = th->recno == 0;
    return 0;
}
UNSIGNED32 fIsRecordVisible(ADSHANDLE h, UNSIGNED16* b) {
    ENTER(AdsIsRecordVisible, h, AMP);
    FAKE_TABLE_OF(h);
    if (th->recno <= 0)
        return F().setLastError(AE_NO_CURRENT_RECORD, "no current record"), AE_NO_CURRENT_RECORD;
    *b = visible(*th, th->recno);
    return 0;
}
UNSIGNED32 fGetRecordNum(ADSHANDLE h, UNSIGNED16 o, UNSIGNED32* n) {
    ENTER(AdsGetRecordNum, h, o, AMP);
    FAKE_TABLE_OF(h);
    *n = th->recno > 0 ? UNSIGNED32(th->recno) : 0;
    return 0;
}
UNSIGNED32 fGetRecordCount(ADSHANDLE h, UNSIGNED16 o, UNSIGNED32* n) {
    ENTER(AdsGetRecordCount, h, o, AMP);
    Handle* x = F().handle(h);
    if (x && x->type == ADS_STATEMENT) {
        if (!F().statementRowCount)
            return F().setLastError(AE_NO_ROW_COUNT, "no row count"), AE_NO_ROW_COUNT;
        *n = *F().statementRowCount;
        return 0;
    }
    FAKE_TABLE_OF(h);
    *n = UNSIGNED32((o & 3) == ADS_RESPECTFILTERS ? order(h).size() : t.rows.size());
    return 0;
}
UNSIGNED32 fGetBookmarkLength(ADSHANDLE h, UNSIGNED32* n) {
    ENTER(AdsGetBookmarkLength, h, AMP);
    *n = 4;
    return 0;
}
UNSIGNED32 fGetBookmark60(ADSHANDLE h, UNSIGNED8* b, UNSIGNED32* len) {
    ENTER(AdsGetBookmark60, h, AMP, *len);
    FAKE_TABLE_OF(h);
    std::memcpy(b, &th->recno, 4);
    return 0;
}
UNSIGNED32 fGetBookmark(ADSHANDLE h, ADSHANDLE* b) {
    ENTER(AdsGetBookmark, h, AMP);
    FAKE_TABLE_OF(h);
    *b = ADSHANDLE(th->recno);
    return 0;
}
UNSIGNED32 fGotoBookmark(ADSHANDLE h, ADSHANDLE b) {
    ENTER(AdsGotoBookmark, h, b);
    FAKE_TABLE_OF(h);
    if (b < 1 || b > t.rows.size())
        return F().setLastError(AE_INVALID_RECORD_NUMBER, "bad record"), AE_INVALID_RECORD_NUMBER;
    th->recno = int32_t(b);
    return 0;
}
UNSIGNED32 fGetRecord(ADSHANDLE h, UNSIGNED8* buf, UNSIGNED32* len) {
    ENTER(AdsGetRecord, h, AMP, *len);
    FAKE_TABLE_OF(h);
    if (th->recno <= 0)
        return F().setLastError(AE_NO_CURRENT_RECORD, "no current record"), AE_NO_CURRENT_RECORD;
    std::memcpy(buf, t.rows[size_t(th->recno - 1)].constData(),
                std::min<size_t>(*len, t.recordLength));
    return 0;
}

// ---- Editing
UNSIGNED32 fClearRecordBuffer(ADSHANDLE h, UNSIGNED8* buf, UNSIGNED32 len) {
    ENTER(AdsClearRecordBuffer, h, AMP, len);
    FAKE_TABLE_OF(h);
    QByteArray blank = t.blankRow();
    std::memcpy(buf, blank.constData(), std::min<size_t>(len, size_t(blank.size())));
    return 0;
}
UNSIGNED32 fAppendRecord(ADSHANDLE h) {
    ENTER(AdsAppendRecord, h);
    FAKE_TABLE_OF(h);
    t.rows.push_back(t.blankRow());
    th->recno = int32_t(t.rows.size());
    return 0;
}
UNSIGNED32 putBytes(ADSHANDLE h, ADSFIELDID f, const UNSIGNED8* p, UNSIGNED32 n, char fill) {
    FAKE_TABLE_OF(h);
    const Column* c = column(t, f);
    if (!c || th->recno <= 0) return AE_INVALID_ARGUMENT;
    char* row = t.rows[size_t(th->recno - 1)].data() + c->offset;
    std::memset(row, fill, c->length);
    if (p) std::memcpy(row, p, std::min(n, c->length));
    return 0;
}
std::string bytesText(const UNSIGNED8* p, UNSIGNED32 n) {
    std::string s;
    for (UNSIGNED32 i = 0; i < n; ++i)
        s += p[i] >= 32 && p[i] < 127 ? char(p[i]) : p[i] == 0 ? '0' : '?';
    while (!s.empty() && (s.back() == ' ' || s.back() == '0')) s.pop_back();
    return s;
}
UNSIGNED32 fSetField(ADSHANDLE h, ADSFIELDID f, const UNSIGNED8* p, UNSIGNED32 n) {
    ENTER(AdsSetField, h, f, "[" + bytesText(p, n) + "]", n);
    if (F().handle(h)->type == ADS_INDEX_ORDER) return 0;
    return putBytes(h, f, p, n, ' ');
}
UNSIGNED32 fSetFieldRaw(ADSHANDLE h, ADSFIELDID f, const UNSIGNED8* p, UNSIGNED32 n) {
    int32_t v = 0;
    if (n == 4) std::memcpy(&v, p, 4);
    ENTER(AdsSetFieldRaw, h, f, n == 4 ? std::to_string(v) : AMP, n);
    if (F().handle(h)->type == ADS_INDEX_ORDER) return 0;
    return putBytes(h, f, p, n, 0);
}
UNSIGNED32 fSetEmpty(ADSHANDLE h, ADSFIELDID f) {
    ENTER(AdsSetEmpty, h, f);
    Handle* x = F().handle(h);
    if (x && x->type == ADS_STATEMENT) return 0;
    return putBytes(h, f, nullptr, 0, 0);
}

// ---- Indexes
UNSIGNED32 fGetNumIndexes(ADSHANDLE h, UNSIGNED16* n) {
    ENTER(AdsGetNumIndexes, h, AMP);
    FAKE_TABLE_OF(h);
    *n = UNSIGNED16(t.indexes.size());
    return 0;
}
ADSHANDLE indexHandle(ADSHANDLE table, int i) {
    Handle x = handleOfType(ADS_INDEX_ORDER);
    x.table = tableHandleOf(table)->table;
    x.owner = table;
    x.index = i;
    return F().newHandle(x);
}
UNSIGNED32 fGetAllIndexes(ADSHANDLE h, ADSHANDLE* out, UNSIGNED16* n) {
    ENTER(AdsGetAllIndexes, h, AMP, *n);
    FAKE_TABLE_OF(h);
    UNSIGNED16 room = *n;
    *n = UNSIGNED16(t.indexes.size());
    for (UNSIGNED16 i = 0; i < room && i < t.indexes.size(); ++i) out[i] = indexHandle(h, i);
    return room < t.indexes.size() ? AE_INSUFFICIENT_BUFFER : 0;
}
UNSIGNED32 fGetIndexHandle(ADSHANDLE h, const char* name, ADSHANDLE* out) {
    ENTER(AdsGetIndexHandle, h, name, AMP);
    FAKE_TABLE_OF(h);
    for (size_t i = 0; i < t.indexes.size(); ++i)
        if (equalNoCase(t.indexes[i].name, name)) return *out = indexHandle(h, int(i)), 0;
    return F().setLastError(AE_INVALID_ARGUMENT, "no such index"), AE_INVALID_ARGUMENT;
}
const FakeEngine::Index* indexOf(ADSHANDLE h) {
    Handle* x = F().handle(h);
    return x && x->type == ADS_INDEX_ORDER ? &x->table->indexes[size_t(x->index)] : nullptr;
}
UNSIGNED32 fGetIndexName(ADSHANDLE h, char* name, UNSIGNED16* len) {
    ENTER(AdsGetIndexName, h, AMP, *len);
    std::strcpy(name, indexOf(h)->name.c_str());
    return 0;
}
UNSIGNED32 fGetNumSegments(ADSHANDLE h, UNSIGNED16* n) {
    ENTER(AdsGetNumSegments, h, AMP);
    *n = UNSIGNED16(indexOf(h)->fields.size());
    return 0;
}
UNSIGNED32 fGetSegmentFieldname(ADSHANDLE h, UNSIGNED16 s, char* name, UNSIGNED16* len) {
    ENTER(AdsGetSegmentFieldname, h, s, AMP, *len);
    std::strcpy(name, indexOf(h)->fields[s - 1u].c_str());
    return 0;
}
UNSIGNED32 fGetScope(ADSHANDLE h, UNSIGNED16 o, UNSIGNED8* b, UNSIGNED16* len) {
    ENTER(AdsGetScope, h, o, AMP, *len);
    (void)b;
    return F().setLastError(AE_NO_SCOPE, "no scope"), AE_NO_SCOPE;
}
UNSIGNED32 fGetIndexCondition(ADSHANDLE h, char* c, UNSIGNED16* len) {
    ENTER(AdsGetIndexCondition, h, AMP, *len);
    c[0] = 0;
    return 0;
}
UNSIGNED32 fSeek(ADSHANDLE h, const UNSIGNED8* k, UNSIGNED16 len, UNSIGNED16 type, UNSIGNED16 st,
                 UNSIGNED16* found) {
    ENTER(AdsSeek, h, AMP, len, type, st, AMP);
    (void)k;
    *found = F().seekFound;
    return 0;
}
UNSIGNED32 fBuildRawKey100(ADSHANDLE h, UNSIGNED8* k, UNSIGNED16* len, UNSIGNED32 o) {
    ENTER(AdsBuildRawKey100, h, AMP, *len, o);
    (void)k;
    *len = 8;
    return 0;
}

// ---- Filters
UNSIGNED32 fGetAOF(ADSHANDLE h, char* b, UNSIGNED16* len) {
    ENTER(AdsGetAOF, h, b ? AMP : std::string("null"), *len);
    FAKE_TABLE_OF(h);
    UNSIGNED32 rc = th->aof.empty() ? AE_NO_FILTER : AE_FILTER_PRESENT;
    return F().setLastError(rc, "filter"), rc;
}
UNSIGNED32 fGetFilter(ADSHANDLE h, char* b, UNSIGNED16* len) {
    ENTER(AdsGetFilter, h, b ? AMP : std::string("null"), *len);
    FAKE_TABLE_OF(h);
    UNSIGNED32 rc = th->filter.empty() ? AE_NO_FILTER : AE_FILTER_PRESENT;
    return F().setLastError(rc, "filter"), rc;
}
UNSIGNED32 fSetAOF100(ADSHANDLE h, const void* e, UNSIGNED32 o) {
    std::string text = (o & ADS_FILTER_UTF16) ? utf16ToString(static_cast<const WCHAR16*>(e))
                                              : std::string(static_cast<const char*>(e));
    ENTER(AdsSetAOF100, h, "[" + text + "]", o);
    FAKE_TABLE_OF(h);
    th->aof = text;
    return 0;
}
UNSIGNED32 fSetFilter100(ADSHANDLE h, const void* e, UNSIGNED32 o) {
    std::string text = (o & ADS_FILTER_UTF16) ? utf16ToString(static_cast<const WCHAR16*>(e))
                                              : std::string(static_cast<const char*>(e));
    ENTER(AdsSetFilter100, h, "[" + text + "]", o);
    FAKE_TABLE_OF(h);
    th->filter = text;
    return 0;
}
UNSIGNED32 fClearAOF(ADSHANDLE h) {
    ENTER(AdsClearAOF, h);
    FAKE_TABLE_OF(h);
    th->aof.clear();
    return 0;
}
UNSIGNED32 fClearFilter(ADSHANDLE h) {
    ENTER(AdsClearFilter, h);
    FAKE_TABLE_OF(h);
    th->filter.clear();
    return 0;
}
UNSIGNED32 fEvalLogicalExpr(ADSHANDLE h, const char* e, UNSIGNED16* r) {
    ENTER(AdsEvalLogicalExpr, h, e, AMP);
    FAKE_TABLE_OF(h);
    *r = th->recno > 0 && evaluate(t, t.rows[size_t(th->recno - 1)], e, th->exact);
    return 0;
}
UNSIGNED32 fGetExact22(ADSHANDLE h, UNSIGNED16* b) {
    ENTER(AdsGetExact22, h, AMP);
    FAKE_TABLE_OF(h);
    *b = th->exact;
    return 0;
}
UNSIGNED32 fSetExact22(ADSHANDLE h, UNSIGNED16 b) {
    ENTER(AdsSetExact22, h, b);
    FAKE_TABLE_OF(h);
    th->exact = b;
    return 0;
}

// ---- SQL
UNSIGNED32 fGetSQLStmtParams(char* sql, UNSIGNED32 len) {
    ENTER(AdsGetSQLStmtParams, "[" + std::string(sql) + "]", len);
    return 0;
}
UNSIGNED32 fCreateSQLStatement(ADSHANDLE c, ADSHANDLE* s) {
    ENTER(AdsCreateSQLStatement, c, AMP);
    *s = F().newHandle(handleOfType(ADS_STATEMENT));
    return 0;
}
UNSIGNED32 fPrepareSQLW(ADSHANDLE s, const WCHAR16* sql) {
    std::string text = utf16ToString(sql);
    ENTER(AdsPrepareSQLW, s, "[" + text + "]");
    F().handle(s)->sql = text;
    return 0;
}
UNSIGNED32 fExecuteSQL(ADSHANDLE s, ADSHANDLE* cursor) {
    ENTER(AdsExecuteSQL, s, AMP);
    std::shared_ptr<Table> result = F().onExecute ? F().onExecute(F().handle(s)->sql) : nullptr;
    *cursor = 0;
    if (result) {
        Handle x = handleOfType(ADS_CURSOR);
        x.table = result;
        x.owner = s;
        *cursor = F().newHandle(x);
    }
    return 0;
}
UNSIGNED32 fSqlPeekStatement(ADSHANDLE c, UNSIGNED16* live) {
    ENTER(AdsSqlPeekStatement, c, AMP);
    FAKE_TABLE_OF(c);
    *live = t.live;
    return 0;
}
UNSIGNED32 fGetTableCollation(ADSHANDLE h, char* b, UNSIGNED16* len) {
    ENTER(AdsGetTableCollation, h, AMP, *len);
    b[0] = 0;
    return 0;
}

#define FAKE_NAME(name) constexpr char kName_##name[] = #name;
BREVANTIS_ACE_FUNCTIONS(FAKE_NAME)
#undef FAKE_NAME

}  // namespace

uint32_t FakeEngine::Column::imageBytes() const {
    uint32_t bytes = type == ADS_NCHAR || type == ADS_NVARCHAR ? length * 2 : length;
    if (type == ADS_VARCHAR_FOX || type == ADS_VARBINARY_FOX || type == ADS_NVARCHAR) bytes += 2;
    return bytes;
}

FakeEngine::Table& FakeEngine::Table::add(const std::string& name, uint16_t type, uint32_t length,
                                          uint16_t decimals) {
    Column c;
    c.name = name;
    c.type = type;
    c.length = length;
    c.decimals = decimals;
    c.offset = recordLength;
    recordLength += c.imageBytes();
    columns.push_back(c);
    return *this;
}

const FakeEngine::Column* FakeEngine::Table::find(const std::string& name) const {
    for (const Column& c : columns)
        if (equalNoCase(c.name, name)) return &c;
    return nullptr;
}

QByteArray FakeEngine::Table::blankRow() const {
    QByteArray row(int(recordLength), '\0');
    for (const Column& c : columns)
        if (c.type == ADS_INTEGER) putInt(row, c.name, INT32_MIN);
    return row;
}

void FakeEngine::Table::addRow(const std::function<void(QByteArray&)>& set) {
    QByteArray row = blankRow();
    if (set) set(row);
    rows.push_back(row);
}

void FakeEngine::Table::putString(QByteArray& row, const std::string& col,
                                  const std::string& text) const {
    const Column* c = find(col);
    std::memset(row.data() + c->offset, ' ', c->length);
    std::memcpy(row.data() + c->offset, text.data(), std::min<size_t>(c->length, text.size()));
}

void FakeEngine::Table::putInt(QByteArray& row, const std::string& col, int32_t v) const {
    std::memcpy(row.data() + find(col)->offset, &v, 4);
}

std::string FakeEngine::Table::getString(const QByteArray& row, const std::string& col) const {
    const Column* c = find(col);
    std::string s(row.constData() + c->offset, c->length);
    s = s.substr(0, s.find('\0'));
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

int32_t FakeEngine::Table::getInt(const QByteArray& row, const std::string& col) const {
    int32_t v;
    std::memcpy(&v, row.constData() + find(col)->offset, 4);
    return v;
}

FakeEngine::FakeEngine() {
#define FAKE_STUB(name) table_.name = &Stub<decltype(&::name), kName_##name>::fn;
    BREVANTIS_ACE_FUNCTIONS(FAKE_STUB)
#undef FAKE_STUB
    table_.AdsConnect101 = fConnect;
    table_.AdsFindFirstTable = fFindFirst;
    table_.AdsFindNextTable = fFindNext;
    table_.AdsDDGetTableProperty = fDDGetTableProperty;
    table_.AdsGetLastError = fGetLastError;
    table_.AdsSetLastError = fSetLastError;
    table_.AdsOpenTable90 = fOpenTable;
    table_.AdsGetHandleType = fGetHandleType;
    table_.AdsGetTableType = fGetTableType;
    table_.AdsGetTableCharType = fGetTableCharType;
    table_.AdsGetTableCollation = fGetTableCollation;
    table_.AdsGetTableOpenOptions = fGetTableOpenOptions;
    table_.AdsGetRecordLength = fGetRecordLength;
    table_.AdsGetNumFields = fGetNumFields;
    table_.AdsGetFieldName = fGetFieldName;
    table_.AdsGetFieldType = fAdsGetFieldType;
    table_.AdsGetFieldLength = fAdsGetFieldLength;
    table_.AdsGetFieldDecimals = fAdsGetFieldDecimals;
    table_.AdsGetFieldOffset = fAdsGetFieldOffset;
    table_.AdsIsNullable = fAdsIsNullable;
    table_.AdsGetColumnPermissions = fGetColumnPermissions;
    table_.AdsGotoTop = fGotoTop;
    table_.AdsGotoBOF = fGotoBOF;
    table_.AdsSkip = fSkip;
    table_.AdsAtEOF = fAtEOF;
    table_.AdsAtBOF = fAtBOF;
    table_.AdsIsRecordVisible = fIsRecordVisible;
    table_.AdsGetRecordNum = fGetRecordNum;
    table_.AdsGetRecordCount = fGetRecordCount;
    table_.AdsGetBookmarkLength = fGetBookmarkLength;
    table_.AdsGetBookmark60 = fGetBookmark60;
    table_.AdsGetBookmark = fGetBookmark;
    table_.AdsGotoBookmark = fGotoBookmark;
    table_.AdsGetRecord = fGetRecord;
    table_.AdsClearRecordBuffer = fClearRecordBuffer;
    table_.AdsAppendRecord = fAppendRecord;
    table_.AdsSetField = fSetField;
    table_.AdsSetFieldRaw = fSetFieldRaw;
    table_.AdsSetEmpty = fSetEmpty;
    table_.AdsGetNumIndexes = fGetNumIndexes;
    table_.AdsGetAllIndexes = fGetAllIndexes;
    table_.AdsGetIndexHandle = fGetIndexHandle;
    table_.AdsGetIndexName = fGetIndexName;
    table_.AdsGetNumSegments = fGetNumSegments;
    table_.AdsGetSegmentFieldname = fGetSegmentFieldname;
    table_.AdsGetScope = fGetScope;
    table_.AdsGetIndexCondition = fGetIndexCondition;
    table_.AdsSeek = fSeek;
    table_.AdsBuildRawKey100 = fBuildRawKey100;
    table_.AdsGetAOF = fGetAOF;
    table_.AdsGetFilter = fGetFilter;
    table_.AdsSetAOF100 = fSetAOF100;
    table_.AdsSetFilter100 = fSetFilter100;
    table_.AdsClearAOF = fClearAOF;
    table_.AdsClearFilter = fClearFilter;
    table_.AdsEvalLogicalExpr = fEvalLogicalExpr;
    table_.AdsGetExact22 = fGetExact22;
    table_.AdsSetExact22 = fSetExact22;
    table_.AdsGetSQLStmtParams = fGetSQLStmtParams;
    table_.AdsCreateSQLStatement = fCreateSQLStatement;
    table_.AdsPrepareSQLW = fPrepareSQLW;
    table_.AdsExecuteSQL = fExecuteSQL;
    table_.AdsSqlPeekStatement = fSqlPeekStatement;
    gCurrent = this;
    ace::installTable(&table_);
}

FakeEngine::~FakeEngine() {
    ace::installTable(nullptr);
    gCurrent = nullptr;
}

FakeEngine& FakeEngine::current() {
    return *gCurrent;
}

void FakeEngine::failNext(const std::string& function, uint32_t code, const std::string& text,
                          int times) {
    for (int i = 0; i < times; ++i) failures_[function].push_back({code, text});
}

void FakeEngine::setLastError(uint32_t code, const std::string& text) {
    lastCode = code;
    lastText = text;
}

std::optional<uint32_t> FakeEngine::enter(const std::string& function, const std::string& args) {
    calls.push_back(function + "(" + args + ")");
    auto it = failures_.find(function);
    if (it == failures_.end() || it->second.empty()) return std::nullopt;
    auto [code, text] = it->second.front();
    it->second.erase(it->second.begin());
    setLastError(code, text);
    return code;
}

std::vector<std::string> FakeEngine::callsTo(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& c : calls)
        if (c.rfind(prefix, 0) == 0) out.push_back(c);
    return out;
}

FakeEngine::Handle* FakeEngine::handle(ADSHANDLE h) {
    auto it = handles_.find(h);
    return it == handles_.end() ? nullptr : it->second.get();
}

ADSHANDLE FakeEngine::newHandle(Handle h) {
    ADSHANDLE id = nextHandle_++;
    handles_[id] = std::make_shared<Handle>(std::move(h));
    return id;
}
