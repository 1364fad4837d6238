// raw_key.cpp: memcmp-ordered index keys and the ROWID text form.
#include "engine/record/raw_key.h"

#include <cstring>

#include "codepage/cp1252.h"
#include "engine/include/engine_api.h"
#include "engine/record/record.h"
#include "engine/record/record_text.h"

namespace engine::record {
namespace {

constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

void appendBigEndian(uint64_t v, int bytes, std::string& key) {
    for (int i = bytes - 1; i >= 0; --i) key.push_back(static_cast<char>(v >> (8 * i)));
}

void appendInt32(int32_t v, std::string& key) {
    appendBigEndian(static_cast<uint32_t>(v) ^ 0x80000000u, 4, key);
}

void appendDouble(double d, std::string& key) {
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    bits = (bits & 0x8000000000000000ull) ? ~bits : bits | 0x8000000000000000ull;
    appendBigEndian(bits, 8, key);
}

void appendText(const ColumnDef& c, const uint8_t* p, size_t n, size_t width, std::string& key) {
    for (size_t i = 0; i < width; ++i) {
        unsigned char ch = i < n ? p[i] : ' ';
        if (ch == 0) ch = ' ';
        if (c.type == ColumnType::CiString) ch = cp1252::upper(ch);
        key.push_back(static_cast<char>(ch));
    }
}

void appendWide(const uint8_t* p, size_t chars, size_t width, std::string& key) {
    for (size_t i = 0; i < width; ++i) appendBigEndian(i < chars ? getU16(p + 2 * i) : ' ', 2, key);
}

}  // namespace

bool isIndexableType(ColumnType t) {
    return isStorableType(t) && !isBlobType(t);
}

uint32_t keySegmentSize(const ColumnDef& c) {
    switch (c.type) {
        case ColumnType::String:
        case ColumnType::CiString:
        case ColumnType::VarcharFox:
        case ColumnType::Raw:
        case ColumnType::VarbinaryFox:
            return c.length;
        case ColumnType::NChar:
        case ColumnType::NVarchar:
            return 2 * c.length;
        case ColumnType::Numeric:
        case ColumnType::Double:
        case ColumnType::CurDouble:
        case ColumnType::TimeStamp:
        case ColumnType::ModTime:
        case ColumnType::Money:
        case ColumnType::RowVersion:
            return 8;
        case ColumnType::Logical:
            return 1;
        case ColumnType::CompactDate:
            return 3;
        case ColumnType::ShortInt:
            return 2;
        default:
            return 4;
    }
}

void appendKeySegment(const ColumnDef& c, const uint8_t* image, std::string& key) {
    const uint8_t* p = image + c.offset;
    if (isNull(c, image)) {
        key.append(keySegmentSize(c), '\0');
        return;
    }
    switch (c.type) {
        case ColumnType::String:
        case ColumnType::CiString:
            appendText(c, p, c.length, c.length, key);
            return;
        case ColumnType::VarcharFox:
            appendText(c, p, getU16(p + c.length), c.length, key);
            return;
        case ColumnType::VarbinaryFox: {
            size_t n = std::min<size_t>(getU16(p + c.length), c.length);
            key.append(reinterpret_cast<const char*>(p), n);
            key.append(c.length - n, '\0');
            return;
        }
        case ColumnType::Raw:
        case ColumnType::CompactDate:
            key.append(reinterpret_cast<const char*>(p), keySegmentSize(c));
            return;
        case ColumnType::NChar:
            appendWide(p, c.length, c.length, key);
            return;
        case ColumnType::NVarchar:
            appendWide(p, getU16(p + 2 * c.length), c.length, key);
            return;
        case ColumnType::Logical:
            key.push_back(p[0] == 'T' ? 'T' : 'F');
            return;
        case ColumnType::ShortInt:
            appendBigEndian(getU16(p) ^ 0x8000u, 2, key);
            return;
        case ColumnType::Numeric:
        case ColumnType::Double:
        case ColumnType::CurDouble: {
            Value v = decodeValue(c, image);
            appendDouble(v.real, key);
            return;
        }
        case ColumnType::TimeStamp:
        case ColumnType::ModTime:
            appendInt32(static_cast<int32_t>(getU32(p)), key);
            appendInt32(static_cast<int32_t>(getU32(p + 4)), key);
            return;
        case ColumnType::Money:
        case ColumnType::RowVersion:
            appendBigEndian(getU64(p) ^ 0x8000000000000000ull, 8, key);
            return;
        default:
            appendInt32(static_cast<int32_t>(getU32(p)), key);
            return;
    }
}

std::string buildKey(const std::vector<const ColumnDef*>& segments, const uint8_t* image) {
    std::string key;
    for (const ColumnDef* c : segments) appendKeySegment(*c, image, key);
    return key;
}

Status appendKeySegmentFromBytes(const ColumnDef& c, std::string_view bytes, bool pad,
                                 std::string& key) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data());
    switch (c.type) {
        case ColumnType::String:
        case ColumnType::CiString:
        case ColumnType::VarcharFox: {
            size_t n = std::min<size_t>(bytes.size(), c.length);
            appendText(c, p, n, pad ? c.length : n, key);
            return Status::success();
        }
        case ColumnType::NChar:
        case ColumnType::NVarchar: {
            size_t n = std::min<size_t>(bytes.size() / 2, c.length);
            appendWide(p, n, pad ? c.length : n, key);
            return Status::success();
        }
        default: {
            // Lay the bytes out as a one-column image and take its segment.
            if (!isIndexableType(c.type)) {
                return Status::error(AE_COLUMN_TYPE_MISMATCH,
                                     "The column \"" + c.name + "\" cannot be a key.");
            }
            ColumnDef one = c;
            one.offset = 0;
            std::string image(storageSize(one), '\0');
            writeNull(one, reinterpret_cast<uint8_t*>(image.data()));
            Status s = writeColumnBytes(one, bytes, reinterpret_cast<uint8_t*>(image.data()));
            if (!s.ok()) return s;
            appendKeySegment(one, reinterpret_cast<const uint8_t*>(image.data()), key);
            return Status::success();
        }
    }
}

std::string recordNumberDigits(uint32_t recno) {
    std::string out(6, 'A');
    for (int i = 5; i >= 0; --i) {
        out[i] = kDigits[recno & 63];
        recno >>= 6;
    }
    return out;
}

std::string tableIdFor(std::string_view name) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
    std::string out(12, 'A');
    for (int i = 11; i >= 0; --i) {
        out[i] = kDigits[h & 63];
        h = (h >> 6) | (h << 58);
    }
    return out;
}

std::string rowId(std::string_view tableId, uint32_t recno) {
    return std::string(tableId) + recordNumberDigits(recno);
}

}  // namespace engine::record
