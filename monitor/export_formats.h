// export_formats.h: locks as text for other programs: the spreadsheet formats (clipboard and
// CSV file), JSON and an aligned table for terminals.
#ifndef BREVANTIS_MONITOR_EXPORT_FORMATS_H
#define BREVANTIS_MONITOR_EXPORT_FORMATS_H

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>
#include <vector>

#include "monitor/lock_row.h"

namespace monitor {

// One line of cells joined by `separator`. A cell holding the separator, a double quote, a
// line feed or a carriage return is put between double quotes with its quotes doubled, so
// that a spreadsheet reads it back whole; other cells are written as they are.
QString delimitedLine(const QStringList& cells, QChar separator);

// `cell` as a spreadsheet must read it: one starting with "=", "+", "-", "@", a tab or a
// carriage return would be taken for a formula (a lock owner's application name could run
// in the administrator's spreadsheet), so an apostrophe goes before it, which makes the
// spreadsheet show the rest as text. Other cells are returned as they are.
QString spreadsheetCell(const QString& cell);

// The titles then each row, one line each, lines ended by "\n": what Ctrl+C puts on the
// clipboard, with tabs. Cells go through spreadsheetCell.
QString tabSeparated(const QStringList& titles, const std::vector<QStringList>& rows);

// A CSV file as French spreadsheets read it: UTF-8 with a byte-order mark, ";" separators,
// lines ended by CR LF, the titles first. Cells go through spreadsheetCell.
QByteArray csvFile(const QStringList& titles, const std::vector<QStringList>& rows);

// The locks of `locks` read at `at` as a JSON array, one object per lock.
QByteArray locksJson(const std::vector<TrackedLock>& locks, const QDateTime& at);

// The titles and rows as columns padded with blanks, two blanks between columns, "\n" ends.
QString alignedTable(const QStringList& titles, const std::vector<QStringList>& rows);

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_EXPORT_FORMATS_H
