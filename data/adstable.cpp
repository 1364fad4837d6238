// adstable.cpp: TAdsTable: opening a named table, its default and chosen index orders.
#include "data/adstable.h"

#include "data/ace.h"
#include "data/adscnnct.h"
#include "data/adserror.h"
#include "rtl/ansi.h"

namespace {
constexpr UNSIGNED16 kCollationLength = 100;
constexpr UNSIGNED16 kPropertyLength = 200;
const QString kDefaultIndexName = QStringLiteral("ADS_DEFAULT");
}  // namespace

TAdsTable::TAdsTable(QObject* owner) : TAdsDataSet(owner) {}

TAdsTable::~TAdsTable() {
    try {
        Close();
    } catch (const rtl::Exception&) {
    }
}

void TAdsTable::SetTableName(const QString& name) {
    if (Active())
        adsLayerError(this, QStringLiteral("Cannot perform this operation on an open dataset"));
    tableName_ = name;
    UpdateDefaultIndex();
}

void TAdsTable::SetExclusive(bool v) {
    CheckInactive();
    mbExclusive = v;
}

void TAdsTable::SetReadOnly(bool v) {
    CheckInactive();
    readOnly_ = v;
}

void TAdsTable::UpdateDefaultIndex() {
    if (!FConnection || !FConnection->GetDictionaryFlag() || !FConnection->IsConnected()) return;
    char buf[kPropertyLength + 1] = {};
    UNSIGNED16 len = kPropertyLength;
    UNSIGNED32 rc = ace::api().AdsDDGetTableProperty(FConnection->ConnectionHandle(),
                                                     rtl::toAnsi(tableName_).constData(),
                                                     ADS_DD_TABLE_DEFAULT_INDEX, buf, &len);
    if (rc == AE_SUCCESS) {
        mstrDefaultIndex = rtl::fromAnsi(QByteArray(buf));
        if (indexName_.compare(kDefaultIndexName, Qt::CaseInsensitive) == 0 ||
            (indexName_.isEmpty() && !Loading)) {
            indexName_ = kDefaultIndexName;
            meActiveIndexType = TAdsIndexTypes::ndxDefault;
        }
    } else if (rc == AE_PROPERTY_NOT_SET &&
               indexName_.compare(kDefaultIndexName, Qt::CaseInsensitive) == 0) {
        indexName_.clear();
        meActiveIndexType = TAdsIndexTypes::ndxNone;
    }
}

