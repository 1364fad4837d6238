// cursor.cpp: navigation under AOF and filter, in record order or index order, and seeks.
#include "engine/core/cursor.h"

#include <algorithm>
#include <optional>

#include "codepage/cp1252.h"
#include "engine/include/engine_api.h"
#include "engine/record/record.h"

namespace engine {
namespace {

// Brings the slot's cached matches up to date with the table and the exact setting.
// Equality conjunctions are answered from the table's hash lookup; anything else is
// evaluated record by record.
void resolve(Cursor& c, FilterSlot& slot) REQUIRES_SHARED(c.table->mutex()) {
    if (slot.resolvedVersion == c.table->version() && slot.resolvedExact == c.exact) return;
    slot.matches.clear();
    auto terms = slot.expression->equalityTerms(c.exact);
    if (terms && !terms->empty()) {
        std::vector<int> cols;
        std::vector<bool> ci;
        std::string key;
        for (const expr::EqualityTerm& term : *terms) {
            cols.push_back(term.column);
            ci.push_back(term.caseInsensitive);
            key += expr::equalityKey(term.value, term.caseInsensitive);
            key.push_back('\x1f');
        }
        c.table->lookupEqual(cols, ci, key, &slot.matches);
    } else {
        RecordFieldSource row(c.table.get());
        for (uint32_t recno = 1; recno <= c.table->recordCount(); ++recno) {
            if (!c.table->isLive(recno)) continue;
            row.setRecord(recno);
            if (slot.expression->matches(row, c.exact)) slot.matches.push_back(recno);
        }
    }
    slot.resolvedVersion = c.table->version();
    slot.resolvedExact = c.exact;
}

bool passes(Cursor& c, FilterSlot& slot, uint32_t recno) REQUIRES_SHARED(c.table->mutex()) {
    if (!slot.set) return true;
    resolve(c, slot);
    return std::binary_search(slot.matches.begin(), slot.matches.end(), recno);
}

// The filter slot whose matches drive record-order navigation, or null.
FilterSlot* driver(Cursor& c) REQUIRES_SHARED(c.table->mutex()) {
    if (c.aof.set) {
        resolve(c, c.aof);
        return &c.aof;
    }
    if (c.filter.set) {
        resolve(c, c.filter);
        return &c.filter;
    }
    return nullptr;
}

// Next visible record in record order after `from` (0: from the edge), going `dir`.
uint32_t stepNatural(Cursor& c, uint32_t from, int dir) REQUIRES_SHARED(c.table->mutex()) {
    if (FilterSlot* d = driver(c)) {
        const auto& m = d->matches;
        if (dir > 0) {
            for (auto it = from ? std::upper_bound(m.begin(), m.end(), from) : m.begin();
                 it != m.end(); ++it)
                if (isVisible(c, *it)) return *it;
        } else {
            auto it = from ? std::lower_bound(m.begin(), m.end(), from) : m.end();
            while (it != m.begin()) {
                --it;
                if (isVisible(c, *it)) return *it;
            }
        }
        return 0;
    }
    int64_t r = from ? from : (dir > 0 ? 0 : c.table->recordCount() + 1);
    for (r += dir; r >= 1 && r <= c.table->recordCount(); r += dir)
        if (c.table->isLive(static_cast<uint32_t>(r))) return static_cast<uint32_t>(r);
    return 0;
}

// With a selective AOF or filter, the neighbour in index order is the nearest of the few
// matching records: comparing their entries costs far less than walking the index (a
// Locate on a large table moved through an index would otherwise visit every entry).
// `dir` is already in entry order. Returns 0 when no match lies that way.
uint32_t nearestMatchInIndex(Cursor& c, const Index& index, const std::vector<uint32_t>& matches,
                             uint32_t from, int dir) REQUIRES_SHARED(c.table->mutex()) {
    using Entry = std::pair<std::string, uint32_t>;
    std::optional<Entry> start;
    if (from) start.emplace(c.table->keyOf(index, from), from);
    std::optional<Entry> best;
    for (uint32_t m : matches) {
        Entry e{c.table->keyOf(index, m), m};
        const bool beyond = !start || (dir > 0 ? *start < e : e < *start);
        const bool nearer = !best || (dir > 0 ? e < *best : *best < e);
        if (!beyond || !nearer || !index.entries.count(e) || !isVisible(c, m)) continue;
        best = std::move(e);
    }
    return best ? best->second : 0;
}

uint32_t stepIndex(Cursor& c, const Index& index, uint32_t from, int dir)
    REQUIRES_SHARED(c.table->mutex()) {
    if (index.def.flags & ADS_INDEX_DESCENDING) dir = -dir;
    const auto& e = index.entries;
    if (FilterSlot* d = driver(c); d && d->matches.size() * 16 < e.size())
        return nearestMatchInIndex(c, index, d->matches, from, dir);
    IndexPlace& place = c.place;
    const uint64_t version = c.table->version();
    auto it = e.end();
    if (from && place.index == &index && place.version == version && place.recno == from)
        it = place.entry;
    else if (from)
        it = e.lower_bound({c.table->keyOf(index, from), from});
    auto landOn = [&](decltype(it) found) {
        place = IndexPlace{&index, version, found->second, found};
        return found->second;
    };
    if (dir > 0) {
        if (from && it != e.end() && it->second == from) ++it;
        if (!from) it = e.begin();
        for (; it != e.end(); ++it)
            if (isVisible(c, it->second)) return landOn(it);
    } else {
        while (it != e.begin()) {
            --it;
            if (isVisible(c, it->second)) return landOn(it);
        }
    }
    return 0;
}

uint32_t step(Cursor& c, const Index* index, uint32_t from, int dir)
    REQUIRES_SHARED(c.table->mutex()) {
    return index ? stepIndex(c, *index, from, dir) : stepNatural(c, from, dir);
}

void land(Cursor& c, uint32_t recno, int dir) REQUIRES_SHARED(c.table->mutex()) {
    c.recno = recno;
    c.bof = recno == 0 && dir < 0;
    c.eof = recno == 0 && dir > 0;
}

}  // namespace

void RecordFieldSource::readValue(int index, Value& out) const {
    const ColumnDef& col = table_->columns()[index];
    const Record& r = *record_;
    if (!record::isBlobType(col.type)) {
        out = record::decodeValue(col, reinterpret_cast<const uint8_t*>(r.image.data()));
        return;
    }
    int b = 0;
    for (int i = 0; i < index; ++i) b += record::isBlobType(table_->columns()[i].type) ? 1 : 0;
    const std::string& content = r.blobs[b];
    if (content.empty()) {
        out = Value::null();
    } else if (col.type == ColumnType::NMemo) {
        std::u16string w(content.size() / 2, u' ');
        for (size_t i = 0; i < w.size(); ++i)
            w[i] = record::getU16(reinterpret_cast<const uint8_t*>(content.data()) + 2 * i);
        out = Value::ofString(cp1252::fromUtf16(w));
    } else if (col.type == ColumnType::Memo || col.type == ColumnType::Varchar) {
        out = Value::ofString(content);
    } else {
        out = Value::ofBinary(content);
    }
}

bool isVisible(Cursor& c, uint32_t recno) {
    return c.table->isLive(recno) && passes(c, c.aof, recno) && passes(c, c.filter, recno);
}

void gotoEdge(Cursor& c, const Index* index, bool top) {
    uint32_t r = step(c, index, 0, top ? 1 : -1);
    c.recno = r;
    c.bof = r == 0;
    c.eof = r == 0;
}

void gotoBof(Cursor& c) {
    c.recno = 0;
    c.bof = true;
    c.eof = c.table->liveCount() == 0;
}

void skipRows(Cursor& c, const Index* index, int32_t n) {
    int dir = n < 0 ? -1 : 1;
    for (int64_t i = 0; i < (n < 0 ? -static_cast<int64_t>(n) : n); ++i) {
        if ((dir > 0 && c.eof) || (dir < 0 && c.bof)) return;
        uint32_t from = (c.bof || c.eof) ? 0 : c.recno;
        land(c, step(c, index, from, dir), dir);
    }
}

uint32_t countVisible(Cursor& c, const Index* index) {
    if (index && index->condition) {
        uint32_t n = 0;
        for (const auto& entry : index->entries) n += isVisible(c, entry.second) ? 1 : 0;
        return n;
    }
    FilterSlot* d = driver(c);
    if (!d) return c.table->liveCount();
    uint32_t n = 0;
    for (uint32_t r : d->matches) n += isVisible(c, r) ? 1 : 0;
    return n;
}

bool seekKey(Cursor& c, const Index& index, std::string_view key, bool soft) {
    const auto& e = index.entries;
    auto prefixCmp = [&](const std::string& k) { return k.compare(0, key.size(), key); };
    uint32_t hit = 0;
    bool found = false;
    if (index.def.flags & ADS_INDEX_DESCENDING) {
        for (auto it = e.rbegin(); it != e.rend(); ++it)
            if (prefixCmp(it->first) <= 0 && isVisible(c, it->second)) {
                hit = it->second;
                found = prefixCmp(it->first) == 0;
                break;
            }
    } else {
        for (auto it = e.lower_bound({std::string(key), 0}); it != e.end(); ++it)
            if (isVisible(c, it->second)) {
                hit = it->second;
                found = prefixCmp(it->first) == 0;
                break;
            }
    }
    if (!found && !soft) hit = 0;
    c.recno = hit;
    c.bof = false;
    c.eof = hit == 0;
    return found;
}

void describeRecord(const Table& t, uint32_t recno, Position* out) {
    out->recordNumber = recno;
    const Record& r = t.record(recno);
    out->record = r.image;
    size_t b = 0;
    for (size_t i = 0; i < t.columns().size(); ++i) {
        if (!record::isBlobType(t.columns()[i].type)) continue;
        const std::string& content = r.blobs[b];
        const bool damaged = !r.damagedBlobs.empty() && r.blobDamaged(b);
        out->blobs.push_back(
            {static_cast<uint16_t>(i), content.empty() && !damaged, content, damaged});
        ++b;
    }
}

void describePosition(Cursor& c, Position* out) {
    *out = Position{};
    out->bof = c.bof;
    out->eof = c.eof;
    if (c.bof || c.eof || c.recno == 0) return;
    out->visible = isVisible(c, c.recno);
    describeRecord(*c.table, c.recno, out);
}

Status setFilterSlot(Cursor& c, FilterSlot& slot, std::string_view text) {
    RecordFieldSource columns(c.table.get());
    std::string error;
    auto compiled = expr::Expression::compile(text, columns, &error);
    if (!compiled) return Status::error(AE_INVALID_ARGUMENT, "Invalid filter expression: " + error);
    slot.set = true;
    slot.text = std::string(text);
    slot.expression = std::move(compiled);
    slot.resolvedVersion = 0;
    return Status::success();
}

}  // namespace engine
