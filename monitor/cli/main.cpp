// main.cpp: brevantis-locks, the lock monitor for scripts, cron and terminals.
#include <QCoreApplication>
#include <QThread>
#include <cstdio>
#include <cstdlib>

#include "dictionary/exe_folder.h"
#include "monitor/cli/cli_options.h"
#include "monitor/cli/cli_output.h"
#include "monitor/cli/history_cli.h"
#include "monitor/history_adapter.h"
#include "monitor/lock_monitor.h"
#include "rtl/exception.h"

namespace {

constexpr int kWithLocks = 0, kWithoutLocks = 1, kError = 2;

void write(FILE* to, const QByteArray& text) {
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), to);
    std::fflush(to);
}

int fail(const QString& message) {
    write(stderr, QStringLiteral("brevantis-locks : %1\n").arg(message).toUtf8());
    return kError;
}

int run(const QStringList& arguments) {
    using namespace monitor;
    QString error;
    const auto options = cli::parseArguments(
        arguments, [](const char* name) { return qEnvironmentVariable(name); }, error);
    if (!options) return fail(error);
    if (options->help) {
        write(stdout, cli::helpText().toUtf8());
        return kWithLocks;
    }
    if (options->showHistory) return cli::printHistory(*options);
    const QString iniFile = options->iniFile.isEmpty()
                                ? dictionary::executableFolder() + QStringLiteral("ads.ini")
                                : options->iniFile;
    const auto dictionaries = cli::resolveDictionaries(*options, iniFile, error);
    if (!dictionaries) return fail(error);

    LockMonitor lockMonitor(options->credentials);
    lockMonitor.setDictionaries(*dictionaries);
    if (!options->follow) {
        const auto snapshot = lockMonitor.refresh();
        write(stdout, cli::renderLocks(*snapshot, options->format));
        if (!snapshot->failures.empty()) {
            write(stderr, cli::failureLines(*snapshot));
            return kError;
        }
        return snapshot->current > 0 ? kWithLocks : kWithoutLocks;
    }
    // A history that cannot record says so once; the following goes on.
    std::unique_ptr<history::EpisodeStore> history;
    if (options->recordHistory)
        history = cli::openFollowHistory(*options, [](const QString& message) {
            write(stderr, QStringLiteral("brevantis-locks : %1\n").arg(message).toUtf8());
        });
    const std::chrono::seconds interval(options->intervalSeconds);
    for (bool first = true;; first = false) {
        const auto snapshot = lockMonitor.refresh();
        // Recorded before it is printed: whoever reads a line finds it in the history.
        if (history) history->record(toHistoryRefresh(*snapshot, *dictionaries, interval));
        write(stdout, cli::followLines(*snapshot, first));
        write(stderr, cli::failureLines(*snapshot));
        const qint64 spent = snapshot->elapsedMs;
        QThread::msleep(static_cast<unsigned long>(
            std::max<qint64>(0, options->intervalSeconds * 1000LL - spent)));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The window's name, so that both find the same lock history in the user's data folder.
    QCoreApplication::setApplicationName(QStringLiteral("Brevantis"));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    try {
        return run(arguments);
    } catch (const rtl::Exception& e) {
        // The engine library missing, for one.
        return fail(e.message());
    }
}
