// adsdata.h: TAdsDataSet, the dataset over one engine table or SQL cursor: its handles,
// column descriptions, record buffers, the common open steps, navigation, record count,
// field values, closing and Locate. TAdsQuery and TAdsTable supply the opening itself.
#ifndef BREVANTIS_DATA_ADSDATA_H
#define BREVANTIS_DATA_ADSDATA_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "data/adscolumn.h"
#include "data/adsoptions.h"
#include "db/dataset.h"

class TAdsConnection;

// The layer's string field: a framework string field that knows whether its column
// compares without regard to letter case.
class TAdsStringField : public TStringField {
  public:
    explicit TAdsStringField(QObject* owner, int size = 20) : TStringField(owner, size) {}
    bool CaseInsensitive() const { return caseInsensitive_; }
    void SetCaseInsensitive(bool v) { caseInsensitive_ = v; }

  private:
    bool caseInsensitive_ = false;
};

class TAdsBCDField : public TBCDField {
  public:
    explicit TAdsBCDField(QObject* owner) : TBCDField(owner) {}
};

// An index order of the open result.
struct TAdsIndexDesc {
    QString Name;
    QString Fields;  // segment field names in upper case, joined by ";"
    bool Descending = false, Unique = false, Primary = false;
};

class TAdsDataSet : public TDataSet {
  public:
    static constexpr uint32_t kNoHandle = 0xFFFFFFFFu;  // -1: no handle

    explicit TAdsDataSet(QObject* owner);
    ~TAdsDataSet() override;

    TAdsConnection* AdsConnection() const { return FConnection; }
    // Registers the dataset with `connection` (leaving the previous one). REQUIRES: inactive,
    // else EADSDatabaseError "Table must not be Active.".
    void SetAdsConnection(TAdsConnection* connection);
    TAdsTableOptions& AdsTableOptions() { return FOptions; }
    const TAdsTableOptions& AdsTableOptions() const { return FOptions; }
    TAdsTableTypes TableType() const { return meTableType; }
    void SetTableType(TAdsTableTypes type) { meTableType = type; }
    bool StoreActive = true;

    // What errors report about the dataset.
    virtual QString DatabaseName() const { return QString(); }
    virtual QString DatabasePath() const;
    virtual QString TableName() const { return QString(); }

    // Forgets the engine handles that belonged to the connection (it is disconnecting).
    virtual void InvalidateAceHandles();
    // Re-reads the dictionary's default index (tables only).
    virtual void UpdateDefaultIndex() {}
    // The connection is being destroyed: forget it.
    void connectionDestroyed() { FConnection = nullptr; }

    void GetFieldNames(rtl::StringList& list) override;
    QVariant GetFieldData(const TField* field) const override;
    void SetFieldData(TField* field, const QVariant& value) override;

    // The engine handles, for callers that pass them on (and tests).
    uint32_t Handle() const { return mlHandle; }
    uint32_t ActiveHandle() const { return mlActiveHandle; }
    const std::vector<TACEFieldDef>& ColumnDescriptions() const { return mFieldDescs; }
    const std::vector<TAdsIndexDesc>& IndexDescriptions() const { return mIndexDescs; }

