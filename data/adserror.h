// adserror.h: the data-access layer's error objects and the engine-result check.
#ifndef BREVANTIS_DATA_ADSERROR_H
#define BREVANTIS_DATA_ADSERROR_H

#include <QString>
#include <cstdint>

#include "db/db_error.h"

class TAdsDataSet;

// An engine failure, or a failure that a dataset finds itself, with what is known of the
// dataset concerned. The message is prefixed with the dataset's name and ": ".
class EADSDatabaseError : public EDatabaseError {
  public:
    // Fills the error in from `oDataSet` (may be null). While another EADSDatabaseError is
    // being filled in on this thread, fills in nothing (empty message, zero codes).
    EADSDatabaseError(const TAdsDataSet* oDataSet, uint32_t ulErrCode, const QString& strMsg);
    EADSDatabaseError(const EADSDatabaseError&) = default;
    ~EADSDatabaseError() override;
    QString className() const override { return QStringLiteral("EADSDatabaseError"); }

    uint32_t ACEErrorCode() const { return ulACEError_; }
    uint32_t SQLErrorCode() const { return ulSQLErrorCode_; }
    const QString& DataSetInstanceName() const { return strDataSetInstanceName_; }
    const QString& DataSetInstanceOwner() const { return strDataSetInstanceOwner_; }
    const QString& DatabaseName() const { return strDatabaseName_; }
    const QString& DatabasePath() const { return strDatabasePath_; }
    const QString& TableName() const { return strTableName_; }
    const QString& ColumnName() const { return strColumnName_; }

  private:
    void fillIn(const TAdsDataSet* oDataSet, const QString& strMsg);
    void GetNativeSQLError(const QString& strError);

    uint32_t ulACEError_ = 0;
    uint32_t ulSQLErrorCode_ = 0;
    QString strDataSetInstanceName_;
    QString strDataSetInstanceOwner_;
    QString strDatabaseName_;
    QString strDatabasePath_;
    QString strTableName_;
    QString strColumnName_;
};

// The engine's last error text, raised by the connection (table listing, disconnect).
class AdsError : public rtl::Exception {
  public:
    // Reads the engine's last error; neither argument is kept.
    AdsError(int32_t ulRetCode, bool unusedvar);
    QString className() const override { return QStringLiteral("AdsError"); }
};

// A connection misuse, with a fixed English text.
class AdsConnectionError : public rtl::Exception {
  public:
    explicit AdsConnectionError(const QString& acMsg) : rtl::Exception(acMsg) {}
    QString className() const override { return QStringLiteral("AdsConnectionError"); }
};

// Returns when `ulErrorCode` is 0, or while an EADSDatabaseError is being filled in on this
// thread; otherwise throws EADSDatabaseError with the engine's last error code and text.
void ACECheck(const TAdsDataSet* oDataSet, uint32_t ulErrorCode);

// The layer's own failures: EADSDatabaseError with `code` (5121 unless said) and `text`.
[[noreturn]] void adsLayerError(const TAdsDataSet* oDataSet, const QString& text,
                                uint32_t code = 5121);

namespace ads {
// Whether an EADSDatabaseError is being filled in on this thread.
bool errorInProgress();
// Clears this thread's flag, as the layer does when it initialises.
void resetErrorInProgress();
}  // namespace ads

#endif  // BREVANTIS_DATA_ADSERROR_H
