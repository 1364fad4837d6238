// ace.h: the data-access layer's one way to the client engine.
//
// Every engine function is called through one table of function pointers, resolved from
// "libengine.so" in the executable's folder at the first engine call and not before, so
// that a program that never touches the database never needs the library. Tests install
// a table of their own (a recording double) in its place.
#ifndef BREVANTIS_DATA_ACE_H
#define BREVANTIS_DATA_ACE_H

#include <QString>

#include "engine/include/engine_api.h"
#include "engine/include/engine_client.h"
#include "rtl/exception.h"

// Every function of the engine's C interface, in the header's order.
#define BREVANTIS_ACE_FUNCTIONS(X)                                                                        \
    X(AdsConnect101)                                                                                      \
    X(AdsDisconnect) X(AdsFindFirstTable) X(AdsFindNextTable) X(AdsFindClose) X(                          \
        AdsDDGetTableProperty) X(AdsGetLastError) X(AdsSetLastError) X(AdsShowError) X(AdsOpenTable90)    \
        X(AdsCloseTable) X(AdsGetHandleType) X(AdsGetTableType) X(AdsGetTableCharType) X(                 \
            AdsGetTableCollation) X(AdsGetTableOpenOptions) X(AdsGetRecordLength) X(AdsGetNumFields)      \
            X(AdsGetFieldName) X(AdsGetFieldType) X(AdsGetFieldLength) X(AdsGetFieldDecimals) X(          \
                AdsGetFieldOffset) X(AdsIsNullable) X(AdsGetColumnPermissions) X(AdsCacheRecords)         \
                X(AdsGotoTop) X(AdsGotoBOF) X(AdsGotoRecord) X(AdsSkip) X(AdsAtBOF) X(AdsAtEOF) X(        \
                    AdsIsRecordVisible) X(AdsGetRecordNum) X(AdsGetRecordCount) X(AdsGetBookmarkLength)   \
                    X(AdsGetBookmark60) X(AdsGetBookmark) X(AdsGotoBookmark) X(AdsGetRecord) X(           \
                        AdsGetField) X(AdsGetFieldW) X(AdsIsEmpty) X(AdsIsNull) X(AdsGetRecordCRC)        \
                        X(AdsAccessVfpSystemField) X(AdsConvertStringToJulian) X(                         \
                            AdsConvertJulianToString) X(AdsClearRecordBuffer) X(AdsAppendRecord)          \
                            X(AdsSetField) X(AdsSetFieldRaw) X(AdsSetFieldW) X(AdsSetEmpty) X(            \
                                AdsSetNull) X(AdsWriteRecord) X(AdsCancelUpdate) X(AdsLockRecord)         \
                                X(AdsUnlockRecord) X(AdsSetString) X(AdsSetStringW) X(                    \
                                    AdsSetLogical) X(AdsSetDouble) X(AdsSetJulian) X(AdsSetMilliseconds)  \
                                    X(AdsSetTimeStampRaw) X(AdsSetBinary) X(AdsGetNumIndexes) X(          \
                                        AdsGetAllIndexes) X(AdsGetIndexHandle) X(AdsGetIndexName)         \
                                        X(AdsGetIndexCondition) X(AdsGetIndexFlags) X(                    \
                                            AdsGetIndexPageSize) X(AdsGetNumSegments)                     \
                                            X(AdsGetSegmentFieldname) X(AdsIsIndexDescending) X(          \
                                                AdsIsIndexUnique) X(AdsIsIndexPrimaryKey)                 \
                                                X(AdsIsIndexCustom) X(AdsGetScope) X(AdsInitRawKey) X(    \
                                                    AdsBuildRawKey) X(AdsBuildRawKey100) X(AdsSeek)       \
                                                    X(AdsGetAOF) X(AdsGetFilter) X(AdsSetAOF100) X(       \
                                                        AdsSetFilter100) X(AdsClearAOF) X(AdsClearFilter) \
                                                        X(AdsEvalLogicalExpr) X(AdsGetExact22) X(         \
                                                            AdsSetExact22) X(AdsGetSQLStmtParams)         \
                                                            X(AdsCreateSQLStatement) X(                   \
                                                                AdsCloseSQLStatement) X(AdsSetSQLTimeout) \
                                                                X(AdsStmtSetTableLockType) X(             \
                                                                    AdsStmtSetTableCollation)             \
                                                                    X(AdsStmtSetTableRights) X(           \
                                                                        AdsStmtSetTableReadOnly)          \
                                                                        X(AdsStmtSetTableType) X(         \
                                                                            AdsStmtConstrainUpdates)      \
                                                                            X(AdsStmtReadAllColumns)      \
                                                                                X(AdsPrepareSQLW) X(      \
                                                                                    AdsExecuteSQL)        \
                                                                                    X(AdsSqlPeekStatement)

namespace ace {

// One pointer per engine function, named as the function.
struct FunctionTable {
#define BREVANTIS_ACE_MEMBER(name) decltype(&::name) name = nullptr;
    BREVANTIS_ACE_FUNCTIONS(BREVANTIS_ACE_MEMBER)
#undef BREVANTIS_ACE_MEMBER
    // Extras of our own engine library beyond the C interface; null when the library has
    // none, and the layer then does without (each use says how).
    decltype(&::EngineGetLayoutId) EngineGetLayoutId = nullptr;
    decltype(&::EngineReadRow) EngineReadRow = nullptr;
};

// The engine's functions. The first call loads the library (or uses the installed test
// table); when the library or one of its functions cannot be found it throws
// EExternalException and tries again at the next call.
const FunctionTable& api();

// Replaces the loaded library with `table` (not owned; must outlive its use), or, with
// null, goes back to loading the library. For tests and benchmarks.
void installTable(const FunctionTable* table);

// Where the library is looked for: "libengine.so" in the folder of the running executable.
QString libraryPath();

}  // namespace ace

// The runtime's error for a failure outside the program: here the engine library that
// cannot be loaded ("Exception externe C06D007E").
class EExternalException : public rtl::Exception {
  public:
    explicit EExternalException(unsigned code);
    unsigned code() const { return code_; }
    QString className() const override { return QStringLiteral("EExternalException"); }

  private:
    unsigned code_;
};

#endif  // BREVANTIS_DATA_ACE_H
