// static_rows.cpp: the rows of a static result held from the first on, and runs beyond.
#include "engine/client/static_rows.h"

#include <algorithm>
#include <iterator>

namespace engine::client {
namespace {

void append(std::vector<protocol::RowView>& to, std::vector<protocol::RowView>&& rows) {
    if (to.empty()) {
        to = std::move(rows);
        return;
    }
    to.insert(to.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
}

// The first of `runs` (by first ordinal) that begins after `ordinal`.
template <typename Runs>
auto runAfter(Runs& runs, uint32_t ordinal) {
    return std::upper_bound(runs.begin(), runs.end(), ordinal,
                            [](uint32_t n, const auto& run) { return n < run.first; });
}

}  // namespace

const protocol::RowView* StaticRows::findElsewhere(uint32_t ordinal) const {
    auto after = runAfter(elsewhere_, ordinal);
    if (after == elsewhere_.begin()) return nullptr;
    const Run& run = *std::prev(after);
    const uint32_t i = ordinal - run.first;
    return i < run.rows.size() ? &run.rows[i] : nullptr;
}

std::string_view StaticRows::keep(std::string&& answer, std::string_view part) {
    const size_t at = static_cast<size_t>(part.data() - answer.data());
    // The first answer kept is the execution's; a string's own room (a short one's) moves
    // with it, so the views are made once the answer is where it stays.
    std::string& kept = firstAnswer_.empty() && fetched_.empty()
                            ? (firstAnswer_ = std::move(answer))
                            : fetched_.emplace_front(std::move(answer));
    return std::string_view(kept).substr(at, part.size());
}

void StaticRows::add(uint32_t first, std::vector<protocol::RowView>&& rows) {
    auto after = runAfter(elsewhere_, first);
    size_t keep = std::find_if(rows.begin(), rows.end(),
                               [](const protocol::RowView& p) { return p.bof || p.eof; }) -
                  rows.begin();
    if (after != elsewhere_.end()) keep = std::min<size_t>(keep, after->first - first);
    rows.resize(keep);
    if (rows.empty()) return;
    if (first == leading_.size() + 1) return append(leading_, std::move(rows));
    if (after != elsewhere_.begin()) {
        Run& before = *std::prev(after);
        if (before.first + before.rows.size() == first) return append(before.rows, std::move(rows));
    }
    elsewhere_.insert(after, Run{first, std::move(rows)});
}

}  // namespace engine::client
