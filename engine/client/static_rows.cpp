// static_rows.cpp: runs of the rows of a static result, found by ordinal.
#include "static_rows.h"

#include <algorithm>
#include <iterator>

namespace engine::client {

std::vector<StaticRows::Run>::const_iterator StaticRows::runAfter(uint32_t ordinal) const {
    return std::upper_bound(runs_.begin(), runs_.end(), ordinal,
                            [](uint32_t n, const Run& run) { return n < run.first; });
}

const Position* StaticRows::find(uint32_t ordinal) const {
    auto after = runAfter(ordinal);
    if (after == runs_.begin()) return nullptr;
    const Run& run = *std::prev(after);
    const uint32_t i = ordinal - run.first;
    return i < run.rows.size() ? &run.rows[i] : nullptr;
}

void StaticRows::add(uint32_t first, std::vector<Position>&& rows) {
    auto after = runAfter(first);
    size_t keep = std::find_if(rows.begin(), rows.end(),
                               [](const Position& p) { return p.bof || p.eof; }) -
                  rows.begin();
    if (after != runs_.end()) keep = std::min<size_t>(keep, after->first - first);
    rows.resize(keep);
    if (rows.empty()) return;
    const auto at = runs_.begin() + (after - runs_.cbegin());
    if (at != runs_.begin()) {
        Run& before = *std::prev(at);
        if (before.first + before.rows.size() == first) {  // reading on from its end
            before.rows.insert(before.rows.end(), std::make_move_iterator(rows.begin()),
                               std::make_move_iterator(rows.end()));
            return;
        }
    }
    runs_.insert(at, Run{first, std::move(rows)});
}

}  // namespace engine::client
