// static_rows.cpp: the rows of a static result held from the first on, and runs beyond.
#include "static_rows.h"

#include <algorithm>
#include <iterator>

namespace engine::client {
namespace {

void append(std::vector<Position>& to, std::vector<Position>&& rows) {
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

const Position* StaticRows::findElsewhere(uint32_t ordinal) const {
    auto after = runAfter(elsewhere_, ordinal);
    if (after == elsewhere_.begin()) return nullptr;
    const Run& run = *std::prev(after);
    const uint32_t i = ordinal - run.first;
    return i < run.rows.size() ? &run.rows[i] : nullptr;
}

void StaticRows::add(uint32_t first, std::vector<Position>&& rows) {
    auto after = runAfter(elsewhere_, first);
    size_t keep = std::find_if(rows.begin(), rows.end(),
                               [](const Position& p) { return p.bof || p.eof; }) -
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
