// stop_signal.h: waiting for SIGINT / SIGTERM (or a time limit) without a signal handler.
#ifndef BREVANTIS_ENGINE_TOOLS_LOCKHOLDER_STOP_SIGNAL_H
#define BREVANTIS_ENGINE_TOOLS_LOCKHOLDER_STOP_SIGNAL_H

namespace lockholder {

// Blocks SIGINT and SIGTERM in the calling thread and in every thread it starts afterwards,
// so that they wait for waitForStop instead of killing the process mid-release.
// REQUIRES: called first in main, before any thread is started.
void blockStopSignals();

// Waits until SIGINT or SIGTERM arrives, or `seconds` have passed (0: no limit).
// Returns the signal number, or 0 when the time ran out.
int waitForStop(double seconds);

}  // namespace lockholder

#endif  // BREVANTIS_ENGINE_TOOLS_LOCKHOLDER_STOP_SIGNAL_H
