// The history's reading side: time ranges, the view's query, the chart's bucket counts, and
// the command line's output.
#include "chart_buckets.h"
#include "episode_query.h"
#include "episode_store.h"
#include "fixture.h"
#include "history_output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace history {
namespace {

using namespace history::testing;

// A small history: ANNE holds F:1 from 0 to 600 s, BRUNO holds G:2 from 100 to 200 s and
// the "100%_off" table's record 3 from 300 s on, CLAIRE (application Paie.exe) holds F:4 at 700 s.
class HistoryFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    location_.filePath = dir_.filePath(QStringLiteral("h.sqlite"));
    ASSERT_TRUE(store_.open(location_, at(0)));
    for (qint64 s = 0; s <= 700; s += 50) {
      QStringList tokens;
      if (s <= 600) tokens << QStringLiteral("F:1:ANNE");
      if (s >= 100 && s <= 200) tokens << QStringLiteral("G:2:BRUNO");
      if (s >= 300) tokens << QStringLiteral("100%_off:3:BRUNO");
      if (s == 700) tokens << QStringLiteral("F:4:CLAIRE:Paie.exe");
      ASSERT_TRUE(store_.record(refreshAt(s, tokens, 50)));
    }
  }
  QStringList shown(const TimeRange& range, const QString& text, int limit = 100, qint64* total = nullptr) {
    const auto page = queryEpisodes(store_.database(), {range, text, limit}, nullptr);
    EXPECT_TRUE(page.has_value());
    if (!page) return {};
    if (total) *total = page->total;
    QStringList keys;
    for (const Episode& e : page->episodes) keys << QStringLiteral("%1:%2").arg(e.lock.table).arg(e.lock.record);
    return keys;
  }
  QTemporaryDir dir_;
  Location location_;
  EpisodeStore store_;
};

TEST_F(HistoryFixture, TheViewFiltersByRangeAndTextLongestFirst) {
  struct Case {
    qint64 from, to;
    const char* text;
    QStringList expected;
  };
  const std::vector<Case> cases = {
      {0, 800, "", {"F:1", "100%_off:3", "G:2", "F:4"}},
      {250, 280, "", {"F:1"}},                     // overlapping, not only starting, in the range
      {650, 800, "", {"100%_off:3", "F:4"}},
      {0, 800, "bruno", {"100%_off:3", "G:2"}},    // user, letter case aside
      {0, 800, "PAIE", {"F:4"}},                   // application
      {0, 800, "claire", {"F:4"}},                 // OS login
      {0, 800, "OFF", {"100%_off:3"}},             // table
      {0, 800, "%", {"100%_off:3"}},               // a literal per cent sign, not a wildcard
      {0, 800, "1_0", {}},                         // a literal underscore
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QStringLiteral("%1-%2 « %3 »").arg(c.from).arg(c.to).arg(c.text).toStdString());
    EXPECT_EQ(shown({at(c.from), at(c.to)}, QString::fromUtf8(c.text)), c.expected);
  }
  qint64 total = 0;
  EXPECT_EQ(shown({at(0), at(800)}, {}, 2, &total), (QStringList{"F:1", "100%_off:3"}));
  EXPECT_EQ(total, 4);
}

// The filter finds what the live view's finds: letter case aside, accented letters included,
// whichever case the server wrote them in.
TEST(FilterTest, AccentedNamesMatchInEitherCase) {
  QTemporaryDir dir;
  Location location;
  location.filePath = dir.filePath(QStringLiteral("h.sqlite"));
  EpisodeStore store;
  ASSERT_TRUE(store.open(location, at(0)));
  ASSERT_TRUE(store.record(refreshAt(0, {"F:1:ÉLODIE", "F:2:XAVIER:ÉCRAN.EXE", "Élèves:3:YVES"})));
  struct Case {
    const char* text;
    QStringList expected;
  };
  const std::vector<Case> cases = {
      {"écran", {"F:2"}},         // written all in capitals
      {"ÉLÈVES", {"Élèves:3"}},   // capital and small accents in one name
      {"élèves", {"Élèves:3"}},
      {"  Élodie ", {"F:1"}},     // trimmed, as the live filter
      {"lodie", {"F:1"}},
      {"elodie", {}},             // an accent is not its plain letter
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto page = queryEpisodes(store.database(), {{at(0), at(10)}, QString::fromUtf8(c.text), 10}, nullptr);
    ASSERT_TRUE(page.has_value());
    QStringList keys;
    for (const Episode& e : page->episodes) keys << QStringLiteral("%1:%2").arg(e.lock.table).arg(e.lock.record);
    keys.sort();
    EXPECT_EQ(keys, c.expected);
  }
}

