// tracker_test.cpp: successive snapshots: new, held, released, and a dictionary that fails.
#include <gtest/gtest.h>

#include "monitor/lock_summary.h"
#include "monitor/lock_text.h"
#include "monitor/lock_tracker.h"

namespace monitor {
namespace {

LockRow lock(const QString& dict, const QString& table, int recNo, int conn,
             const QString& user = QStringLiteral("poste1"),
             const QString& app = QStringLiteral("Compta")) {
    LockRow r;
    r.dictionary = dict;
    r.table = table;
    r.recNo = recNo;
    r.connNumber = conn;
    r.userName = user;
    r.application = app;
    return r;
}

Collection answeredBy(QStringList dicts, const std::vector<LockRow>& rows) {
    Collection c{{}, std::move(dicts), {}};
    for (const LockRow& row : rows) c.rows.push_back({row, LockState::Held});
    return c;
}

QDateTime t(int seconds) {
    return QDateTime(QDate(2026, 12, 11), QTime(10, 0)).addSecs(seconds);
}

// "table/recNo/conn:state" for each lock, in snapshot order.
QStringList states(const TrackedSnapshot& s) {
    static const char* names[] = {"held", "new", "released", "stale"};
    QStringList out;
    for (const TrackedLock& l : s.locks)
        out << QStringLiteral("%1/%2/%3:%4")
                   .arg(l.row.table)
                   .arg(l.row.recNo)
                   .arg(l.row.connNumber)
                   .arg(QLatin1String(names[int(l.state)]));
    return out;
}

TEST(LockTracker, NewHeldAndReleasedAcrossRefreshes) {
    LockTracker tracker;
    const QString d = QStringLiteral("Gestion");
    auto s1 =
        tracker.update(answeredBy({d}, {lock(d, "Clients", 3, 7), lock(d, "Clients", 3, 8)}), t(0));
    EXPECT_EQ(states(*s1), QStringList({"Clients/3/7:held", "Clients/3/8:held"}))
        << "the first reading is the baseline, not news";
    EXPECT_EQ(counterText(*s1), QStringLiteral("2 locks, 0 nouveaux, 0 libérés"));

    // Owner 8 lets go, record 9 is taken; the table's case differs as the server may answer.
    auto s2 = tracker.update(answeredBy({d}, {lock(d, "CLIENTS", 3, 7), lock(d, "Clients", 9, 7)}),
                             t(135));
    EXPECT_EQ(states(*s2),
              QStringList({"CLIENTS/3/7:held", "Clients/9/7:new", "Clients/3/8:released"}));
    EXPECT_EQ(s2->locks[0].row.firstSeen, t(0)) << "first seen is kept while held";
    EXPECT_EQ(s2->locks[1].row.firstSeen, t(135));
    EXPECT_EQ(cellTexts(s2->locks[0].row, s2->at)[kDuration], QStringLiteral("2 min 15 s"));
    EXPECT_EQ(counterText(*s2), QStringLiteral("2 locks, 1 nouveaux, 1 libérés"));

    // A released lock shows once; the same record taken again later is a new lock.
    auto s3 = tracker.update(answeredBy({d}, {lock(d, "Clients", 9, 7), lock(d, "Clients", 3, 8)}),
                             t(140));
    EXPECT_EQ(states(*s3),
              QStringList({"Clients/9/7:held", "Clients/3/8:new", "CLIENTS/3/7:released"}));
    EXPECT_EQ(s3->locks[1].row.firstSeen, t(140));
}

TEST(LockTracker, FailedDictionaryKeepsItsRowsStaleThenCatchesUp) {
    LockTracker tracker;
    const QString a = QStringLiteral("A"), b = QStringLiteral("B");
    tracker.update(answeredBy({a, b}, {lock(a, "T", 1, 1), lock(b, "T", 2, 2)}), t(0));

    Collection lost = answeredBy({a}, {lock(a, "T", 1, 1)});
    lost.failures.push_back({b, QStringLiteral("serveur perdu")});
    auto s2 = tracker.update(std::move(lost), t(5));
    EXPECT_EQ(states(*s2), QStringList({"T/1/1:held", "T/2/2:stale"}));
    EXPECT_EQ(s2->released, 0) << "an unreadable dictionary releases nothing";
    EXPECT_EQ(s2->failures.size(), 1u);

    auto s3 = tracker.update(answeredBy({a, b}, {lock(a, "T", 1, 1), lock(b, "T", 2, 2)}), t(10));
    EXPECT_EQ(states(*s3), QStringList({"T/1/1:held", "T/2/2:held"}));
    EXPECT_EQ(s3->locks[1].row.firstSeen, t(0)) << "first seen survives the outage";

    auto s4 = tracker.update(answeredBy({a, b}, {lock(a, "T", 1, 1)}), t(15));
    EXPECT_EQ(states(*s4), QStringList({"T/1/1:held", "T/2/2:released"}));

    // A dictionary no longer watched disappears without reading as released.
    auto s5 = tracker.update(answeredBy({b}, {}), t(20));
    EXPECT_TRUE(s5->locks.empty());
}

TEST(LockTracker, DictionaryAddedLaterHasItsOwnBaseline) {
    LockTracker tracker;
    tracker.update(answeredBy({"A"}, {lock("A", "T", 1, 1)}), t(0));
    auto s = tracker.update(
        answeredBy({"A", "B"}, {lock("A", "T", 1, 1), lock("B", "T", 1, 1), lock("A", "T", 2, 1)}),
        t(5));
    EXPECT_EQ(states(*s), QStringList({"T/1/1:held", "T/1/1:held", "T/2/1:new"}));
}

TEST(LockText, Durations) {
    const std::pair<qint64, const char*> cases[] = {
        {-3, "0 s"},
        {0, "0 s"},
        {59, "59 s"},
        {60, "1 min 0 s"},
        {135, "2 min 15 s"},
        {3599, "59 min 59 s"},
        {3605, "1 h 0 min 5 s"},
        {90061, "25 h 1 min 1 s"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(durationText(seconds), QString::fromUtf8(text)) << seconds;
}

TEST(LockSummary, ByUserAndApplicationCountsCurrentLocksAndTheOldest) {
    TrackedSnapshot s;
    auto add = [&](const char* user, const char* app, int firstSeen, LockState state) {
        LockRow r = lock("D", "T", int(s.locks.size()), 1, user, app);
        r.firstSeen = t(firstSeen);
        s.locks.push_back({r, state});
    };
    add("marc", "Compta", 50, LockState::Held);
    add("anne", "Compta", 10, LockState::New);
    add("marc", "Paie", 20, LockState::Stale);
    add("anne", "Paie", 0, LockState::Released);
    add("luc", "Stock", 5, LockState::Held);

    auto text = [](const std::vector<SummaryLine>& lines) {
        QStringList out;
        for (const SummaryLine& l : lines)
            out << QStringLiteral("%1 %2 %3")
                       .arg(l.holder)
                       .arg(l.locks)
                       .arg(l.oldest.time().toString());
        return out;
    };
    EXPECT_EQ(text(summarize(s, SummaryBy::User)),
              QStringList({"marc 2 10:00:20", "luc 1 10:00:05", "anne 1 10:00:10"}));
    EXPECT_EQ(text(summarize(s, SummaryBy::Application)),
              QStringList({"Compta 2 10:00:10", "Stock 1 10:00:05", "Paie 1 10:00:20"}));
}

}  // namespace
}  // namespace monitor
