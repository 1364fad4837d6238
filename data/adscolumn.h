// adscolumn.h: column descriptions and the coding of column values in the record image.
//
// A record image is exactly what the engine's AdsGetRecord returns: each column at its
// offset, in the layout of its engine type and table type (ADT, VFP, NTX/CDX). Decoding
// and encoding happen here, on the image, without engine calls except for the date text
// conversions and the VFP null flags.
#ifndef BREVANTIS_DATA_ADSCOLUMN_H
#define BREVANTIS_DATA_ADSCOLUMN_H

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <cstdint>

#include "db/field_type.h"

class TAdsDataSet;

// One engine column of an open result.
struct TACEFieldDef {
    QString FName;         // at most 128 characters
    uint16_t FNumber = 0;  // from 1
    uint32_t FLength = 0;  // bytes in the record image
    uint16_t FType = 0;    // engine column type
    uint16_t FDecimals = 0;
    bool FNullable = false;
    uint32_t FOffset = 0;      // in the record image
    uint8_t FPermissions = 0;  // 2 update allowed, 4 insert allowed
    bool FModified = false;    // to be written at the next post
};

namespace ads {

// What decoding needs beyond the column: the engine table type and the handle to ask.
struct ColumnContext {
    uint16_t tableType = 3;  // 1 NTX, 2 CDX, 3 ADT, 4 VFP
    uint32_t handle = 0;
    bool preserveSpaces = false;
};

// The field type and size for an engine column (the mapping done at open). Throws
// EADSDatabaseError "Unknown field type (N) encountered." for types without a field.
struct MappedType {
    TFieldType type;
    int size = 0;
    int precision = 0;
};
MappedType mapColumnType(const TAdsDataSet* ds, uint16_t type, uint32_t length, uint16_t decimals,
                         uint16_t tableType, bool numericsAsFloats);

// Whether the column's value in `image` is null.
bool isColumnBlank(const TACEFieldDef& col, const char* image, const ColumnContext& ctx);

// The column's value in the native form of `fieldType` (see db/field.h); invalid when blank
// or when a number text does not convert.
QVariant readColumn(const TACEFieldDef& col, const char* image, TFieldType fieldType,
                    const ColumnContext& ctx);

// Writes `value` (native form of `fieldType`; invalid = null) into the column's place.
// Throws EADSDatabaseError for numbers that do not fit.
void writeColumn(const TAdsDataSet* ds, const TACEFieldDef& col, char* image, TFieldType fieldType,
                 const QVariant& value, const ColumnContext& ctx);

// Fixed-width little-endian helpers for the image.
int16_t get16(const char* p);
int32_t get32(const char* p);
int64_t get64(const char* p);
void put16(char* p, int16_t v);
void put32(char* p, int32_t v);
void put64(char* p, int64_t v);

// Column-type groups.
bool isStringColumn(uint16_t type);  // STRING, CISTRING, VARCHAR_FOX
bool isWideColumn(uint16_t type);    // NCHAR, NVARCHAR
bool isBlobColumn(uint16_t type);    // MEMO, BINARY, IMAGE, VARCHAR, NMEMO and 51, 52

}  // namespace ads

#endif  // BREVANTIS_DATA_ADSCOLUMN_H
