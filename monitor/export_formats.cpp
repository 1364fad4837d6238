// export_formats.cpp: the export formats.
#include "monitor/export_formats.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace monitor {
namespace {

QString quotedIfNeeded(const QString& cell, QChar separator) {
    const bool needs = cell.contains(separator) || cell.contains(u'"') || cell.contains(u'\n') ||
                       cell.contains(u'\r');
    if (!needs) return cell;
    QString quoted = cell;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

// Lines for a spreadsheet.
QString lines(const QStringList& titles, const std::vector<QStringList>& rows, QChar separator,
              const QString& end) {
    const auto line = [&](const QStringList& cells) {
        QStringList safe;
        safe.reserve(cells.size());
        for (const QString& cell : cells) safe << spreadsheetCell(cell);
        return delimitedLine(safe, separator) + end;
    };
    QString text = line(titles);
    for (const QStringList& row : rows) text += line(row);
    return text;
}

}  // namespace

QString spreadsheetCell(const QString& cell) {
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (cell.isEmpty() || !formulaStarts.contains(cell.front())) return cell;
    return u'\'' + cell;
}

QString delimitedLine(const QStringList& cells, QChar separator) {
    QStringList quoted;
    quoted.reserve(cells.size());
    for (const QString& cell : cells) quoted << quotedIfNeeded(cell, separator);
    return quoted.join(separator);
}

QString tabSeparated(const QStringList& titles, const std::vector<QStringList>& rows) {
    return lines(titles, rows, u'\t', QStringLiteral("\n"));
}

QByteArray csvFile(const QStringList& titles, const std::vector<QStringList>& rows) {
    return QByteArrayLiteral("\xEF\xBB\xBF") +
           lines(titles, rows, u';', QStringLiteral("\r\n")).toUtf8();
}

QByteArray locksJson(const std::vector<TrackedLock>& locks, const QDateTime& at) {
    QJsonArray array;
    for (const TrackedLock& lock : locks) {
        const LockRow& r = lock.row;
        array.append(QJsonObject{
            {QStringLiteral("dictionnaire"), r.dictionary},
            {QStringLiteral("table"), r.table},
            {QStringLiteral("enregistrement"), r.recNo},
            {QStringLiteral("rowid"), r.rowId},
            {QStringLiteral("utilisateur"), r.userName},
            {QStringLiteral("loginOs"), r.osLogin},
            {QStringLiteral("application"), r.application},
            {QStringLiteral("typeDeLock"), r.lockType},
            {QStringLiteral("vuDepuis"), r.firstSeen.toString(Qt::ISODate)},
            {QStringLiteral("dureeSecondes"), heldSeconds(r, at)},
        });
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QString alignedTable(const QStringList& titles, const std::vector<QStringList>& rows) {
    std::vector<qsizetype> widths;
    for (const QString& t : titles) widths.push_back(t.size());
    for (const QStringList& row : rows)
        for (qsizetype i = 0; i < row.size() && i < qsizetype(widths.size()); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    auto line = [&](const QStringList& cells) {
        QString text;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const bool last = i + 1 == cells.size();
            text += last ? cells[i] : cells[i].leftJustified(widths[i]) + QStringLiteral("  ");
        }
        return text + u'\n';
    };
    QString text = line(titles);
    for (const QStringList& row : rows) text += line(row);
    return text;
}

}  // namespace monitor