  protected:
    // Obtains mlHandle and musAceTableType: the query executes, the table opens.
    virtual void OpenEngineFiles() = 0;
    // Makes mlActiveHandle the requested order (the table's index; the cursor itself).
    virtual void SwitchToRequestedIndex() { mlActiveHandle = mlHandle; }
    // The collation sent to the engine: AdsCollation, else the connection's, else the
    // character type's name.
    QString EffectiveCollation() const;
    // The connection handle, connecting first when needed; fails for 0 and -1.
    uint32_t ConnectionHandleChecked();
    // Recomputes the bookmark length of the active handle and reallocates the buffers.
    void RecomputeRecordLayout();

    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() const override { return mlHandle != kNoHandle; }
    void InternalInitFieldDefs() override;
    TField* CreateFieldFor(const TFieldDef& def) override;
    int RecordBufferSize() const override;
    TGetResult GetRecord(QByteArray& buffer, TGetMode mode, bool doCheck) override;
    void InternalFirst() override;
    void InternalSetToRecord(QByteArray& buffer) override;
    void InternalInitRecord(QByteArray& buffer) override;
    void SetBookmarkFlag(QByteArray& buffer, TBookmarkFlag flag) override;
    // The engine's bookmark of a read or posted row (its first 4 bytes the record number).
    QByteArray GetBookmarkData(const QByteArray& buffer) const override;
    int GetRecordCount() override;
    bool GetCanModify() const override { return mbCanModify && !mbCursorReadOnly; }
    bool RowsAreStatic() const override { return mbCursorReadOnly; }
    bool LocateRecord(const QString& keyFields, const QVariant& keyValues,
                      TLocateOptions options) override;
    void InternalPost() override;
    void InternalInsert() override;
    void InternalCancel() override;

    // Record information of a buffer.
    TBookmarkFlag BookmarkFlag(const QByteArray& buffer) const;
    uint32_t BookmarkRecNo(const QByteArray& buffer) const;
    void SetBookmarkRecNo(QByteArray& buffer, uint32_t recNo);
    ads::ColumnContext Context() const;
    const TACEFieldDef* ColumnOf(const TField* field) const;

    uint32_t mlHandle = kNoHandle;
    uint32_t mlActiveHandle = kNoHandle;
    std::vector<TACEFieldDef> mFieldDescs;
    // What mFieldDescs were read under: they map to fields differently otherwise.
    struct DescribedUnder {
        uint16_t tableType;
        uint32_t recordSize;
        bool numericsAsFloats;
        bool operator==(const DescribedUnder&) const = default;
    };
    std::optional<DescribedUnder> mDescribedUnder;
    uint32_t mulDescribedLayout = 0;  // the engine's number of the layout described; 0: none
    QByteArray mBlankRecord;          // the engine's blank record, asked once per open
    std::vector<TAdsIndexDesc> mIndexDescs;
    uint32_t musRecordSize = 0;
    uint32_t mulBookmarkSize = 0;
    uint32_t mulTableOptions = 0;
    uint32_t mulIndexPageSize = 0;
    bool mbCanModify = false;
    bool mbCursorReadOnly = false;  // a static SQL cursor
    bool mbExclusive = false;
    uint16_t musAceTableType = 3;
    uint16_t musOpenCharType = 1;
    TAdsTableTypes meTableType = TAdsTableTypes::ttAdsADT;
    TAdsTableOptions FOptions;
    TAdsConnection* FConnection = nullptr;
    QByteArray mpFilterBuffer;

  private:
    friend class AdsLocate;
    // What Locate learnt of the open cursor's indexes. An index's key columns, condition,
    // scopes and kind cannot change while the cursor stays open (this interface has no call
    // that changes them), so it is kept until the close instead of asked at each Locate.
    struct LocateIndexFacts {
        QStringList fields;            // key columns, upper case
        std::optional<bool> seekable;  // no scope, no condition, not custom: known once asked
    };
    std::map<uint32_t, LocateIndexFacts> mLocateIndexFacts;
    std::optional<std::vector<uint32_t>> mLocateIndexes;  // all the cursor's indexes, in order
    // The handle's AOF, filter and exact setting as Locate found them and left them.
    struct LocateSettings {
        bool valid = false;  // asked since the open, and every restore since succeeded
        bool aof = false, filter = false;
        uint16_t exact = 0;
    };
    LocateSettings mLocateSettings;
    TGetResult readRowCallByCall(QByteArray& buffer, TGetMode mode);
    TGetResult readRowInOneCall(QByteArray& buffer, TGetMode mode);
    void readTranslatedColumns(QByteArray& buffer);
    void readIndexDescriptions();
    bool sameColumnsAsDescribed();
    uint32_t engineLayoutId() const;
    QByteArray* writeBuffer();
};

#endif  // BREVANTIS_DATA_ADSDATA_H
