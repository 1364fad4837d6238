// adsedit.cpp: TAdsDataSet's field values, new records, posting and cancelling.
#include <climits>
#include <cstring>

#include "data/ace.h"
#include "data/adsdata.h"
#include "data/adserror.h"
#include "rtl/ansi.h"

namespace {

constexpr int kSeqOffset = 0, kInfoSize = 6;

// A memo or blob value, asked of the engine for the cursor's current row.
QVariant readBlob(const TAdsDataSet* ds, const TACEFieldDef& col, uint32_t handle) {
    const ace::FunctionTable& api = ace::api();
    UNSIGNED32 len = 0;
    if (col.FType == ADS_NMEMO) {
        WCHAR16 probe = 0;
        UNSIGNED32 rc = api.AdsGetFieldW(handle, ADSFIELD(col.FNumber), &probe, &len, 0);
        if (rc != AE_INSUFFICIENT_BUFFER) ACECheck(ds, rc);
        std::vector<WCHAR16> text(len + 1);
        ++len;
        ACECheck(ds, api.AdsGetFieldW(handle, ADSFIELD(col.FNumber), text.data(), &len, 0));
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(text.data()), len);
    }
    UNSIGNED8 probe = 0;
    UNSIGNED32 rc = api.AdsGetField(handle, ADSFIELD(col.FNumber), &probe, &len, 0);
    if (rc != AE_INSUFFICIENT_BUFFER) ACECheck(ds, rc);
    QByteArray bytes(static_cast<qsizetype>(len) + 1, '\0');
    ++len;
    ACECheck(ds, api.AdsGetField(handle, ADSFIELD(col.FNumber),
                                 reinterpret_cast<UNSIGNED8*>(bytes.data()), &len, 0));
    bytes.truncate(len);
    return bytes;
}

bool allBlank(const char* p, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i)
        if (p[i] != ' ') return false;
    return true;
}

// The value a field's default expression gives, in the field's native form; invalid when
// the expression gives none for the column's type.
QVariant defaultValue(const TAdsDataSet* ds, const TACEFieldDef& col, const QString& expr) {
    QString e = expr.trimmed();
    switch (col.FType) {
        case ADS_LOGICAL: {
            QString u = e.toUpper();
            return u == u"TRUE" || u == u"T" || u == u".T." || u == u"1";
        }
        case ADS_NUMERIC:
        case ADS_DOUBLE:
        case ADS_CURDOUBLE: {
            bool ok = false;
            double d = e.toDouble(&ok);
            return ok ? QVariant(d) : QVariant();
        }
        case ADS_STRING:
        case ADS_CISTRING:
        case ADS_VARCHAR_FOX:
            if (e.size() >= 2 && e.startsWith(u'\'') && e.endsWith(u'\''))
                return rtl::toAnsi(e.mid(1, e.size() - 2));
            return QVariant();
        case ADS_INTEGER:
        case ADS_SHORTINT: {
            bool ok = false;
            qlonglong v = e.toLongLong(&ok);
            if (!ok) return QVariant();
            if ((col.FType == ADS_SHORTINT && (v > 32767 || v < -32767)) ||
                (col.FType == ADS_INTEGER && (v == INT_MIN || v > INT_MAX || v < INT_MIN)))
                adsLayerError(ds, QStringLiteral("Numeric out of range:") + e, 0);
            return static_cast<int>(v);
        }
        default:
            return QVariant();
    }
}

}  // namespace

QByteArray* TAdsDataSet::writeBuffer() {
    if (State() == TDataSetState::dsFilter) return &mpFilterBuffer;
    return ActiveBuffer();
}

QVariant TAdsDataSet::GetFieldData(const TField* field) const {
    const QByteArray* buffer =
        State() == TDataSetState::dsFilter ? &mpFilterBuffer : ActiveBuffer();
    const TACEFieldDef* col = ColumnOf(field);
    if (!buffer || !col || buffer->size() < static_cast<qsizetype>(musRecordSize))
        return QVariant();
    if (ads::isBlobColumn(col->FType)) {
        if (ads::isColumnBlank(*col, buffer->constData(), Context())) return QVariant();
        return readBlob(this, *col, mlHandle);
    }
    return ads::readColumn(*col, buffer->constData(), field->DataType(), Context());
}

