// adsdata.cpp: TAdsDataSet's common open steps, row reading, record count and closing.
#include "data/adsdata.h"

#include <cstring>

#include "data/ace.h"
#include "data/adscnnct.h"
#include "data/adserror.h"
#include "rtl/ansi.h"
#include "rtl/string_list.h"

namespace {

// Record buffer layout after the record image: sequence number (4 bytes), status (1),
// bookmark flag (1), then the bookmark.
constexpr int kSeqOffset = 0, kFlagOffset = 5, kInfoSize = 6;
constexpr UNSIGNED16 kFieldNameLength = 128;  // 129-character buffer
constexpr UNSIGNED16 kIndexNameLength = 128;
constexpr UNSIGNED16 kSegmentNameLength = 510;
constexpr UNSIGNED16 kConditionLength = 510;
constexpr UNSIGNED16 kScopeLength = 260;

QString ansiText(const char* buf) {
    return rtl::fromAnsi(QByteArray(buf));
}

}  // namespace

TAdsDataSet::TAdsDataSet(QObject* owner) : TDataSet(owner) {}

TAdsDataSet::~TAdsDataSet() {
    try {
        Close();
    } catch (const rtl::Exception&) {
    }
    if (FConnection) FConnection->RemoveTableFromConnectList(this);
}

void TAdsDataSet::SetAdsConnection(TAdsConnection* connection) {
    if (Active()) adsLayerError(this, QStringLiteral("Table must not be Active."));
    if (connection == FConnection) return;
    if (FConnection) FConnection->RemoveTableFromConnectList(this);
    FConnection = connection;
    if (FConnection) FConnection->AddTableToConnectList(this);
}

QString TAdsDataSet::DatabasePath() const {
    if (!FConnection) return QString();
    QString path = FConnection->GetConnectionPath();
    if (path.endsWith(u'/') || path.endsWith(u'\\')) path.chop(1);
    return path;
}

QString TAdsDataSet::EffectiveCollation() const {
    if (!FOptions.AdsCollation.isEmpty()) return FOptions.AdsCollation;
    if (FConnection && !FConnection->Collation.isEmpty()) return FConnection->Collation;
    return charTypeName(FOptions.AdsCharType);
}

uint32_t TAdsDataSet::ConnectionHandleChecked() {
    uint32_t h = FConnection ? FConnection->ConnectAndGetHandle() : 0;
    if (h == 0 || h == kNoHandle)
        adsLayerError(this, QStringLiteral("Internal Error: invalid connection handle."));
    return h;
}

void TAdsDataSet::InvalidateAceHandles() {
    mlHandle = mlActiveHandle = kNoHandle;
}

ads::ColumnContext TAdsDataSet::Context() const {
    ads::ColumnContext c;
    c.tableType = musAceTableType;
    c.handle = mlHandle;
    c.preserveSpaces = FOptions.AdsPreserveSpaces;
    return c;
}

const TACEFieldDef* TAdsDataSet::ColumnOf(const TField* field) const {
    int no = field->FieldNo();
    if (no < 1 || no > static_cast<int>(mFieldDescs.size())) return nullptr;
    return &mFieldDescs[static_cast<size_t>(no - 1)];
}

int TAdsDataSet::RecordBufferSize() const {
    return static_cast<int>(musRecordSize + kInfoSize + mulBookmarkSize);
}

TBookmarkFlag TAdsDataSet::BookmarkFlag(const QByteArray& buffer) const {
    return static_cast<TBookmarkFlag>(buffer[static_cast<qsizetype>(musRecordSize) + kFlagOffset]);
}

void TAdsDataSet::SetBookmarkFlag(QByteArray& buffer, TBookmarkFlag flag) {
    buffer[static_cast<qsizetype>(musRecordSize) + kFlagOffset] = static_cast<char>(flag);
}

