// adslocate.cpp: Locate, by an index seek, an optimized filter or a row-by-row scan.
#include <QStringList>
#include <cstring>

#include "data/ace.h"
#include "data/adsdata.h"
#include "data/adserror.h"
#include "rtl/ansi.h"

namespace {

constexpr UNSIGNED16 kSegmentNameLength = 510;
constexpr UNSIGNED16 kConditionProbeLength = 10;
constexpr UNSIGNED16 kScopeLength = 260;
constexpr UNSIGNED16 kKeyLength = 4082;
constexpr UNSIGNED32 kNoCustomIndex = 5017;  // the engine cannot tell: not custom

std::vector<WCHAR16> utf16(const QString& s) {
    std::vector<WCHAR16> out(s.utf16(), s.utf16() + s.size());
    out.push_back(0);
    return out;
}

// Assigns a Locate key value to its field, by the value's own type.
void assignKey(TField* f, const QVariant& v) {
    if (!v.isValid() || v.isNull()) return f->Clear();
    switch (v.typeId()) {
        case QMetaType::QString:
            return f->SetAsString(v.toString());
        case QMetaType::QByteArray:
            return f->SetAsAnsiString(v.toByteArray());
        case QMetaType::Bool:
            return f->SetAsBoolean(v.toBool());
        case QMetaType::Double:
        case QMetaType::Float:
            return f->SetAsFloat(v.toDouble());
        case QMetaType::QDateTime:
            return f->SetAsDateTime(v.toDateTime());
        case QMetaType::QDate:
            return f->SetAsDateTime(QDateTime(v.toDate(), QTime(0, 0)));
        default:
            return f->SetAsInteger(v.toInt());
    }
}

}  // namespace

// The steps of one Locate on one dataset; a friend of TAdsDataSet.
class AdsLocate {
  public:
    AdsLocate(TAdsDataSet& ds, TLocateOptions options)
        : ds_(ds),
          api_(ace::api()),
          ci_((options & int(TLocateOption::loCaseInsensitive)) != 0),
          partial_((options & int(TLocateOption::loPartialKey)) != 0) {}

    bool run(const QString& keyFields, const QVariant& keyValues);

  private:
    ADSHANDLE chooseIndex();
    const std::vector<uint32_t>& allIndexes(UNSIGNED16 count);
    TAdsDataSet::LocateIndexFacts& factsOf(ADSHANDLE index);
    bool fieldsMatch(ADSHANDLE index, QString& partialField);
    bool locateFriendly(ADSHANDLE index);
    bool askSeekable(ADSHANDLE index);
    bool seek(ADSHANDLE index, const QString& partialField);
    bool byFilter();
    QString buildFilterString() const;
    bool scanLocally(const QByteArray& expr);

    TAdsDataSet& ds_;
    const ace::FunctionTable& api_;
    bool ci_, partial_;
    std::vector<TField*> keys_;
    int stringKeys_ = 0, wideKeys_ = 0;
};

bool AdsLocate::run(const QString& keyFields, const QVariant& keyValues) {
    ADSHANDLE saved = 0;
    ACECheck(&ds_, api_.AdsGetBookmark(ds_.mlHandle, &saved));
    for (const QString& name : keyFields.split(u';'))
        keys_.push_back(ds_.FieldByName(name.trimmed()));
    bool found = false;
    ds_.SetState(TDataSetState::dsFilter);
    try {
        ds_.InternalInitRecord(ds_.mpFilterBuffer);
        QVariantList values = keyValues.typeId() == QMetaType::QVariantList
                                  ? keyValues.toList()
                                  : QVariantList{keyValues};
        for (size_t i = 0; i < keys_.size(); ++i) {
            assignKey(keys_[i], i < size_t(values.size()) ? values[qsizetype(i)] : QVariant());
            const TACEFieldDef* col = ds_.ColumnOf(keys_[i]);
            if (col && ads::isStringColumn(col->FType)) ++stringKeys_;
            if (col && ads::isWideColumn(col->FType)) ++wideKeys_;
        }
        bool noIndex = (ci_ && !(stringKeys_ == 0 && wideKeys_ <= 1 && partial_)) ||
                       (partial_ && wideKeys_ > 0 && (keys_.size() > 1 || !ci_));
        ADSHANDLE index = noIndex ? 0 : chooseIndex();
        QString partialField;
        found = index ? (fieldsMatch(index, partialField), seek(index, partialField)) : byFilter();
    } catch (...) {
        ds_.SetState(TDataSetState::dsBrowse);
        throw;
    }
    ds_.SetState(TDataSetState::dsBrowse);
    if (!found) {
        // Before the first or after the last row there is no record to go back to.
        UNSIGNED32 rc = api_.AdsGotoBookmark(ds_.mlHandle, saved);
        if (rc != AE_INVALID_RECORD_NUMBER) ACECheck(&ds_, rc);
    }
    return found;
}

