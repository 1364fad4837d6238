// history_recorder.cpp: HistoryRecorder.
#include "monitor/window/history_recorder.h"

#include "monitor/history_adapter.h"

namespace monitor {

HistoryRecorder::HistoryRecorder(HistorySettings kept, history::EpisodeStore::MessageSink messages)
    : kept_(std::move(kept)), messages_(std::move(messages)) {}

HistoryRecorder::~HistoryRecorder() = default;

void HistoryRecorder::snapshotTaken(const TrackedSnapshot& snapshot,
                                    const std::vector<WatchedDictionary>& watched) {
    if (!store_) store_ = openHistory(kept_.location, kept_.retentionDays, messages_);
    store_->record(
        toHistoryRefresh(snapshot, watched, std::chrono::milliseconds(intervalMs_.load())));
}

}  // namespace monitor
