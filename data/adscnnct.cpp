// adscnnct.cpp: connecting, disconnecting and listing tables.
#include "data/adscnnct.h"

#include <algorithm>
#include <optional>

#include "data/ace.h"
#include "data/adsdata.h"
#include "data/adserror.h"
#include "rtl/ansi.h"
#include "rtl/string_list.h"

namespace {

// Whether `text` ends in `suffix`, compared after plain-ASCII upper-casing.
bool EndsWith(const QString& strBuffer, const QString& strEnds) {
    if (strBuffer.size() < strEnds.size()) return false;
    QString tail = strBuffer.right(strEnds.size());
    for (qsizetype i = 0; i < tail.size(); ++i) {
        QChar a = tail[i], b = strEnds[i];
        if (a >= u'a' && a <= u'z') a = QChar(a.unicode() - 32);
        if (b >= u'a' && b <= u'z') b = QChar(b.unicode() - 32);
        if (a != b) return false;
    }
    return true;
}

constexpr UNSIGNED16 kNameBufferLength = 260;

}  // namespace

TAdsConnection::TAdsConnection(QObject* owner) : QObject(owner) {}

TAdsConnection::~TAdsConnection() {
    std::vector<TAdsDataSet*> list = FTablesList;
    if (FConnected) {
        for (TAdsDataSet* ds : list) {
            try {
                ds->Close();
            } catch (const rtl::Exception&) {
            }
            ds->InvalidateAceHandles();
        }
    }
    for (TAdsDataSet* ds : list) ds->connectionDestroyed();
    if (FConnected) {
        try {
            ace::api().AdsDisconnect(FhConnection);  // 5024 and other failures: nothing to do
        } catch (const rtl::Exception&) {
        }
    }
}

bool TAdsConnection::IsADDPath(const QString& path) {
    return EndsWith(path, QStringLiteral(".ADD")) || EndsWith(path, QStringLiteral("__rootdd"));
}

void TAdsConnection::SetConnectString(const QString& value) {
    if (FConnected)
        throw AdsConnectionError(QStringLiteral(
            "The TAdsConnection.ConnectPath may not be changed when IsConnected is TRUE"));
    FConnectString = value;
    FIsDictionaryConn = IsADDPath(value);
}

TAdsDataSet* TAdsConnection::GetDataSet(int index) const {
    return FTablesList.at(static_cast<size_t>(index));
}

void TAdsConnection::AddTableToConnectList(TAdsDataSet* table) {
    FTablesList.push_back(table);
}

void TAdsConnection::RemoveTableFromConnectList(TAdsDataSet* oCallee) {
    auto it = std::find(FTablesList.begin(), FTablesList.end(), oCallee);
    if (it != FTablesList.end()) FTablesList.erase(it);
}

QString TAdsConnection::GetConnectionPath() const {
    const QString& s = FConnectString;
    if (s.size() > 4 && s[s.size() - 4] == u'.' && EndsWith(s, QStringLiteral("ADD"))) {
        if (s.contains(u'/')) return s.left(s.lastIndexOf(u'/'));
        if (s.contains(u'\\')) return s.left(s.lastIndexOf(u'\\'));
        return QStringLiteral("./");
    }
    return s;
}

QString TAdsConnection::ConnectString() const {
    QString out = QStringLiteral("Data Source=%1;").arg(GetConnectionWithDDPath().left(255));
    if (FIsDictionaryConn && !Username.isEmpty()) {
        out += QStringLiteral("User ID=%1;").arg(Username);
        if (!Password.isEmpty())
            out += QStringLiteral("Password=\"") + Password + QStringLiteral("\";");
    }
    out += QStringLiteral("FIPS=False;");
    if (!AdsServerTypes.empty()) {
        QStringList words;
        if (AdsServerTypes.count(stADS_LOCAL)) words << QStringLiteral("LOCAL");
        if (AdsServerTypes.count(stADS_REMOTE)) words << QStringLiteral("REMOTE");
        if (AdsServerTypes.count(stADS_AIS)) words << QStringLiteral("INTERNET");
        out += QStringLiteral("ServerType=%1;").arg(words.join(u'|'));
    }
    return out;
}

void TAdsConnection::GetAdsConnection() {
    if (LoginPrompt && FIsDictionaryConn && OnLogin) {
        QString user = Username, password = Password;
        if (!OnLogin(user, password))
            throw EDatabaseError(QStringLiteral("Cannot connect to database '") + objectName() +
                                 u'\'');
        Username = user;
        Password = password;
    }
    QByteArray text = rtl::toAnsi(ConnectString());
    ADSHANDLE handle = 0;
    UNSIGNED32 rc = ace::api().AdsConnect101(text.constData(), nullptr, &handle);
    ACECheck(nullptr, rc);
    FhConnection = handle;
}

void TAdsConnection::SetConnected(bool value) {
    if (value) {
        if (FConnected) return;
        if (GetConnectionWithDDPath().isEmpty())
            throw AdsConnectionError(QStringLiteral(
                "Must specify connection string before getting a server connection."));
        GetAdsConnection();
        FConnected = true;
        if (FIsDictionaryConn)
            for (TAdsDataSet* ds : std::vector<TAdsDataSet*>(FTablesList)) ds->UpdateDefaultIndex();
        return;
    }
    if (!FConnected) return;
    for (TAdsDataSet* ds : std::vector<TAdsDataSet*>(FTablesList)) {
        try {
            ds->Close();
        } catch (const rtl::Exception&) {
        }
        ds->InvalidateAceHandles();
    }
    std::optional<AdsError> failure;
    UNSIGNED32 rc = ace::api().AdsDisconnect(FhConnection);
    if (rc != AE_SUCCESS) failure.emplace(static_cast<int32_t>(rc), false);
    FConnected = false;
    FhConnection = 0;
    if (failure) throw *failure;
}

uint32_t TAdsConnection::ConnectAndGetHandle() {
    if (!FConnected) Connect();
    return FhConnection;
}

void TAdsConnection::GetTableNames(rtl::StringList* poList, const QString& strFileMask) {
    if (!FConnected)
        throw AdsConnectionError(QStringLiteral("No connection to the database server."));
    if (!poList) return;
    QString mask;
    if (!FIsDictionaryConn) {
        mask = FConnectString;
        if (mask.endsWith(u'\\') || mask.endsWith(u'/')) mask.chop(1);
        mask += u'/' + strFileMask;
    }
    QByteArray ansiMask = rtl::toAnsi(mask);
    const ace::FunctionTable& api = ace::api();
    char name[kNameBufferLength + 1] = {};
    UNSIGNED16 len = kNameBufferLength;
    ADSHANDLE find = 0;
    UNSIGNED32 rc = api.AdsFindFirstTable(FhConnection, ansiMask.constData(), name, &len, &find);
    if (rc == AE_NO_TABLE) return;
    if (rc != AE_SUCCESS) throw AdsError(static_cast<int32_t>(rc), false);
    try {
        for (;;) {
            name[kNameBufferLength] = '\0';
            poList->add(rtl::fromAnsi(QByteArray(name)));
            len = kNameBufferLength;
            rc = api.AdsFindNextTable(FhConnection, find, name, &len);
            if (rc == AE_NO_TABLE) break;
            if (rc != AE_SUCCESS) throw AdsError(static_cast<int32_t>(rc), false);
        }
    } catch (...) {
        api.AdsFindClose(FhConnection, find);
        throw;
    }
    api.AdsFindClose(FhConnection, find);
}
