// connections_test.cpp: the monitor's connections to enginesrv: one of its own per dictionary
// watched, beside the tool's, and lock owners' identities read as they were sent.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "data/adscnnct.h"
#include "monitor/lock_monitor.h"
#include "tests/app/lock_world.h"
#include "tests/app/lock_world_suite.h"

namespace monitor {
namespace {

const Credentials kAdministrator{QStringLiteral("adssys"), QStringLiteral("kor5382")};

class MonitorConnections : public locktest::LockWorldSuite {
  protected:
    static void SetUpTestSuite() {
        ASSERT_NO_FATAL_FAILURE(startWorld());
        QString error;
        gestion_ = locktest::makeDictionary(dir_->filePath("gestion"), "Gestion",
                                            {{"Clients", 20}}, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        paie_ = locktest::makeDictionary(dir_->filePath("paie"), "Paie", {{"Salaries", 5}}, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    }
    static void TearDownTestSuite() {
        stopWorld();
    }

    static inline QString gestion_, paie_;
};

// The sockets this process holds open: one per engine connection, nothing else here
// opens any.
int openSockets() {
    int sockets = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        sockets += fd.symLinkTarget().contains(QStringLiteral("socket:"));
    return sockets;
}

TEST_F(MonitorConnections, OneOfItsOwnPerDictionaryWatchedAndTheToolsConnectionUntouched) {
    // The tool's own connection, as the main window holds it.
    TAdsConnection tool(nullptr);
    tool.AdsServerTypes = {stADS_REMOTE};
    tool.LoginPrompt = false;
    tool.Username = kAdministrator.user;
    tool.Password = kAdministrator.password;
    tool.SetConnectPath(gestion_);
    tool.Connect();
    const uint32_t toolHandle = tool.ConnectionHandle();
    const int before = openSockets();

    LockMonitor monitor(kAdministrator);
    monitor.setDictionaries({{"Gestion", gestion_}, {"Paie", paie_}});
    EXPECT_TRUE(monitor.refresh()->failures.empty());
    EXPECT_EQ(openSockets(), before + 2) << "one per dictionary, not the tool's";
    monitor.refresh();
    EXPECT_EQ(openSockets(), before + 2) << "kept from one refresh to the next";
    monitor.setDictionaries({{"Paie", paie_}});
    monitor.refresh();
    EXPECT_EQ(openSockets(), before + 1) << "a dictionary no longer watched lets its go";

    EXPECT_TRUE(tool.IsConnected());
    EXPECT_EQ(tool.ConnectionHandle(), toolHandle);
}

TEST_F(MonitorConnections, AnAccentedIdentityReadsAsTheHolderSentIt) {
    locktest::Holder holder(*server_, gestion_, "Clients", "4",
                            {"PC-Hélène", "hélène", "Gestion Équipe €"});
    ASSERT_TRUE(holder.waitReady());
    LockMonitor monitor(kAdministrator);
    monitor.setDictionaries({{"Gestion", gestion_}});
    const auto snapshot = monitor.refresh();
    ASSERT_EQ(snapshot->locks.size(), 1u);
    const LockRow& row = snapshot->locks[0].row;
    EXPECT_EQ(row.userName.toStdString(), "PC-Hélène");
    EXPECT_EQ(row.osLogin.toStdString(), "hélène");
    EXPECT_EQ(row.application.toStdString(), "Gestion Équipe €");
}

}  // namespace
}  // namespace monitor
