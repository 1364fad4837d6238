// static_rows.h: the rows of a static SQL result that the client holds, by ordinal.
#ifndef BREVANTIS_ENGINE_CLIENT_STATIC_ROWS_H
#define BREVANTIS_ENGINE_CLIENT_STATIC_ROWS_H

#include <cstdint>
#include <forward_list>
#include <string>
#include <string_view>
#include <vector>

#include "engine/protocol/wire_format.h"

namespace engine::client {

// The execution's answer brings a result's first rows, and a cursor reading on fetches the
// next ones in batches: those rows, from the first on, are one vector, so that a row held
// costs no allocation of its own and is found at once. A move to a row far beyond them
// fetches the rows there first; such rows are kept apart, in runs of consecutive ordinals.
// Rows are never dropped once held. Their images are views of the answers they came in,
// which are kept here: an image is never copied. Not movable: the views point into it.
class StaticRows {
public:
    StaticRows() = default;
    StaticRows(const StaticRows&) = delete;
    StaticRows& operator=(const StaticRows&) = delete;

    // The row `ordinal` (from 1), or nullptr when it is not held. The pointer stays valid
    // until the next add().
    const protocol::RowView* find(uint32_t ordinal) const {
        if (ordinal - 1u < leading_.size()) return &leading_[ordinal - 1];  // 0 wraps: not held
        return findElsewhere(ordinal);
    }

    // Keeps `answer`, of which `part` is a view, for rows to be decoded from; returns the
    // same part of the answer as kept, which lives as long as this.
    std::string_view keep(std::string&& answer, std::string_view part);

    // Holds `rows` as the rows from ordinal `first` on, up to the first that marks BOF or
    // EOF (the end of what the server had) or that is held already (so are those after it).
    // REQUIRES: row `first` is not held; the images view answers kept here.
    void add(uint32_t first, std::vector<protocol::RowView>&& rows);

    // Hands the execution's answer back (its rows are not to be read after this), for its
    // connection to read later answers into: its room is then not allocated again.
    std::string takeFirstAnswer() { return std::move(firstAnswer_); }

private:
    struct Run {
        uint32_t first = 0;  // ordinal of rows[0]
        std::vector<protocol::RowView> rows;
    };
    const protocol::RowView* findElsewhere(uint32_t ordinal) const;

    std::string firstAnswer_;                   // the execution's, whose rows lead
    std::forward_list<std::string> fetched_;    // answers of later fetches (never moved)
    std::vector<protocol::RowView> leading_;    // the rows from ordinal 1 on
    std::vector<Run> elsewhere_;                // by first ordinal; disjoint, beyond leading_
};

}  // namespace engine::client

#endif  // BREVANTIS_ENGINE_CLIENT_STATIC_ROWS_H
