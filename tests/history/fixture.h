// Shared helpers of the lock history's tests: observations from short tokens, and a private
// folder per test.
#pragma once

#include "observation.h"

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

namespace history::testing {

// A fixed instant the cases count their seconds from.
QDateTime t0();
QDateTime at(qint64 seconds);

// "FACTURES:12:DUPONT" → a lock on record 12 of FACTURES in dictionary "compta", held by
// DUPONT (login "dupont", application "Gestion.exe").
Observation lock(const QString& token, const QString& dictionary = QStringLiteral("compta"));

// A refresh at `seconds` of dictionary "compta" (or `dictionary`) seeing `tokens`.
Refresh refreshAt(qint64 seconds, const QStringList& tokens, qint64 intervalSeconds = 5,
                  const QString& dictionary = QStringLiteral("compta"));

// The folder of the helper programs built beside the tests.
QString binDir();

}  // namespace history::testing