TEST(BucketTest, StackBucketsAddsEachSpanToTheBucketsItCovers) {
  struct Case {
    const char* name;
    std::vector<SpanCount> spans;
    int buckets;
    int maxSeries;
    std::vector<std::pair<QString, std::vector<qint64>>> expected;
  };
  const std::vector<Case> cases = {
      {"nothing", {}, 3, 8, {}},
      {"one bucket", {{1, 1, "A", 2}}, 3, 8, {{"A", {0, 2, 0}}}},
      {"a span over several", {{0, 2, "A", 1}, {1, 1, "A", 1}}, 3, 8, {{"A", {1, 2, 1}}}},
      {"clamped to the range", {{-4, 0, "A", 1}, {2, 9, "A", 3}}, 3, 8, {{"A", {1, 0, 3}}}},
      {"stacked, largest first", {{0, 0, "B", 1}, {0, 2, "A", 1}}, 3, 8, {{"A", {1, 1, 1}}, {"B", {1, 0, 0}}}},
      {"past the largest, the rest as others",
       {{0, 0, "A", 5}, {0, 0, "B", 3}, {1, 1, "C", 1}, {2, 2, "D", 2}},
       3, 2, {{"A", {5, 0, 0}}, {"Autres", {3, 1, 2}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto series = stackBuckets(c.spans, c.buckets, c.maxSeries);
    std::vector<std::pair<QString, std::vector<qint64>>> got;
    for (const ChartSeries& s : series) got.emplace_back(s.group, s.counts);
    EXPECT_EQ(got, c.expected);
  }
}

TEST(BucketTest, PlanBucketsPicksARoundWidth) {
  struct Case {
    qint64 seconds;
    qint64 widthSeconds;
    int count;
  };
  for (const Case& c : std::vector<Case>{{3600, 60, 61}, {86400, 900, 97}, {7 * 86400, 3600 * 1, 169},
                                         {30 * 86400, 21600, 121}}) {
    const BucketPlan plan = planBuckets({at(0), at(c.seconds)});
    EXPECT_EQ(plan.widthMs, c.widthSeconds * 1000) << c.seconds;
    EXPECT_EQ(plan.count, c.count) << c.seconds;
    EXPECT_EQ(plan.fromMs, at(0).toMSecsSinceEpoch());
  }
}

TEST_F(HistoryFixture, TheChartCountsHeldLocksPerBucket) {
  const BucketPlan plan{at(0).toMSecsSinceEpoch(), 100'000, 8};  // 0-99 s, 100-199 s, …
  struct Case {
    StackBy stackBy;
    const char* text;
    std::vector<std::pair<QString, std::vector<qint64>>> expected;
  };
  const std::vector<Case> cases = {
      {StackBy::Total, "", {{"Total", {1, 2, 2, 2, 2, 2, 2, 2}}}},
      {StackBy::User, "", {{"ANNE", {1, 1, 1, 1, 1, 1, 1, 0}}, {"BRUNO", {0, 1, 1, 1, 1, 1, 1, 1}},
                           {"CLAIRE", {0, 0, 0, 0, 0, 0, 0, 1}}}},
      {StackBy::Application, "", {{"Gestion.exe", {1, 2, 2, 2, 2, 2, 2, 1}}, {"Paie.exe", {0, 0, 0, 0, 0, 0, 0, 1}}}},
      {StackBy::Total, "bruno", {{"Total", {0, 1, 1, 1, 1, 1, 1, 1}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto series = chartSeries(store_.database(), true, plan, QString::fromUtf8(c.text), c.stackBy, nullptr);
    ASSERT_TRUE(series.has_value());
    std::vector<std::pair<QString, std::vector<qint64>>> got;
    for (const ChartSeries& s : *series) got.emplace_back(s.group, s.counts);
    EXPECT_EQ(got, c.expected);
  }
}

TEST(RangeTest, SinceValuesAndPresets) {
  const QDateTime now = at(0);
  struct Case {
    const char* text;
    qint64 secondsBack;  // -1: invalid
  };
  for (const Case& c : std::vector<Case>{{"1h", 3600}, {"24h", 86400}, {"7j", 7 * 86400}, {"30m", 1800},
                                         {" 2j ", 2 * 86400}, {"7d", -1}, {"h", -1}, {"", -1}, {"2026-02-31", -1}}) {
    SCOPED_TRACE(c.text);
    QString error;
    const auto range = parseSince(QString::fromUtf8(c.text), now, &error);
    ASSERT_EQ(range.has_value(), c.secondsBack >= 0);
    if (range) {
      EXPECT_EQ(range->from.secsTo(range->to), c.secondsBack);
      EXPECT_EQ(range->to, now);
    } else {
      EXPECT_TRUE(error.startsWith(QStringLiteral("Valeur de --depuis invalide")));
    }
  }
  for (const char* date : {"2026-02-27", "27/02/2026"}) {
    const auto range = parseSince(QString::fromUtf8(date), now, nullptr);
    ASSERT_TRUE(range.has_value()) << date;
    EXPECT_EQ(range->from, QDateTime(QDate(2026, 2, 27), QTime(0, 0))) << date;
  }
  EXPECT_EQ(presetRange(RangePreset::LastHour, now).from, now.addSecs(-3600));
  EXPECT_EQ(presetRange(RangePreset::SevenDays, now).from, now.addDays(-7));
  EXPECT_EQ(presetRange(RangePreset::Today, now).from, QDateTime(now.toLocalTime().date(), QTime(0, 0)));
}

TEST(OutputTest, DurationsInFrench) {
  const std::vector<std::pair<qint64, const char*>> cases = {
      {0, "0 s"}, {45'999, "45 s"}, {135'000, "2 min 15 s"}, {3'600'000, "1 h 00 min 00 s"},
      {3'905'000, "1 h 05 min 05 s"}, {2 * 86'400'000LL + 3'600'000 * 3 + 600'000, "2 j 03 h 10 min"}, {-5, "0 s"}};
  for (const auto& [ms, text] : cases) EXPECT_EQ(formatDuration(ms), QString::fromUtf8(text)) << ms;
}

Episode sampleEpisode() {
  Episode e;
  e.lock = lock(QStringLiteral("FACT;URES:12:DUP\"ONT"));
  e.lock.application = QStringLiteral("Gestion é.exe");
  e.firstSeen = at(0);
  e.lastSeen = at(135);
  e.sinceAtLeast = true;
  e.open = true;
  return e;
}

TEST(OutputTest, CsvAndJsonCarryEveryField) {
  QString csv;
  QTextStream csvOut(&csv);
  writeEpisodes({sampleEpisode()}, OutputFormat::Csv, csvOut);
  const QString since = QStringLiteral("depuis au moins %1").arg(at(0).toLocalTime().toString("dd/MM/yyyy HH:mm:ss"));
  EXPECT_EQ(csv, QStringLiteral("Dictionnaire;Table;Enregistrement;ROWID;Utilisateur;Login OS;Application;"
                                "Type de lock;Vu depuis;Vu jusqu'à;Durée\r\n"
                                "compta;\"FACT;URES\";12;AAAAAAAAAAAA000012;\"DUP\"\"ONT\";\"dup\"\"ont\";"
                                "Gestion é.exe;Record;%1;%2;2 min 15 s\r\n")
                     .arg(since, at(135).toLocalTime().toString("dd/MM/yyyy HH:mm:ss")));

  QString json;
  QTextStream jsonOut(&json);
  writeEpisodes({sampleEpisode()}, OutputFormat::Json, jsonOut);
  const QJsonArray array = QJsonDocument::fromJson(json.toUtf8()).array();
  ASSERT_EQ(array.size(), 1);
  const QJsonObject o = array[0].toObject();
  EXPECT_EQ(o["table"].toString(), QStringLiteral("FACT;URES"));
  EXPECT_EQ(o["enregistrement"].toInteger(), 12);
  EXPECT_EQ(o["utilisateur"].toString(), QStringLiteral("DUP\"ONT"));
  EXPECT_EQ(o["application"].toString(), QStringLiteral("Gestion é.exe"));
  EXPECT_EQ(o["vu_depuis"].toString(), QStringLiteral("2026-03-02T09:00:00.000Z"));
  EXPECT_EQ(o["duree_ms"].toInteger(), 135000);
  EXPECT_TRUE(o["depuis_au_moins"].toBool());
  EXPECT_TRUE(o["en_cours"].toBool());
}

TEST_F(HistoryFixture, TheCommandPrintsTheRangeAndSaysWhetherThereWasAny) {
  struct Case {
    const char* since;
    OutputFormat format;
    int exitCode;
    QStringList outContains;
    const char* errContains;
  };
  const std::vector<Case> cases = {
      {"1h", OutputFormat::Table, 0, {"Dictionnaire  Table", "ANNE", "10 min 0 s", "depuis au moins"}, ""},
      {"1h", OutputFormat::Csv, 0, {"Dictionnaire;Table;", "F;1;"}, ""},
      {"2026-03-03", OutputFormat::Table, 1, {"Dictionnaire"}, ""},  // a day after: no episode
      {"hier", OutputFormat::Table, 2, {}, "Valeur de --depuis invalide : « hier »"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.since);
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    HistoryCommand command{location_, QString::fromUtf8(c.since), c.format, {}, {}};
    const QDateTime now = c.exitCode == 1 ? at(2 * 86400) : at(1000);
    EXPECT_EQ(runHistoryCommand(command, outStream, errStream, now), c.exitCode);
    for (const QString& part : c.outContains) EXPECT_TRUE(out.contains(part)) << out.toStdString();
    EXPECT_TRUE(err.contains(QString::fromUtf8(c.errContains))) << err.toStdString();
  }
}

TEST_F(HistoryFixture, TheCommandPrunesWithTheUsersRetentionNotTheDefault) {
  // Forty days later: kept for ninety days, then pruned at thirty (order matters).
  struct Case {
    int retentionDays;
    int exitCode;
  };
  for (const Case c : {Case{90, 0}, Case{30, 1}}) {
    SCOPED_TRACE(c.retentionDays);
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    HistoryCommand command{location_, QStringLiteral("60j"), OutputFormat::Csv, {}, {}};
    command.store.retention = std::chrono::days(c.retentionDays);
    EXPECT_EQ(runHistoryCommand(command, outStream, errStream, at(40 * 86400)), c.exitCode)
        << err.toStdString();
  }
}

}  // namespace
}  // namespace history
