// adsquery.cpp: TAdsQuery: SQL lines, parameters, the statement handle and execution.
#include <cmath>
#include <cstring>

#include "data/ace.h"
#include "data/adscnnct.h"
#include "data/adserror.h"
#include "data/adstable.h"
#include "rtl/ansi.h"

namespace {

constexpr UNSIGNED16 kCollationLength = 100;
constexpr double kMsPerDay = 86400000.0;
constexpr int32_t kJulianOfDayZero = 1721425;  // the native date forms count from 0001-01-01

std::vector<WCHAR16> utf16(const QString& s) {
    std::vector<WCHAR16> out(s.utf16(), s.utf16() + s.size());
    out.push_back(0);
    return out;
}

bool isQuote(QChar c) {
    return c == u'\'' || c == u'"' || c == u'`';
}

bool endsName(QChar c) {
    return c == u'\n' || c == u'\r' || c == u' ' || c == u')' || c == u',' || c == u';';
}

}  // namespace

void TSQLLines::Set(int i, const QString& text) {
    if (i < 0 || i >= lines_.size())
        throw EStringListError(QStringLiteral("Index de liste hors limites (%1)").arg(i));
    lines_[i] = text;
    changed_();
}

void TSQLLines::Assign(const QStringList& lines) {
    if (lines == lines_) return;
    lines_ = lines;
    changed_();
}

void TSQLLines::Add(const QString& text) {
    lines_.append(text);
    changed_();
}

QString TSQLLines::Text() const {
    QString out;
    for (const QString& line : lines_) out += line + QStringLiteral("\r\n");
    return out;
}

TAdsQuery::TAdsQuery(QObject* owner) : TAdsDataSet(owner), sql_([this] { QueryChanged(); }) {}

TAdsQuery::~TAdsQuery() {
    try {
        Close();
        if (mhStmt != kNoHandle && FConnection && FConnection->IsConnected())
            ace::api().AdsCloseSQLStatement(mhStmt);  // 5106: already gone, nothing to do
    } catch (const rtl::Exception&) {
    }
}

void TAdsQuery::QueryChanged() {
    QByteArray text = rtl::toAnsi(sql_.Text());
    text.append('\0');
    ACECheck(this,
             ace::api().AdsGetSQLStmtParams(text.data(), static_cast<UNSIGNED32>(text.size())));
    if (Loading) return;
    Close();
    UnPrepare();
    if (ParamCheck) scanParams(rtl::fromAnsi(QByteArray(text.constData())));
    DataEvent(TDataEvent::deLayoutChange);
}

void TAdsQuery::scanParams(const QString& text) {
    TParams previous = params_;
    params_.Clear();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        QChar c = text[i];
        if (isQuote(c)) {
            qsizetype close = text.indexOf(c, i + 1);
            i = close < 0 ? n : close + 1;
            continue;
        }
        if (c != u':') {
            ++i;
            continue;
        }
        if (i + 1 < n && text[i + 1] == u':') {
            i += 2;
            continue;
        }
        QString name;
        if (i + 1 < n && isQuote(text[i + 1])) {
            qsizetype close = text.indexOf(text[i + 1], i + 2);
            qsizetype end = close < 0 ? n : close;
            name = text.mid(i + 2, end - i - 2);
            i = close < 0 ? n : close + 1;
        } else {
            qsizetype end = i + 1;
            while (end < n && !endsName(text[end])) ++end;
            name = text.mid(i + 1, end - i - 1);
            i = end;
        }
        if (!name.isEmpty() && !params_.FindParam(name))
            params_.CreateParam(TFieldType::ftUnknown, name);
    }
    params_.AssignValues(previous);
}

void TAdsQuery::Prepare() {
    if (mlHandle != kNoHandle)
        adsLayerError(this, QStringLiteral("Cannot perform this operation on an open dataset"));
    prepared_ = true;
    rowsAffected_ = -1;
}

void TAdsQuery::UnPrepare() {
    if (mlHandle != kNoHandle)
        adsLayerError(this, QStringLiteral("Cannot perform this operation on an open dataset"));
    prepared_ = false;
}

void TAdsQuery::InvalidateAceHandles() {
    TAdsDataSet::InvalidateAceHandles();
    prepared_ = false;
    mhStmt = mhConnection = kNoHandle;
}