ADSHANDLE AdsLocate::chooseIndex() {
    ADSHANDLE active = ds_.mlActiveHandle != ds_.mlHandle ? ds_.mlActiveHandle : 0;
    QString partialField;
    if (active && !locateFriendly(active)) return fieldsMatch(active, partialField) ? active : 0;
    UNSIGNED16 n = 0;
    ACECheck(&ds_, api_.AdsGetNumIndexes(ds_.mlHandle, &n));
    if (active && fieldsMatch(active, partialField)) return active;
    std::vector<uint32_t> indexes;
    if (ds_.FOptions.AdsLocateBehavior == TAdsLocateBehavior::lbFindFirst) {
        if (active) indexes.push_back(active);
    } else if (n > 0) {
        indexes = allIndexes(n);
    }
    for (ADSHANDLE index : indexes)
        if (fieldsMatch(index, partialField) && locateFriendly(index)) return index;
    return 0;
}

// The cursor's indexes, asked again only when their count is not the one last seen.
const std::vector<uint32_t>& AdsLocate::allIndexes(UNSIGNED16 count) {
    if (!ds_.mLocateIndexes || ds_.mLocateIndexes->size() != count) {
        std::vector<ADSHANDLE> indexes(count);
        ACECheck(&ds_, api_.AdsGetAllIndexes(ds_.mlHandle, indexes.data(), &count));
        ds_.mLocateIndexes.emplace(indexes.begin(), indexes.begin() + count);
    }
    return *ds_.mLocateIndexes;
}

// The key columns of `index`, read at its first use on the open cursor.
TAdsDataSet::LocateIndexFacts& AdsLocate::factsOf(ADSHANDLE index) {
    auto known = ds_.mLocateIndexFacts.find(index);
    if (known != ds_.mLocateIndexFacts.end()) return known->second;
    UNSIGNED16 segments = 0;
    ACECheck(&ds_, api_.AdsGetNumSegments(index, &segments));
    QStringList fields;
    for (UNSIGNED16 s = 1; s <= segments; ++s) {
        char name[kSegmentNameLength + 1] = {};
        UNSIGNED16 len = kSegmentNameLength;
        ACECheck(&ds_, api_.AdsGetSegmentFieldname(index, s, name, &len));
        fields << rtl::fromAnsi(QByteArray(name)).toUpper();
    }
    return ds_.mLocateIndexFacts[index] = {fields, std::nullopt};
}

bool AdsLocate::fieldsMatch(ADSHANDLE index, QString& partialField) {
    const QStringList& fields = factsOf(index).fields;
    std::vector<bool> seen(101, false);
    int highest = 0;
    for (TField* f : keys_) {
        int pos = static_cast<int>(fields.indexOf(f->FieldName().toUpper())) + 1;
        if (pos < 1 || pos > 100) return false;
        seen[size_t(pos)] = true;
        highest = std::max(highest, pos);
    }
    for (int p = 1; p <= highest; ++p)
        if (!seen[size_t(p)]) return false;
    partialField = fields.value(highest - 1);
    return true;
}

bool AdsLocate::locateFriendly(ADSHANDLE index) {
    std::optional<bool>& seekable = factsOf(index).seekable;
    if (!seekable) seekable = askSeekable(index);
    return *seekable;
}