QByteArray TAdsDataSet::GetBookmarkData(const QByteArray& buffer) const {
    TBookmarkFlag flag = BookmarkFlag(buffer);
    if (flag != TBookmarkFlag::bfCurrent && flag != TBookmarkFlag::bfInserted) return QByteArray();
    return buffer.mid(static_cast<qsizetype>(musRecordSize) + kInfoSize,
                      static_cast<qsizetype>(mulBookmarkSize));
}

uint32_t TAdsDataSet::BookmarkRecNo(const QByteArray& buffer) const {
    if (mulBookmarkSize < 4) return 0;
    return static_cast<uint32_t>(ads::get32(buffer.constData() + musRecordSize + kInfoSize));
}

void TAdsDataSet::SetBookmarkRecNo(QByteArray& buffer, uint32_t recNo) {
    if (mulBookmarkSize >= 4)
        ads::put32(buffer.data() + musRecordSize + kInfoSize, static_cast<int32_t>(recNo));
}

void TAdsDataSet::RecomputeRecordLayout() {
    UNSIGNED32 len = 0;
    ADSHANDLE h = mlActiveHandle != kNoHandle ? mlActiveHandle : mlHandle;
    ACECheck(this, ace::api().AdsGetBookmarkLength(h, &len));
    mulBookmarkSize = len;
    mpFilterBuffer = QByteArray(RecordBufferSize(), '\0');
}

void TAdsDataSet::InternalOpen() {
    if (mlHandle != kNoHandle) adsLayerError(this, QStringLiteral("Table is already open."));
    OpenEngineFiles();
    const ace::FunctionTable& api = ace::api();
    UNSIGNED32 length = 0, options = 0;
    ACECheck(this, api.AdsGetRecordLength(mlHandle, &length));
    musRecordSize = length;
    ACECheck(this, api.AdsGetTableOpenOptions(mlHandle, &options));
    mulTableOptions = options;
    mbCanModify = (options & ADS_READONLY) == 0;
    if (mbCanModify && (options & ADS_EXCLUSIVE)) {
        UNSIGNED16 live = 0;
        if (api.AdsSqlPeekStatement(mlHandle, &live) == AE_SUCCESS && !live) mbExclusive = true;
    }
    if (FOptions.AdsRecordCache == TAdsRecordCache::rcNone)
        ACECheck(this, api.AdsCacheRecords(mlHandle, 0));
    else if (FOptions.AdsRecordCache == TAdsRecordCache::rcAggressive)
        ACECheck(this, api.AdsCacheRecords(mlHandle, 100));
    ADSHANDLE first = 0;
    UNSIGNED16 count = 1;
    UNSIGNED32 rc = api.AdsGetAllIndexes(mlHandle, &first, &count);
    UNSIGNED32 pageSize = 0;
    if ((rc == AE_SUCCESS || rc == AE_INSUFFICIENT_BUFFER) && count > 0 &&
        api.AdsGetIndexPageSize(first, &pageSize) != AE_SUCCESS)
        pageSize = 0;
    mulIndexPageSize = pageSize;
    const bool hasIndexes = rc != AE_SUCCESS || count > 0;  // an empty list: nothing to describe
    RecomputeRecordLayout();
    // A static result with the columns of the last open keeps its descriptions and fields.
    const bool sameColumns = mbCursorReadOnly && sameColumnsAsDescribed();
    if (!sameColumns) InternalInitFieldDefs();
    if (!sameColumns || !TakeBackParkedFields()) CreateFields();
    for (TField* f : FieldList()) {
        const TACEFieldDef* col = nullptr;
        for (const TACEFieldDef& c : mFieldDescs)
            if (c.FName.compare(f->FieldName(), Qt::CaseInsensitive) == 0) col = &c;
        if (auto* bcd = dynamic_cast<TBCDField*>(f)) {
            bool adsBcd = dynamic_cast<TAdsBCDField*>(f) != nullptr;
            bcd->SetCurrency(!adsBcd ||
                             !(col && (col->FType == ADS_NUMERIC || col->FType == ADS_ROWVERSION)));
        }
        if (auto* s = dynamic_cast<TAdsStringField*>(f))
            s->SetCaseInsensitive(col && col->FType == ADS_CISTRING);
    }
    BindFields();
    if (hasIndexes)
        readIndexDescriptions();
    else
        mIndexDescs.clear();
    SwitchToRequestedIndex();
    ACECheck(this, api.AdsGotoBOF(mlActiveHandle));
}

