// adscnnct.h: TAdsConnection, one engine connection to a data dictionary or a folder of
// free tables, and the list of the datasets that work through it.
#ifndef BREVANTIS_DATA_ADSCNNCT_H
#define BREVANTIS_DATA_ADSCNNCT_H

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <set>
#include <vector>

namespace rtl {
class StringList;
}
class TAdsDataSet;

enum TAdsServerType { stADS_REMOTE, stADS_LOCAL, stADS_AIS };
using TAdsServerTypes = std::set<TAdsServerType>;

class TAdsConnection : public QObject {
  public:
    explicit TAdsConnection(QObject* owner);
    // Closes the bound datasets and the engine connection when connected; errors are
    // dropped, as nothing can handle them while the owner is being destroyed.
    ~TAdsConnection() override;

    // The data source; may change only while disconnected (else AdsConnectionError).
    QString ConnectPath() const { return GetConnectString(); }
    void SetConnectPath(const QString& value) { SetConnectString(value); }
    QString Username;
    QString Password;
    bool LoginPrompt = true;
    TAdsServerTypes AdsServerTypes;
    bool StoreConnected = true;
    // A collation name the datasets use when they name none themselves; empty by default.
    QString Collation;
    // Asked for credentials when LoginPrompt is set on a dictionary connection; returns
    // false when the user cancels. Unset: the stored credentials are used as they are.
    std::function<bool(QString& user, QString& password)> OnLogin;

    bool IsConnected() const { return FConnected; }
    void SetIsConnected(bool value) { SetConnected(value); }
    // The engine handle while connected, else 0.
    uint32_t ConnectionHandle() const { return GetConnectionHandle(); }

    virtual void SetConnected(bool value);
    virtual QString GetConnectString() const { return FConnectString; }
    virtual void SetConnectString(const QString& value);
    virtual uint32_t GetConnectionHandle() const { return FConnected ? FhConnection : 0; }
    virtual TAdsDataSet* GetDataSet(int index) const;
    virtual int GetDataSetCount() const { return static_cast<int>(FTablesList.size()); }
    virtual bool GetDictionaryFlag() const { return FIsDictionaryConn; }
    virtual bool UseNewConnAPI() const { return true; }
    // Opens the engine connection; nothing when connected. Throws AdsConnectionError for
    // an empty data source, EADSDatabaseError when the engine refuses.
    virtual void Connect() { SetConnected(true); }
    // Closes the bound datasets and the engine connection; nothing when disconnected. Ends
    // disconnected even when the engine fails, then throws AdsError.
    virtual void Disconnect() { SetConnected(false); }
    virtual void AddTableToConnectList(TAdsDataSet* table);
    virtual void RemoveTableFromConnectList(TAdsDataSet* oCallee);
    // The folder the data source stands for (a dictionary's folder, without separator).
    virtual QString GetConnectionPath() const;
    virtual QString GetConnectionWithDDPath() const { return FConnectString; }
    // Appends the data source's table names to poList. Throws AdsConnectionError when
    // disconnected, AdsError when the engine fails (names found before stay).
    virtual void GetTableNames(rtl::StringList* poList, const QString& strFileMask);
    // The connection string sent to the engine.
    virtual QString ConnectString() const;

    // For datasets: connects when needed and returns the engine handle.
    uint32_t ConnectAndGetHandle();

  protected:
    virtual void GetAdsConnection();

  private:
    static bool IsADDPath(const QString& path);

    QString FConnectString;
    uint32_t FhConnection = 0;
    bool FConnected = false;
    bool FIsDictionaryConn = false;
    std::vector<TAdsDataSet*> FTablesList;
};

#endif  // BREVANTIS_DATA_ADSCNNCT_H