void TAdsDataSet::SetFieldData(TField* field, const QVariant& value) {
    using S = TDataSetState;
    S st = State();
    if (st != S::dsEdit && st != S::dsInsert && st != S::dsSetKey && st != S::dsCalcFields &&
        st != S::dsFilter && st != S::dsNewValue && st != S::dsInternalCalc)
        adsLayerError(this, QStringLiteral("Dataset not in edit mode"));
    if (field->ReadOnly() && st != S::dsSetKey && st != S::dsFilter)
        throw EDatabaseError(
            QStringLiteral("Field '%1' cannot be modified").arg(field->DisplayName()));
    auto* col = const_cast<TACEFieldDef*>(ColumnOf(field));
    QByteArray* buffer = writeBuffer();
    if (!col || !buffer) return;
    const ace::FunctionTable& api = ace::api();
    if (st == S::dsEdit && !(col->FPermissions & ADS_COLUMN_UPDATE))
        ACECheck(this,
                 api.AdsSetLastError(
                     AE_PERMISSION_DENIED,
                     rtl::toAnsi(QStringLiteral("Update permission not granted on this field: ") +
                                 field->FieldName() + u'.')
                         .constData()));
    if (st == S::dsInsert && !(col->FPermissions & ADS_COLUMN_INSERT))
        ACECheck(this,
                 api.AdsSetLastError(
                     AE_PERMISSION_DENIED,
                     rtl::toAnsi(QStringLiteral("Insert permission not granted on this field: ") +
                                 field->FieldName() + u'.')
                         .constData()));
    ads::writeColumn(this, *col, buffer->data(), field->DataType(), value, Context());
    col->FModified = true;
    NotifyFieldChange(field);
}

void TAdsDataSet::InternalInitRecord(QByteArray& buffer) {
    // The blank record cannot change while the table is open: asked once per open.
    if (mBlankRecord.isEmpty()) {
        QByteArray blank(static_cast<qsizetype>(musRecordSize), '\0');
        ACECheck(this, ace::api().AdsClearRecordBuffer(
                           mlHandle, reinterpret_cast<UNSIGNED8*>(blank.data()), musRecordSize));
        mBlankRecord = blank;
    }
    buffer = QByteArray(RecordBufferSize(), '\0');
    std::memcpy(buffer.data(), mBlankRecord.constData(), static_cast<size_t>(mBlankRecord.size()));
    for (TACEFieldDef& col : mFieldDescs) {
        col.FModified = false;
        if (col.FType == ADS_AUTOINC) {
            ads::put32(buffer.data() + col.FOffset, musAceTableType == ADS_VFP ? 0 : -1);
            continue;
        }
        if (ads::isBlobColumn(col.FType)) continue;
        for (TField* f : FieldList()) {
            if (f->FieldNo() != col.FNumber || f->DefaultExpression().isEmpty()) continue;
            QVariant v = defaultValue(this, col, f->DefaultExpression());
            if (!v.isValid()) continue;
            if (f->DataType() == TFieldType::ftBCD || f->DataType() == TFieldType::ftFMTBcd)
                v = v.toString();
            ads::writeColumn(this, col, buffer.data(), f->DataType(), v, Context());
            col.FModified = true;
        }
    }
    ads::put32(buffer.data() + musRecordSize + kSeqOffset, -1);
    SetBookmarkRecNo(buffer, 0);
    SetBookmarkFlag(buffer, TBookmarkFlag::bfEOF);
}

void TAdsDataSet::InternalInsert() {
    if (!(mulTableOptions & ADS_PERMISSION_INSERT))
        ACECheck(this, ace::api().AdsSetLastError(AE_PERMISSION_DENIED,
                                                  "Insert permission not granted on this table."));
}