// The engine's number of the open cursor's layout, 0 when the engine gives none.
uint32_t TAdsDataSet::engineLayoutId() const {
    const auto get = ace::api().EngineGetLayoutId;
    UNSIGNED32 id = 0;
    return get && get(mlHandle, &id) == AE_SUCCESS ? id : 0;
}

// Whether the open cursor's columns are those mFieldDescs describe. The engine's layout
// number answers in one call when it names the layout described; otherwise names, types,
// sizes and nullability are asked column by column. What follows from them (offsets, field
// types) is then the same too.
bool TAdsDataSet::sameColumnsAsDescribed() {
    const DescribedUnder now{musAceTableType, musRecordSize, FOptions.AdsNumericsAsFloats};
    if (mDescribedUnder != now) return false;
    const uint32_t layout = engineLayoutId();
    if (layout != 0 && layout == mulDescribedLayout) return true;
    const ace::FunctionTable& api = ace::api();
    UNSIGNED16 n = 0;
    ACECheck(this, api.AdsGetNumFields(mlHandle, &n));
    if (n != mFieldDescs.size()) return false;
    for (const TACEFieldDef& col : mFieldDescs) {
        const ADSFIELDID fld = ADSFIELD(col.FNumber);
        UNSIGNED16 type = 0, decimals = 0, nullable = 0;
        UNSIGNED32 length = 0;
        ACECheck(this, api.AdsGetFieldType(mlHandle, fld, &type));
        ACECheck(this, api.AdsGetFieldLength(mlHandle, fld, &length));
        if (type != col.FType || (ads::isWideColumn(type) ? length * 2 : length) != col.FLength)
            return false;
        if (type == ADS_NUMERIC) {
            ACECheck(this, api.AdsGetFieldDecimals(mlHandle, fld, &decimals));
            if (decimals != col.FDecimals) return false;
        }
        char name[kFieldNameLength + 1] = {};
        UNSIGNED16 nameLen = kFieldNameLength;
        ACECheck(this, api.AdsGetFieldName(mlHandle, col.FNumber, name, &nameLen));
        if (ansiText(name) != col.FName) return false;
        ACECheck(this, api.AdsIsNullable(mlHandle, fld, &nullable));
        if ((nullable != 0) != col.FNullable) return false;
    }
    mulDescribedLayout = layout;
    return true;
}

void TAdsDataSet::InternalInitFieldDefs() {
    const ace::FunctionTable& api = ace::api();
    FieldDefs().Clear();
    mFieldDescs.clear();
    mDescribedUnder.reset();
    mulDescribedLayout = 0;
    UNSIGNED16 n = 0;
    ACECheck(this, api.AdsGetNumFields(mlHandle, &n));
    for (UNSIGNED16 i = 1; i <= n; ++i) {
        TACEFieldDef col;
        col.FNumber = i;
        UNSIGNED16 type = 0, decimals = 0, nullable = 0;
        UNSIGNED32 length = 0, offset = 0;
        ACECheck(this, api.AdsGetFieldType(mlHandle, ADSFIELD(i), &type));
        ACECheck(this, api.AdsGetFieldLength(mlHandle, ADSFIELD(i), &length));
        if (type == ADS_NUMERIC)
            ACECheck(this, api.AdsGetFieldDecimals(mlHandle, ADSFIELD(i), &decimals));
        ads::MappedType mapped = ads::mapColumnType(this, type, length, decimals, musAceTableType,
                                                    FOptions.AdsNumericsAsFloats);
        char name[kFieldNameLength + 1] = {};
        UNSIGNED16 nameLen = kFieldNameLength;
        ACECheck(this, api.AdsGetFieldName(mlHandle, i, name, &nameLen));
        col.FName = ansiText(name);
        TFieldDef& def = FieldDefs().Add(col.FName, mapped.type, mapped.size, false);
        def.Precision = mapped.precision;
        ACECheck(this, api.AdsIsNullable(mlHandle, ADSFIELD(i), &nullable));
        ACECheck(this, api.AdsGetFieldOffset(mlHandle, ADSFIELD(i), &offset));
        UNSIGNED8 permissions = 0;
        ACECheck(this, api.AdsGetColumnPermissions(mlHandle, i, &permissions));
        col.FType = type;
        col.FLength = ads::isWideColumn(type) ? length * 2 : length;
        col.FDecimals = decimals;
        col.FNullable = nullable != 0;
        col.FOffset = offset;
        col.FPermissions = permissions;
        mFieldDescs.push_back(col);
    }
    mDescribedUnder = DescribedUnder{musAceTableType, musRecordSize, FOptions.AdsNumericsAsFloats};
    mulDescribedLayout = engineLayoutId();
}

