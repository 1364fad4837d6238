// raw_key.h: index keys as byte strings that sort with memcmp, and the ROWID form.
//
// A key is the concatenation of one fixed-width segment per index column:
//   STRING, CISTRING, VARCHAR_FOX  the text padded with blanks to the width, zero bytes
//                                  read as blanks; CISTRING upper-cased (Windows-1252)
//   NCHAR, NVARCHAR                UTF-16 code units big-endian, blank-padded
//   INTEGER, AUTOINC, TIME, DATE, SHORTINT   big-endian with the sign bit flipped
//   DOUBLE, CURDOUBLE, NUMERIC     8-byte order-preserving form of the double
//   TIMESTAMP, MODTIME             Julian day then milliseconds, each as INTEGER
//   MONEY, ROWVERSION              big-endian int64 with the sign bit flipped
//   LOGICAL                        one byte: 0 null, 'F', 'T'
//   RAW, COMPACTDATE               the bytes as stored
// Null sorts before every value. A partial key (AdsBuildRawKey without full padding) ends
// in a shorter last segment; a seek compares only the key's own length.
#ifndef BREVANTIS_ENGINE_RECORD_RAW_KEY_H
#define BREVANTIS_ENGINE_RECORD_RAW_KEY_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/record/status.h"
#include "engine/record/value.h"

namespace engine::record {

// Whether a column of this type can be an index segment (blob types cannot).
bool isIndexableType(ColumnType type);

// Width of the column's key segment.
uint32_t keySegmentSize(const ColumnDef& column);

// Appends the column's key segment, read from a record image.
void appendKeySegment(const ColumnDef& column, const uint8_t* image, std::string& key);

// The whole key of a record for these segment columns, in order.
std::string buildKey(const std::vector<const ColumnDef*>& segments, const uint8_t* image);

// Appends a segment from bytes given as AdsSetField / AdsSetFieldRaw / AdsSetFieldW give
// them for the column (see writeColumnBytes). With `pad` false a text segment keeps only
// the given characters (a partial key); with `pad` true it is blank-padded to full width.
Status appendKeySegmentFromBytes(const ColumnDef& column, std::string_view bytes, bool pad,
                                 std::string& key);

// Six base-64 digits of a record number, most significant first, alphabet
// "A-Za-z0-9+/": 1 -> "AAAAAB", 42 -> "AAAAAq", 64 -> "AAAABA".
std::string recordNumberDigits(uint32_t recno);

// Twelve base-64 characters naming a table, stable for a given text (its path).
std::string tableIdFor(std::string_view canonicalName);

// The 18-character ROWID: tableId (12 characters) + recordNumberDigits(recno).
std::string rowId(std::string_view tableId, uint32_t recno);

}  // namespace engine::record

#endif  // BREVANTIS_ENGINE_RECORD_RAW_KEY_H