void TAdsDataSet::InternalPost() {
    const ace::FunctionTable& api = ace::api();
    QByteArray& buffer = *ActiveBuffer();
    if (State() == TDataSetState::dsInsert && BookmarkFlag(buffer) != TBookmarkFlag::bfInserted) {
        ACECheck(this, api.AdsAppendRecord(mlHandle));
        // Marked at once, so that posting again after a failure appends no second record.
        SetBookmarkFlag(buffer, TBookmarkFlag::bfInserted);
        UNSIGNED32 recNo = 0;
        ACECheck(this, api.AdsGetRecordNum(mlHandle, ADS_IGNOREFILTERS, &recNo));
        SetBookmarkRecNo(buffer, recNo);
    }
    // The columns described at the open are the handle's: they cannot change while it is open.
    for (int i = static_cast<int>(mFieldDescs.size()); i >= 1; --i) {
        const TACEFieldDef& col = mFieldDescs[static_cast<size_t>(i - 1)];
        if (!col.FModified || ads::isBlobColumn(col.FType) || col.FType == ADS_AUTOINC) continue;
        QByteArray name = rtl::toAnsi(col.FName);
        const char* fld = name.constData();
        const char* p = buffer.constData() + col.FOffset;
        auto bytes = reinterpret_cast<const UNSIGNED8*>(p);
        if (musAceTableType == ADS_VFP) {
            UNSIGNED8 flag = 0;
            UNSIGNED32 len = 1;
            ACECheck(this, api.AdsAccessVfpSystemField(mlHandle, fld, &flag, &len, 1));
            if (flag) {
                bool empty = !col.FNullable || FOptions.AdsPreserveSpaces;
                ACECheck(this,
                         empty ? api.AdsSetEmpty(mlHandle, fld) : api.AdsSetNull(mlHandle, fld));
                continue;
            }
        }
        if (ads::isStringColumn(col.FType)) {
            uint32_t len = col.FLength;
            if (col.FType == ADS_VARCHAR_FOX && musAceTableType == ADS_ADT)
                len = std::min<uint32_t>(col.FLength,
                                         static_cast<uint16_t>(ads::get16(p + col.FLength)));
            if (!FOptions.AdsPreserveSpaces && allBlank(p, col.FLength))
                ACECheck(this, api.AdsSetEmpty(mlHandle, fld));
            else
                ACECheck(this, api.AdsSetField(mlHandle, fld, bytes,
                                               FOptions.AdsPreserveSpaces ? col.FLength : len));
        } else if (ads::isWideColumn(col.FType)) {
            uint32_t chars = col.FLength / 2;
            if (col.FType == ADS_NVARCHAR) {
                int16_t stored = ads::get16(p + col.FLength);
                if (stored == -1) {
                    ACECheck(this, api.AdsSetEmpty(mlHandle, fld));
                    continue;
                }
                chars = std::min<uint32_t>(chars, static_cast<uint16_t>(stored));
            }
            if (!FOptions.AdsPreserveSpaces && allBlank(p, col.FLength))
                ACECheck(this, api.AdsSetEmpty(mlHandle, fld));
            else {
                std::vector<WCHAR16> wide(chars);
                std::memcpy(wide.data(), p, chars * 2);  // the image is not aligned for UTF-16
                ACECheck(this, api.AdsSetFieldW(mlHandle, fld, wide.data(), chars));
            }
        } else {
            ACECheck(this, api.AdsSetFieldRaw(mlHandle, fld, bytes, col.FLength));
        }
    }
    ACECheck(this, api.AdsWriteRecord(mlHandle));
}

void TAdsDataSet::InternalCancel() {
    UNSIGNED32 rc = ace::api().AdsCancelUpdate(mlHandle);
    if (rc != AE_NO_CURRENT_RECORD && rc != AE_NO_PENDING_UPDATE) ACECheck(this, rc);
}