TField* TAdsDataSet::CreateFieldFor(const TFieldDef& def) {
    if (def.DataType == TFieldType::ftString) return new TAdsStringField(this, def.Size);
    if (def.DataType == TFieldType::ftBCD) return new TAdsBCDField(this);
    return TDataSet::CreateFieldFor(def);
}

void TAdsDataSet::readIndexDescriptions() {
    const ace::FunctionTable& api = ace::api();
    mIndexDescs.clear();
    UNSIGNED16 n = 0;
    ACECheck(this, api.AdsGetNumIndexes(mlHandle, &n));
    if (n == 0) return;
    std::vector<ADSHANDLE> handles(n);
    ACECheck(this, api.AdsGetAllIndexes(mlHandle, handles.data(), &n));
    for (UNSIGNED16 k = 0; k < n && k < handles.size(); ++k) {
        ADSHANDLE h = handles[k];
        TAdsIndexDesc d;
        char name[kSegmentNameLength + 1] = {};
        UNSIGNED16 len = kIndexNameLength;
        ACECheck(this, api.AdsGetIndexName(h, name, &len));
        d.Name = ansiText(name);
        UNSIGNED16 segments = 0;
        ACECheck(this, api.AdsGetNumSegments(h, &segments));
        QStringList fields;
        for (UNSIGNED16 s = 1; s <= segments; ++s) {
            std::memset(name, 0, sizeof name);
            len = kSegmentNameLength;
            ACECheck(this, api.AdsGetSegmentFieldname(h, s, name, &len));
            fields << ansiText(name).toUpper();
        }
        d.Fields = fields.join(u';');
        UNSIGNED16 flag = 0;
        ACECheck(this, api.AdsIsIndexDescending(h, &flag));
        d.Descending = flag != 0;
        ACECheck(this, api.AdsIsIndexUnique(h, &flag));
        d.Unique = flag != 0;
        ACECheck(this, api.AdsIsIndexPrimaryKey(h, &flag));
        d.Primary = flag != 0;
        mIndexDescs.push_back(d);
    }
}

void TAdsDataSet::InternalClose() {
    mpFilterBuffer.clear();
    if (mlHandle != kNoHandle) {
        try {
            ace::api().AdsCloseTable(mlHandle);  // a failure here changes nothing
        } catch (const rtl::Exception&) {
        }
    }
    mlHandle = mlActiveHandle = kNoHandle;
    mLocateIndexFacts.clear();
    mLocateIndexes.reset();
    mLocateSettings = {};
    mBlankRecord.clear();
    mbCanModify = false;
    mbCursorReadOnly = false;
}

void TAdsDataSet::InternalFirst() {
    ACECheck(this, ace::api().AdsGotoBOF(mlActiveHandle));
}

void TAdsDataSet::InternalSetToRecord(QByteArray& buffer) {
    UNSIGNED32 rc = ace::api().AdsGotoBookmark(mlHandle, BookmarkRecNo(buffer));
    if (rc != AE_INVALID_RECORD_NUMBER) ACECheck(this, rc);
}