void TAdsTable::OpenEngineFiles() {
    if (tableName_.isEmpty()) adsLayerError(this, QStringLiteral("Missing TableName property"));
    uint32_t options = (mbExclusive ? ADS_EXCLUSIVE : 0) | (readOnly_ ? ADS_READONLY : 0);
    if (IndexCollationMismatch == TIndexCollationMismatch::icmIgnore)
        options += ADS_IGNORE_COLLATION_MISMATCH;
    if (IndexCollationMismatch == TIndexCollationMismatch::icmReindex)
        options += ADS_REINDEX_ON_COLLATION_MISMATCH;
    if (FOptions.AdsCachingOption == TAdsCachingOption::tcReads) options += ADS_CACHE_READS;
    if (FOptions.AdsCachingOption == TAdsCachingOption::tcWrites) options += ADS_CACHE_WRITES;
    UNSIGNED16 lockType = FOptions.AdsLockType == TAdsLockType::Proprietary
                              ? ADS_PROPRIETARY_LOCKING
                              : ADS_COMPATIBLE_LOCKING;
    auto charType = static_cast<UNSIGNED16>(static_cast<int>(FOptions.AdsCharType) + 1);
    UNSIGNED16 rights = FOptions.AdsRightsCheck ? ADS_CHECKRIGHTS : ADS_IGNORERIGHTS;
    QString path = FConnection ? FConnection->GetConnectionPath() : QString();
    if (path.isEmpty())
        adsLayerError(this, QStringLiteral("One of the DatabaseName property or the AdsConnection "
                                           "property must have a value."));
    uint32_t connection = ConnectionHandleChecked();
    bool dictionary = FConnection->GetDictionaryFlag();
    auto typeToOpen = static_cast<UNSIGNED16>(engineTableType(meTableType));
    QByteArray freeName = rtl::toAnsi(path + u'/' + tableName_);
    QByteArray name = dictionary ? rtl::toAnsi(tableName_) : freeName;
    QByteArray collation = rtl::toAnsi(EffectiveCollation());
    const ace::FunctionTable& api = ace::api();
    ADSHANDLE handle = 0;
    UNSIGNED32 rc =
        api.AdsOpenTable90(connection, name.constData(), nullptr, dictionary ? 0 : typeToOpen,
                           charType, lockType, rights, options, collation.constData(), &handle);
    if (rc == AE_TABLE_NOT_IN_DICTIONARY && dictionary)
        rc = api.AdsOpenTable90(connection, freeName.constData(), nullptr, typeToOpen, charType,
                                lockType, rights, options, collation.constData(), &handle);
    ACECheck(this, rc);
    mlHandle = handle;
    UNSIGNED16 type = 0;
    ACECheck(this, api.AdsGetTableType(handle, &type));
    musAceTableType = type;
    if (dictionary) {
        meTableType = type == ADS_CDX   ? TAdsTableTypes::ttAdsCDX
                      : type == ADS_NTX ? TAdsTableTypes::ttAdsNTX
                      : type == ADS_VFP ? TAdsTableTypes::ttAdsVFP
                                        : TAdsTableTypes::ttAdsADT;
    }
    UNSIGNED16 tableCharType = 0;
    ACECheck(this, api.AdsGetTableCharType(handle, &tableCharType));
    musOpenCharType = tableCharType;
    char buf[kCollationLength + 1] = {};
    UNSIGNED16 len = kCollationLength;
    rc = api.AdsGetTableCollation(handle, buf, &len);
    if (rc != AE_NO_COLLATION) ACECheck(this, rc);
    if (rc == AE_NO_COLLATION || buf[0] == '\0')
        FOptions.AdsCharType = tableCharType == ADS_OEM ? TAdsCharType::OEM : TAdsCharType::ANSI;
}

void TAdsTable::SwitchToRequestedIndex() {
    mlActiveHandle = mlHandle;
    if (meActiveIndexType != TAdsIndexTypes::ndxNone) SwitchToIndex();
}

void TAdsTable::SwitchToIndex() {
    ADSHANDLE active = mlHandle;
    if (meActiveIndexType == TAdsIndexTypes::ndxIndexName ||
        meActiveIndexType == TAdsIndexTypes::ndxDefault) {
        QString name =
            meActiveIndexType == TAdsIndexTypes::ndxDefault ? mstrDefaultIndex : indexName_;
        ACECheck(this,
                 ace::api().AdsGetIndexHandle(mlHandle, rtl::toAnsi(name).constData(), &active));
    }
    mlActiveHandle = active;
    RecomputeRecordLayout();
}

void TAdsTable::SetIndexName(const QString& name) {
    if (Active()) CheckBrowseMode();
    QString previousName = indexName_;
    TAdsIndexTypes previousKind = meActiveIndexType;
    ADSHANDLE previousHandle = mlActiveHandle;
    indexName_ = name;
    meActiveIndexType = name.isEmpty()                        ? TAdsIndexTypes::ndxNone
                        : name.toUpper() == kDefaultIndexName ? TAdsIndexTypes::ndxDefault
                                                              : TAdsIndexTypes::ndxIndexName;
    if (mlHandle == kNoHandle) return;
    try {
        // The engine cursor goes to the current row first, so that the row stays current.
        if (QByteArray* current = ActiveBuffer()) InternalSetToRecord(*current);
        mlActiveHandle = mlHandle;
        SwitchToIndex();
    } catch (...) {
        indexName_ = previousName;
        meActiveIndexType = previousKind;
        mlActiveHandle = previousHandle;
        throw;
    }
    if (Active()) {
        ReallocateBuffers();
        Resync();
    }
}
