// cli_output.cpp: the printed forms of snapshots.
#include "monitor/cli/cli_output.h"

#include "monitor/export_formats.h"
#include "monitor/lock_text.h"

namespace monitor::cli {
namespace {

std::vector<TrackedLock> currentLocks(const TrackedSnapshot& snapshot) {
    std::vector<TrackedLock> locks;
    for (const TrackedLock& lock : snapshot.locks)
        if (lock.state != LockState::Released) locks.push_back(lock);
    return locks;
}

}  // namespace

QByteArray renderLocks(const TrackedSnapshot& snapshot, OutputFormat format) {
    const std::vector<TrackedLock> locks = currentLocks(snapshot);
    if (format == OutputFormat::Json) return locksJson(locks, snapshot.at);
    std::vector<QStringList> rows;
    rows.reserve(locks.size());
    for (const TrackedLock& lock : locks) rows.push_back(cellTexts(lock.row, snapshot.at));
    if (format == OutputFormat::Csv) return csvFile(columnTitles(), rows);
    return alignedTable(columnTitles(), rows).toUtf8();
}

QByteArray followLines(const TrackedSnapshot& snapshot, bool first) {
    QString text;
    const QString time = snapshot.at.toLocalTime().toString(QStringLiteral("HH:mm:ss"));
    for (const TrackedLock& lock : snapshot.locks) {
        const LockRow& r = lock.row;
        QString verb;
        if (lock.state == LockState::New || (first && lock.state == LockState::Held))
            verb = QStringLiteral("pris");
        else if (lock.state == LockState::Released)
            verb = QStringLiteral("libéré");
        else
            continue;
        QStringList cells = {
            time,    verb,       r.dictionary, r.table,       QString::number(r.recNo),
            r.rowId, r.userName, r.osLogin,    r.application, r.lockType};
        if (lock.state == LockState::Released)
            cells << QStringLiteral("après %1").arg(durationText(heldSeconds(r, snapshot.at)));
        text += delimitedLine(cells, u'\t') + u'\n';
    }
    return text.toUtf8();
}

QByteArray failureLines(const TrackedSnapshot& snapshot) {
    QString text;
    for (const DictionaryFailure& f : snapshot.failures)
        text +=
            QStringLiteral("%1  erreur  %2 : %3\n")
                .arg(snapshot.at.toLocalTime().toString(QStringLiteral("HH:mm:ss")), f.dictionary,
                     QString(f.message).replace(u'\n', u' ').replace(u'\r', u' '));
    return text.toUtf8();
}

}  // namespace monitor::cli
