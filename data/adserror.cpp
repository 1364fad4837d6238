// adserror.cpp: composing the layer's error messages and checking engine results.
#include "data/adserror.h"

#include "data/ace.h"
#include "data/adsdata.h"
#include "rtl/ansi.h"
#include "rtl/int_conv.h"

namespace {

thread_local bool tErrorInProgress = false;

// Column names are quoted after this marker in the engine's texts for 5147 to 5149.
const QString kColumnMarker = QStringLiteral("column \"");

constexpr UNSIGNED16 kErrorTextLength = 600;

// Reads the engine's last error into `code` and `text`; false when that call fails. A text
// longer than the 600-byte buffer, which the engine answers with its length only, is read
// whole and cut to 600 bytes, so that the user still sees its beginning.
bool lastEngineError(uint32_t& code, QString& text) {
    QByteArray buf(kErrorTextLength + 1, '\0');
    UNSIGNED16 len = kErrorTextLength;
    UNSIGNED32 c = code;
    UNSIGNED32 rc = ace::api().AdsGetLastError(&c, buf.data(), &len);
    if (rc == AE_INSUFFICIENT_BUFFER && len > kErrorTextLength) {
        buf = QByteArray(len + 1, '\0');
        rc = ace::api().AdsGetLastError(&c, buf.data(), &len);
    }
    if (rc != AE_SUCCESS) return false;
    code = c;
    text = rtl::fromAnsi(QByteArray(buf.constData(), qstrnlen(buf.constData(), kErrorTextLength)));
    return true;
}

}  // namespace

namespace ads {
bool errorInProgress() {
    return tErrorInProgress;
}
void resetErrorInProgress() {
    tErrorInProgress = false;
}
}  // namespace ads

EADSDatabaseError::EADSDatabaseError(const TAdsDataSet* oDataSet, uint32_t ulErrCode,
                                     const QString& strMsg)
    : EDatabaseError(QString()) {
    if (tErrorInProgress) return;
    tErrorInProgress = true;
    ulACEError_ = ulErrCode;
    try {
        fillIn(oDataSet, strMsg);
    } catch (const rtl::Exception&) {
        // What was filled in before the failure stays.
    }
    setMessage(strDataSetInstanceName_.isEmpty()
                   ? strMsg
                   : strDataSetInstanceName_ + QStringLiteral(": ") + strMsg);
    tErrorInProgress = false;
}

EADSDatabaseError::~EADSDatabaseError() {
    tErrorInProgress = false;
}

void EADSDatabaseError::fillIn(const TAdsDataSet* oDataSet, const QString& strMsg) {
    if (oDataSet) {
        strDataSetInstanceName_ = oDataSet->objectName();
        if (oDataSet->parent()) strDataSetInstanceOwner_ = oDataSet->parent()->objectName();
        strDatabaseName_ = oDataSet->DatabaseName();
        strDatabasePath_ = oDataSet->DatabasePath();
        strTableName_ = oDataSet->TableName();
        if (ulACEError_ >= 5147 && ulACEError_ <= 5149) {
            qsizetype at = strMsg.indexOf(kColumnMarker);
            if (at >= 0) {
                QString rest = strMsg.mid(at + kColumnMarker.size(), 900);
                strColumnName_ =
                    rest.left(rest.indexOf(u'"') < 0 ? rest.size() : rest.indexOf(u'"'));
            }
        }
    }
    GetNativeSQLError(strMsg);
}

void EADSDatabaseError::GetNativeSQLError(const QString& strError) {
    ulSQLErrorCode_ = 0;
    const QString kNative = QStringLiteral("NATIVEERROR = ");
    QString upper = strError;
    for (QChar& c : upper)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    if (!upper.contains(QStringLiteral("ERROR 7200:"))) return;
    qsizetype at = upper.indexOf(kNative);
    if (at < 0) return;
    QString rest = strError.mid(at + kNative.size());
    qsizetype end = rest.indexOf(u';');
    ulSQLErrorCode_ = static_cast<uint32_t>(rtl::strToInt(end < 0 ? rest : rest.left(end)));
}

AdsError::AdsError(int32_t, bool) : rtl::Exception(QString()) {
    uint32_t code = 0;
    QString text;
    if (lastEngineError(code, text))
        setMessage(text);
    else
        ace::api().AdsShowError("Ads Exception Error");
}

void ACECheck(const TAdsDataSet* oDataSet, uint32_t ulErrorCode) {
    if (ulErrorCode == AE_SUCCESS || tErrorInProgress) return;
    uint32_t code = ulErrorCode;
    QString text;
    // When the engine cannot say, the checked code and an empty text are raised.
    if (!lastEngineError(code, text)) {
        code = ulErrorCode;
        text.clear();
    }
    throw EADSDatabaseError(oDataSet, code, text);
}

void adsLayerError(const TAdsDataSet* oDataSet, const QString& text, uint32_t code) {
    throw EADSDatabaseError(oDataSet, code, text);
}
