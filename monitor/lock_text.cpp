// lock_text.cpp: the texts of a lock.
#include "monitor/lock_text.h"

namespace monitor {

const QStringList& columnTitles() {
    static const QStringList titles = {
        QStringLiteral("Dictionnaire"),   QStringLiteral("Table"),
        QStringLiteral("Enregistrement"), QStringLiteral("ROWID"),
        QStringLiteral("Utilisateur"),    QStringLiteral("Login OS"),
        QStringLiteral("Application"),    QStringLiteral("Type de lock"),
        QStringLiteral("Vu depuis"),      QStringLiteral("Durée")};
    return titles;
}

QString durationText(qint64 seconds) {
    seconds = std::max<qint64>(seconds, 0);
    const qint64 h = seconds / 3600, min = seconds % 3600 / 60, s = seconds % 60;
    if (h > 0) return QStringLiteral("%1 h %2 min %3 s").arg(h).arg(min).arg(s);
    if (min > 0) return QStringLiteral("%1 min %2 s").arg(min).arg(s);
    return QStringLiteral("%1 s").arg(s);
}

QString timeText(const QDateTime& at) {
    return at.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

QString cellText(const LockRow& row, int column, const QDateTime& at) {
    switch (column) {
        case kDictionary:
            return row.dictionary;
        case kTable:
            return row.table;
        case kRecord:
            return QString::number(row.recNo);
        case kRowId:
            return row.rowId;
        case kUser:
            return row.userName;
        case kOsLogin:
            return row.osLogin;
        case kApplication:
            return row.application;
        case kLockType:
            return row.lockType;
        case kFirstSeen:
            return timeText(row.firstSeen);
        case kDuration:
            return durationText(heldSeconds(row, at));
        default:
            return QString();
    }
}

QStringList cellTexts(const LockRow& row, const QDateTime& at) {
    QStringList cells;
    for (int column = 0; column < kColumnCount; ++column) cells << cellText(row, column, at);
    return cells;
}

QString counterText(const TrackedSnapshot& snapshot) {
    return QStringLiteral("%1 locks, %2 nouveaux, %3 libérés")
        .arg(snapshot.current)
        .arg(snapshot.fresh)
        .arg(snapshot.released);
}

}  // namespace monitor
