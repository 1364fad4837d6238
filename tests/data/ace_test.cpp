// The engine library is loaded at the first engine call; a missing one fails that call.
#include "data/ace.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "data/adstable.h"

namespace {

// Runs in a copy of this executable placed in a folder without libengine.so.
TEST(EngineLibraryChild, FirstCallFails) {
    if (qEnvironmentVariableIsEmpty("BREVANTIS_ACE_CHILD")) GTEST_SKIP() << "run by MissingLibrary";
    TAdsQuery q(nullptr);  // creating datasets calls nothing
    try {
        q.SQL().Add(QStringLiteral("SELECT 1"));  // the first engine call
        FAIL() << "no failure";
    } catch (const EExternalException& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Exception externe C06D007E"));
        EXPECT_EQ(e.code(), 0xC06D007Eu);
    }
    EXPECT_THROW(ace::api(), EExternalException) << "later calls try again and fail again";
}

TEST(EngineLibrary, MissingLibraryFailsTheFirstCallWithTheRuntimeMessage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString copy = dir.filePath(QStringLiteral("child"));
    ASSERT_TRUE(QFile::copy(QStringLiteral("/proc/self/exe"), copy));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BREVANTIS_ACE_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(copy, {QStringLiteral("--gtest_filter=EngineLibraryChild.*")});
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    EXPECT_EQ(ace::libraryPath(),
              QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().section(u'/', 0, -2) +
                  QStringLiteral("/libengine.so"));
}

}  // namespace
