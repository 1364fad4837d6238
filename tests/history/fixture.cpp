// Shared helpers of the lock history's tests; also gives every test a QCoreApplication,
// which the SQL drivers' plugins need.
#include "fixture.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace history::testing {
namespace {

class QtCoreEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "history_test";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QCoreApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QCoreApplication> app_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtCoreEnvironment);

}  // namespace

QDateTime t0() { return QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC); }
QDateTime at(qint64 seconds) { return t0().addSecs(seconds); }

Observation lock(const QString& token, const QString& dictionary) {
  const QStringList parts = token.split(QLatin1Char(':'));
  Observation o;
  o.dictionary = dictionary;
  o.table = parts.value(0);
  o.record = parts.value(1).toLongLong();
  o.rowId = QStringLiteral("AAAAAAAAAAAA%1").arg(o.record, 6, 10, QLatin1Char('0'));
  o.userName = parts.value(2);
  o.osLogin = parts.value(2).toLower();
  o.application = parts.value(3, QStringLiteral("Gestion.exe"));
  o.lockType = QStringLiteral("Record");
  return o;
}

Refresh refreshAt(qint64 seconds, const QStringList& tokens, qint64 intervalSeconds,
                  const QString& dictionary) {
  Refresh refresh;
  refresh.at = at(seconds);
  refresh.interval = std::chrono::seconds(intervalSeconds);
  refresh.dictionaries = {dictionary};
  for (const QString& token : tokens) refresh.observations.push_back(lock(token, dictionary));
  return refresh;
}

QString binDir() { return qEnvironmentVariable("BREVANTIS_BIN_DIR"); }

}  // namespace history::testing
