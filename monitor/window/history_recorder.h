// history_recorder.h: the window's recording of each refresh in the lock history, on the
// refresh thread, so that writing 100,000 locks never holds up the window.
#ifndef BREVANTIS_MONITOR_WINDOW_HISTORY_RECORDER_H
#define BREVANTIS_MONITOR_WINDOW_HISTORY_RECORDER_H

#include <atomic>
#include <chrono>
#include <memory>

#include "episode_store.h"
#include "monitor/history_settings.h"
#include "monitor/lock_monitor.h"

namespace monitor {

// Opens its own store at the first snapshot, on the thread that records (a database
// connection belongs to the thread that opened it); it must be destroyed on that thread too.
class HistoryRecorder : public SnapshotObserver {
  public:
    // `messages` is called on the recording thread.
    HistoryRecorder(HistorySettings kept, history::EpisodeStore::MessageSink messages);
    ~HistoryRecorder() override;

    // The refresh interval recorded with the next snapshots. Any thread.
    void setInterval(std::chrono::milliseconds interval) { intervalMs_ = interval.count(); }

    void snapshotTaken(const TrackedSnapshot& snapshot,
                       const std::vector<WatchedDictionary>& watched) override;

  private:
    HistorySettings kept_;
    history::EpisodeStore::MessageSink messages_;
    std::atomic<qint64> intervalMs_{5000};
    std::unique_ptr<history::EpisodeStore> store_;
};

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_WINDOW_HISTORY_RECORDER_H