// Whether a seek on `index` finds what a Locate would: no scope, no condition, no custom keys.
bool AdsLocate::askSeekable(ADSHANDLE index) {
    UNSIGNED8 scope[kScopeLength + 1];
    UNSIGNED16 len = kScopeLength;
    UNSIGNED32 rc = api_.AdsGetScope(index, ADS_TOP, scope, &len);
    if (rc != AE_NO_SCOPE) return false;
    len = kScopeLength;
    if (api_.AdsGetScope(index, ADS_BOTTOM, scope, &len) != AE_NO_SCOPE) return false;
    char cond[kConditionProbeLength + 1] = {};
    len = kConditionProbeLength;
    rc = api_.AdsGetIndexCondition(index, cond, &len);
    if (rc == AE_INSUFFICIENT_BUFFER) return false;
    ACECheck(&ds_, rc);
    if (cond[0] != '\0') return false;
    UNSIGNED16 flag = 0;
    if (ds_.musAceTableType != ADS_ADT) {
        ACECheck(&ds_, api_.AdsIsIndexUnique(index, &flag));
        if (flag) return false;
    }
    rc = api_.AdsIsIndexCustom(index, &flag);
    if (rc == kNoCustomIndex) return true;
    ACECheck(&ds_, rc);
    return !flag;
}

bool AdsLocate::seek(ADSHANDLE index, const QString& partialField) {
    ACECheck(&ds_, api_.AdsInitRawKey(index));
    const QByteArray& buf = ds_.mpFilterBuffer;
    for (TField* f : keys_) {
        const TACEFieldDef* col = ds_.ColumnOf(f);
        if (!col) continue;
        QByteArray name = rtl::toAnsi(col->FName);
        QByteArray bytes = buf.mid(col->FOffset, col->FLength);
        bool trim = partial_ && col->FName.toUpper() == partialField;
        if (ads::isWideColumn(col->FType)) {
            std::vector<WCHAR16> w(bytes.size() / 2);
            std::memcpy(w.data(), bytes.constData(), w.size() * 2);
            size_t chars = w.size();
            while (trim && chars > 0 && w[chars - 1] == u' ') --chars;
            ACECheck(&ds_, api_.AdsSetFieldW(index, name.constData(), w.data(), UNSIGNED32(chars)));
            continue;
        }
        while (trim && bytes.endsWith(' ')) bytes.chop(1);
        auto p = reinterpret_cast<const UNSIGNED8*>(bytes.constData());
        if (ads::isStringColumn(col->FType))
            ACECheck(&ds_, api_.AdsSetField(index, name.constData(), p, UNSIGNED32(bytes.size())));
        else
            ACECheck(&ds_,
                     api_.AdsSetFieldRaw(index, name.constData(), p, UNSIGNED32(bytes.size())));
    }
    UNSIGNED8 key[kKeyLength + 1] = {};
    UNSIGNED16 keyLen = kKeyLength;
    if (!partial_)
        ACECheck(&ds_, api_.AdsBuildRawKey100(index, key, &keyLen, ADS_RAWKEY_FULL));
    else if (wideKeys_ > 0)
        ACECheck(&ds_, api_.AdsBuildRawKey100(index, key, &keyLen, ADS_RAWKEY_PARTIAL_WIDE));
    else
        ACECheck(&ds_, api_.AdsBuildRawKey(index, key, &keyLen));
    UNSIGNED16 found = 0;
    ACECheck(&ds_, api_.AdsSeek(index, key, keyLen, ADS_RAWKEY, ADS_SOFTSEEK, &found));
    return found != 0;
}

QString AdsLocate::buildFilterString() const {
    if (ds_.State() != TDataSetState::dsFilter)
        adsLayerError(&ds_, QStringLiteral("Internal Error, << BuildFilterString >>"));
    QStringList terms;
    for (TField* f : keys_) {
        const TACEFieldDef* col = ds_.ColumnOf(f);
        uint16_t type = col ? col->FType : 0;
        const QString& name = f->FieldName();
        if (f->IsNull()) {
            terms << QStringLiteral("(empty(") + name + QStringLiteral("))");
            continue;
        }
        QString value = f->AsString();
        switch (type) {
            case ADS_LOGICAL:
                value = f->AsBoolean() ? QStringLiteral(".TRUE.") : QStringLiteral(".FALSE.");
                break;
            case ADS_NUMERIC:
            case ADS_DOUBLE:
            case ADS_CURDOUBLE:
            case ADS_MONEY:
                value.replace(db::kDecimalSeparator, u'.');
                break;
            case ADS_DATE:
                value = QStringLiteral("ctod(\"") + value + QStringLiteral("\")");
                break;
            case ADS_TIME:
                value = QStringLiteral("ctot(\"") + value + QStringLiteral("\")");
                break;
            case ADS_TIMESTAMP:
            case ADS_MODTIME:
                value = QStringLiteral("ctots(\"") + value + QStringLiteral("\")");
                break;
            default:
                break;
        }
        if (ads::isStringColumn(type) || ads::isWideColumn(type)) {
            // Closes the literal, adds the quote by its code, reopens it: "+ Chr(34) + ".
            value.replace(u'"', QStringLiteral("\"+ Chr(34) + \""));
            value = u'"' + value + u'"';
            QString u = ci_ ? QStringLiteral("UPPER(") : QString(),
                    e = ci_ ? QStringLiteral(")") : QString();
            terms << u'(' + u + name + e + u'=' + u + value + e + u')';
        } else {
            terms << u'(' + name + u'=' + value + u')';
        }
    }
    return terms.join(QStringLiteral(" AND "));
}

