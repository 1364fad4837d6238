// static_rows.h: the rows of a static SQL result that the client holds, by ordinal.
#ifndef BREVANTIS_ENGINE_CLIENT_STATIC_ROWS_H
#define BREVANTIS_ENGINE_CLIENT_STATIC_ROWS_H

#include <cstdint>
#include <vector>

#include "engine/core/session.h"

namespace engine::client {

// The execution's answer brings a result's first rows; later rows come in batches where
// the cursor goes, which need not be in order (a move to the last row fetches the rows
// there first). Rows are kept in runs of consecutive ordinals, one vector each, so that a
// row held costs no allocation of its own, and reading on from the end of a run extends
// it. Rows are never dropped once held.
class StaticRows {
public:
    // The row `ordinal` (from 1), or nullptr when it is not held. The pointer stays valid
    // until the next add().
    const Position* find(uint32_t ordinal) const;

    // Holds `rows` as the rows from ordinal `first` on, up to the first that marks BOF or
    // EOF (the end of what the server had) or that is held already (so are those after it).
    // REQUIRES: row `first` is not held.
    void add(uint32_t first, std::vector<Position>&& rows);

private:
    struct Run {
        uint32_t first = 0;  // ordinal of rows[0]
        std::vector<Position> rows;
    };
    // The first run that begins after `ordinal`.
    std::vector<Run>::const_iterator runAfter(uint32_t ordinal) const;

    std::vector<Run> runs_;  // by first ordinal; no two hold the same ordinal
};

}  // namespace engine::client

#endif  // BREVANTIS_ENGINE_CLIENT_STATIC_ROWS_H