TGetResult TAdsDataSet::GetRecord(QByteArray& buffer, TGetMode mode, bool) {
    if (buffer.size() < RecordBufferSize()) buffer.resize(RecordBufferSize());
    const TGetResult got = ace::api().EngineReadRow ? readRowInOneCall(buffer, mode)
                                                    : readRowCallByCall(buffer, mode);
    if (got != TGetResult::grOK) return got;
    readTranslatedColumns(buffer);
    SetBookmarkFlag(buffer, TBookmarkFlag::bfCurrent);
    // A bookmark begins with the record number; only a shorter one needs the engine asked.
    UNSIGNED32 recNo = BookmarkRecNo(buffer);
    if (mulBookmarkSize < 4)
        ACECheck(this, ace::api().AdsGetRecordNum(mlHandle, ADS_IGNOREFILTERS, &recNo));
    ads::put32(buffer.data() + musRecordSize + kSeqOffset, static_cast<int32_t>(recNo));
    return TGetResult::grOK;
}

// The move and the current-row step, skipping rows the cursor does not show, with the
// image and bookmark of the row taken, each asked of the engine by its own call.
TGetResult TAdsDataSet::readRowCallByCall(QByteArray& buffer, TGetMode mode) {
    const ace::FunctionTable& api = ace::api();
    const SIGNED32 step = mode == TGetMode::gmNext ? 1 : -1;
    if (mode != TGetMode::gmCurrent) ACECheck(this, api.AdsSkip(mlActiveHandle, step));
    for (;;) {
        // Moving forward, only the end matters, and moving back only the start.
        UNSIGNED16 at = 0;
        if (mode != TGetMode::gmPrior) {
            ACECheck(this, api.AdsAtEOF(mlHandle, &at));
            if (at) return TGetResult::grEOF;
        }
        if (mode != TGetMode::gmNext) {
            ACECheck(this, api.AdsAtBOF(mlHandle, &at));
            if (at) return TGetResult::grBOF;
        }
        UNSIGNED16 visible = 0;
        UNSIGNED32 rc = api.AdsIsRecordVisible(mlActiveHandle, &visible);
        if (rc != AE_NO_CURRENT_RECORD) ACECheck(this, rc);
        if (visible) break;
        if (mode == TGetMode::gmCurrent) return TGetResult::grError;
        ACECheck(this, api.AdsSkip(mlActiveHandle, step));
    }
    auto* image = reinterpret_cast<UNSIGNED8*>(buffer.data());
    UNSIGNED32 len = musRecordSize;
    ACECheck(this, api.AdsGetRecord(mlHandle, image, &len));
    len = mulBookmarkSize;
    ACECheck(this, api.AdsGetBookmark60(mlActiveHandle, image + musRecordSize + kInfoSize, &len));
    return TGetResult::grOK;
}

// The same step when the engine reads a row in one call: the move, where it landed, the
// image and the bookmark together.
TGetResult TAdsDataSet::readRowInOneCall(QByteArray& buffer, TGetMode mode) {
    const auto readRow = ace::api().EngineReadRow;
    SIGNED32 step = mode == TGetMode::gmNext ? 1 : mode == TGetMode::gmPrior ? -1 : 0;
    for (;;) {
        auto* image = reinterpret_cast<UNSIGNED8*>(buffer.data());
        UNSIGNED16 where = 0;
        UNSIGNED32 len = musRecordSize, bookmarkLen = mulBookmarkSize;
        ACECheck(this, readRow(mlActiveHandle, step, &where, image, &len,
                               image + musRecordSize + kInfoSize, &bookmarkLen));
        if ((where & ENGINE_ROW_EOF) && mode != TGetMode::gmPrior) return TGetResult::grEOF;
        if ((where & ENGINE_ROW_BOF) && mode != TGetMode::gmNext) return TGetResult::grBOF;
        if (where == 0) return TGetResult::grOK;
        if (mode == TGetMode::gmCurrent) return TGetResult::grError;
        step = mode == TGetMode::gmNext ? 1 : -1;
    }
}