void TAdsQuery::ValidateHandles() {
    const ace::FunctionTable& api = ace::api();
    if (mhStmt != kNoHandle) {
        UNSIGNED16 type = 0;
        if (api.AdsGetHandleType(mhStmt, &type) == AE_SUCCESS && type == ADS_STATEMENT) return;
    }
    mhStmt = kNoHandle;
    if (!FConnection && databaseName_.isEmpty())
        adsLayerError(this,
                      QStringLiteral("The DatabaseName property has not been assigned a value."));
    uint32_t connection = FConnection ? FConnection->ConnectAndGetHandle() : mhConnection;
    if (connection == 0 || connection == kNoHandle)
        adsLayerError(this, QStringLiteral("Internal Error: invalid connection handle."));
    ADSHANDLE stmt = 0;
    ACECheck(this, api.AdsCreateSQLStatement(connection, &stmt));
    mhStmt = stmt;
    givenOptions_.reset();
    if (SQLTimeout != 0) ACECheck(this, api.AdsSetSQLTimeout(mhStmt, SQLTimeout));
}

void TAdsQuery::setStatementOptions() {
    const StatementOptions wanted{
        FOptions.AdsLockType == TAdsLockType::Proprietary ? uint16_t(ADS_PROPRIETARY_LOCKING)
                                                          : uint16_t(ADS_COMPATIBLE_LOCKING),
        FOptions.AdsRightsCheck ? uint16_t(ADS_CHECKRIGHTS) : uint16_t(ADS_IGNORERIGHTS),
        uint16_t(RequestLive ? 2 : 1),
        static_cast<uint16_t>(engineTableType(meTableType)),
        uint16_t(Constrained ? 1 : 2),
        uint16_t(ReadAllColumns ? 1 : 2),
        rtl::toAnsi(EffectiveCollation())};
    if (givenOptions_ == wanted) return;
    givenOptions_.reset();  // until every option is given
    const ace::FunctionTable& api = ace::api();
    ACECheck(this, api.AdsStmtSetTableLockType(mhStmt, wanted.lockType));
    ACECheck(this, api.AdsStmtSetTableCollation(mhStmt, wanted.collation.constData()));
    ACECheck(this, api.AdsStmtSetTableRights(mhStmt, wanted.rights));
    ACECheck(this, api.AdsStmtSetTableReadOnly(mhStmt, wanted.readOnly));
    ACECheck(this, api.AdsStmtSetTableType(mhStmt, wanted.tableType));
    ACECheck(this, api.AdsStmtConstrainUpdates(mhStmt, wanted.constrained));
    ACECheck(this, api.AdsStmtReadAllColumns(mhStmt, wanted.readAllColumns));
    givenOptions_ = wanted;
}

void TAdsQuery::bindParams() {
    const ace::FunctionTable& api = ace::api();
    using T = TFieldType;
    for (int i = 0; i < params_.Count(); ++i) {
        const TParam& p = params_[i];
        ADSFIELDID fld = ADSFIELD(i + 1);
        if (p.IsNull()) {
            ACECheck(this, api.AdsSetEmpty(mhStmt, fld));
            continue;
        }
        const QVariant& v = p.Value;
        double stamp = p.DataType == T::ftDate ? v.toInt() * kMsPerDay : v.toDouble();
        auto julian = static_cast<int32_t>(std::floor(stamp / kMsPerDay)) + kJulianOfDayZero;
        auto msOfDay =
            static_cast<int32_t>(std::lround(stamp - std::floor(stamp / kMsPerDay) * kMsPerDay));
        switch (p.DataType) {
            case T::ftUnknown:
                adsLayerError(
                    this, QStringLiteral("The field named: '") + p.Name +
                              QStringLiteral("' has the DataType of ftUnknown, which is invalid."));
            case T::ftBoolean:
                ACECheck(this, api.AdsSetLogical(mhStmt, fld, v.toBool() ? 1 : 0));
                break;
            case T::ftFloat:
            case T::ftCurrency:
                ACECheck(this, api.AdsSetDouble(mhStmt, fld, v.toDouble()));
                break;
            case T::ftDate:
                ACECheck(this, api.AdsSetJulian(mhStmt, fld, julian));
                break;
            case T::ftTime:
                ACECheck(this, api.AdsSetMilliseconds(mhStmt, fld, v.toInt()));
                break;
            case T::ftDateTime:
            case T::ftTimeStamp: {
                UNSIGNED8 raw[8];
                std::memcpy(raw, &julian, 4);
                std::memcpy(raw + 4, &msOfDay, 4);
                ACECheck(this, api.AdsSetTimeStampRaw(mhStmt, fld, raw, 8));
                break;
            }
            case T::ftBytes:
            case T::ftVarBytes:
            case T::ftBlob:
            case T::ftGraphic: {
                QByteArray b = v.toByteArray();
                ACECheck(this, api.AdsSetBinary(mhStmt, fld, 6, UNSIGNED32(b.size()), 0,
                                                reinterpret_cast<const UNSIGNED8*>(b.constData()),
                                                UNSIGNED32(b.size())));
                break;
            }
            case T::ftWideString:
            case T::ftWideMemo: {
                QString s = v.toString();
                ACECheck(this,
                         api.AdsSetStringW(mhStmt, fld, utf16(s).data(), UNSIGNED32(s.size())));
                break;
            }
            case T::ftParadoxOle:
            case T::ftDBaseOle:
            case T::ftTypedBinary:
            case T::ftCursor:
                adsLayerError(this, QStringLiteral("The field named: '") + p.Name +
                                        QStringLiteral("' has a DataType that is not supported."));
            case T::ftString:
            case T::ftSmallint:
            case T::ftInteger:
            case T::ftWord:
            case T::ftBCD:
            case T::ftAutoInc:
            case T::ftMemo:
            case T::ftFmtMemo:
            case T::ftFixedChar:
            case T::ftLargeint: {
                QString s = v.typeId() == QMetaType::QByteArray ? rtl::fromAnsi(v.toByteArray())
                                                                : v.toString();
                ACECheck(this, api.AdsSetString(mhStmt, fld, rtl::toAnsi(s).constData(),
                                                UNSIGNED32(s.size())));
                break;
            }
            default:
                break;  // left unbound
        }
    }
}