bool AdsLocate::byFilter() {
    QString expr = buildFilterString();
    ADSHANDLE h = ds_.mlHandle;
    auto present = [&](UNSIGNED32 rc) {
        if (rc == AE_NO_FILTER) return false;
        if (rc == AE_INSUFFICIENT_BUFFER || rc == AE_FILTER_PRESENT) return true;
        ACECheck(&ds_, rc);
        return true;
    };
    // Only Locate sets these on the dataset's handle, and it leaves them as it found them:
    // once asked, they are known until the close, or until a restore fails.
    TAdsDataSet::LocateSettings& known = ds_.mLocateSettings;
    if (!known.valid) {
        UNSIGNED16 len = 0;
        known.aof = present(api_.AdsGetAOF(h, nullptr, &len));
        len = 0;
        known.filter = present(api_.AdsGetFilter(h, nullptr, &len));
        ACECheck(&ds_, api_.AdsGetExact22(h, &known.exact));
        known.valid = true;
    }
    const bool hadAof = known.aof, hadFilter = known.filter;
    const UNSIGNED16 exact = known.exact;
    bool found = false;
    // Whatever happens, the exact setting, the AOF and the filter are left as found.
    auto restore = [&] {
        known.valid = false;
        ACECheck(&ds_, api_.AdsSetExact22(h, exact));
        if (!hadAof)
            ACECheck(&ds_, api_.AdsClearAOF(h));
        else if (!hadFilter)
            ACECheck(&ds_, api_.AdsClearFilter(h));
        known.valid = true;
    };
    try {
        ACECheck(&ds_, api_.AdsSetExact22(h, partial_ ? 0 : 1));
        if (hadAof && hadFilter) {
            found = scanLocally(rtl::toAnsi(expr));
        } else {
            std::vector<WCHAR16> w = utf16(expr);
            if (hadAof)
                ACECheck(&ds_, api_.AdsSetFilter100(h, w.data(), ADS_FILTER_UTF16));
            else
                ACECheck(&ds_,
                         api_.AdsSetAOF100(h, w.data(), ADS_FILTER_UTF16 | ADS_AOF_RESOLVE_NOW));
            ACECheck(&ds_, api_.AdsGotoTop(ds_.mlActiveHandle));
            UNSIGNED16 eof = 0;
            ACECheck(&ds_, api_.AdsAtEOF(h, &eof));
            found = !eof;
        }
    } catch (...) {
        try {
            restore();
        } catch (const rtl::Exception&) {
            // The first failure is the one reported.
        }
        throw;
    }
    restore();
    return found;
}

bool AdsLocate::scanLocally(const QByteArray& expr) {
    ACECheck(&ds_, api_.AdsGotoTop(ds_.mlActiveHandle));
    for (;;) {
        UNSIGNED16 eof = 0;
        ACECheck(&ds_, api_.AdsAtEOF(ds_.mlHandle, &eof));
        if (eof) return false;
        UNSIGNED16 result = 0;
        ACECheck(&ds_, api_.AdsEvalLogicalExpr(ds_.mlActiveHandle, expr.constData(), &result));
        if (result) return true;
        ACECheck(&ds_, api_.AdsSkip(ds_.mlActiveHandle, 1));
    }
}

bool TAdsDataSet::LocateRecord(const QString& keyFields, const QVariant& keyValues,
                               TLocateOptions options) {
    return AdsLocate(*this, options).run(keyFields, keyValues);
}