// Columns the record image does not carry as read: blobs' presence, and OEM text, which
// the engine translates only when a field is read.
void TAdsDataSet::readTranslatedColumns(QByteArray& buffer) {
    const ace::FunctionTable& api = ace::api();
    for (const TACEFieldDef& col : mFieldDescs) {
        if (ads::isBlobColumn(col.FType)) {
            UNSIGNED16 empty = 0, null = 0;
            ACECheck(this, api.AdsIsEmpty(mlHandle, ADSFIELD(col.FNumber), &empty));
            ACECheck(this, api.AdsIsNull(mlHandle, ADSFIELD(col.FNumber), &null));
            ads::put32(buffer.data() + col.FOffset, empty || null ? 0 : -1);
        } else if (musOpenCharType == ADS_OEM &&
                   (ads::isStringColumn(col.FType) || ads::isWideColumn(col.FType))) {
            // The engine translates OEM text on this call only; it writes a NUL past the column.
            char* at = buffer.data() + col.FOffset;
            char saved = at[col.FLength];
            UNSIGNED32 l = col.FLength + 1;
            if (ads::isWideColumn(col.FType)) {
                std::vector<WCHAR16> wide(col.FLength / 2 + 1);
                l = col.FLength / 2 + 1;
                ACECheck(this,
                         api.AdsGetFieldW(mlHandle, ADSFIELD(col.FNumber), wide.data(), &l, 0));
                std::memcpy(at, wide.data(), col.FLength);
            } else {
                ACECheck(this, api.AdsGetField(mlHandle, ADSFIELD(col.FNumber),
                                               reinterpret_cast<UNSIGNED8*>(at), &l, 0));
            }
            at[col.FLength] = saved;
        }
    }
}

int TAdsDataSet::GetRecordCount() {
    const ace::FunctionTable& api = ace::api();
    UNSIGNED16 option = ADS_IGNOREFILTERS;
    if (FOptions.AdsFilterOptions == TAdsFilterOptions::RESPECT_WHEN_COUNTING)
        option = ADS_RESPECTFILTERS;
    else if (FOptions.AdsScopeOptions == TAdsScopeOptions::RESPECT_SCOPES_WHEN_COUNTING)
        option = ADS_RESPECTSCOPES;
    ADSHANDLE handle = mlActiveHandle;
    if (option == ADS_RESPECTFILTERS && mlActiveHandle != mlHandle) {
        UNSIGNED32 flags = 0;
        ACECheck(this, api.AdsGetIndexFlags(mlActiveHandle, &flags));
        if (musAceTableType == ADS_ADT || !(flags & ADS_INDEX_UNIQUE)) {
            char cond[kConditionLength + 1] = {};
            UNSIGNED16 len = kConditionLength;
            ACECheck(this, api.AdsGetIndexCondition(mlActiveHandle, cond, &len));
            UNSIGNED8 scope[kScopeLength + 1];
            UNSIGNED16 slen = kScopeLength;
            if (cond[0] == '\0' &&
                api.AdsGetScope(mlActiveHandle, ADS_TOP, scope, &slen) == AE_NO_SCOPE &&
                (slen = kScopeLength,
                 api.AdsGetScope(mlActiveHandle, ADS_BOTTOM, scope, &slen) == AE_NO_SCOPE))
                handle = mlHandle;
        }
    }
    if (FOptions.AdsFreshRecordCount) option += ADS_REFRESHCOUNT;
    UNSIGNED32 count = 0;
    ACECheck(this, api.AdsGetRecordCount(handle, option, &count));
    return static_cast<int>(count);
}

void TAdsDataSet::GetFieldNames(rtl::StringList& list) {
    if (FieldCount() > 0) return TDataSet::GetFieldNames(list);
    bool wasActive = Active();
    if (!wasActive) Open();
    for (const TACEFieldDef& col : mFieldDescs) list.add(col.FName);
    if (!wasActive) Close();
}