uint32_t TAdsQuery::InternalExecute() {
    CheckInactive();
    const ace::FunctionTable& api = ace::api();
    ValidateHandles();
    setStatementOptions();
    Prepare();
    ACECheck(this, api.AdsPrepareSQLW(mhStmt, utf16(sql_.Text()).data()));
    bindParams();
    ADSHANDLE cursor = 0;
    try {
        ACECheck(this, api.AdsExecuteSQL(mhStmt, &cursor));
    } catch (const EADSDatabaseError& e) {
        if (e.message().contains(QStringLiteral("7209"))) {
            api.AdsCloseSQLStatement(mhStmt);
            mhStmt = kNoHandle;
        }
        throw;
    }
    try {
        if (cursor != 0) {
            UNSIGNED16 live = 0;
            ACECheck(this, api.AdsSqlPeekStatement(cursor, &live));
            mbCursorReadOnly = !live;
            if (live) {
                UNSIGNED16 charType = 0;
                ACECheck(this, api.AdsGetTableCharType(cursor, &charType));
                musOpenCharType = charType;
                char collation[kCollationLength + 1] = {};
                UNSIGNED16 len = kCollationLength;
                UNSIGNED32 rc = api.AdsGetTableCollation(cursor, collation, &len);
                if (rc != AE_NO_COLLATION) ACECheck(this, rc);
                if (rc == AE_NO_COLLATION || collation[0] == '\0')
                    FOptions.AdsCharType =
                        charType == ADS_OEM ? TAdsCharType::OEM : TAdsCharType::ANSI;
            }
        }
        UNSIGNED32 count = 0;
        UNSIGNED32 rc = api.AdsGetRecordCount(mhStmt, ADS_IGNOREFILTERS, &count);
        if (rc == AE_NO_ROW_COUNT) {
            rowsAffected_ = -1;
        } else {
            ACECheck(this, rc);
            rowsAffected_ = static_cast<int32_t>(count);
        }
    } catch (...) {
        if (cursor != 0) api.AdsCloseTable(cursor);  // no cursor is left behind
        throw;
    }
    return cursor != 0 ? cursor : kNoHandle;
}

void TAdsQuery::ExecSQL() {
    uint32_t cursor = InternalExecute();
    if (cursor != kNoHandle) ACECheck(this, ace::api().AdsCloseTable(cursor));
}

void TAdsQuery::OpenEngineFiles() {
    uint32_t cursor = InternalExecute();
    if (cursor == kNoHandle)
        adsLayerError(
            this, QStringLiteral("The SQL statement did not generate a cursor handle.  Use "
                                 "TAdsQuery.ExecSQL to execute SQL statements that are not SELECT "
                                 "statements"));
    mlHandle = cursor;
    UNSIGNED16 type = 0;
    ACECheck(this, ace::api().AdsGetTableType(cursor, &type));
    musAceTableType = type;
}

void TAdsQuery::InternalClose() {
    TAdsDataSet::InternalClose();
    prepared_ = false;
}
