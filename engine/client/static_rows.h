// static_rows.h: the rows of a static SQL result that the client holds, by ordinal.
#ifndef BREVANTIS_ENGINE_CLIENT_STATIC_ROWS_H
#define BREVANTIS_ENGINE_CLIENT_STATIC_ROWS_H

#include <cstdint>
#include <vector>

#include "engine/core/session.h"

namespace engine::client {

// The execution's answer brings a result's first rows, and a cursor reading on fetches the
// next ones in batches: those rows, from the first on, are one vector, so that a row held
// costs no allocation of its own and is found at once. A move to a row far beyond them
// fetches the rows there first; such rows are kept apart, in runs of consecutive ordinals.
// Rows are never dropped once held.
class StaticRows {
public:
    // The row `ordinal` (from 1), or nullptr when it is not held. The pointer stays valid
    // until the next add().
    const Position* find(uint32_t ordinal) const {
        if (ordinal - 1u < leading_.size()) return &leading_[ordinal - 1];  // 0 wraps: not held
        return findElsewhere(ordinal);
    }

    // Holds `rows` as the rows from ordinal `first` on, up to the first that marks BOF or
    // EOF (the end of what the server had) or that is held already (so are those after it).
    // REQUIRES: row `first` is not held.
    void add(uint32_t first, std::vector<Position>&& rows);

private:
    struct Run {
        uint32_t first = 0;  // ordinal of rows[0]
        std::vector<Position> rows;
    };
    const Position* findElsewhere(uint32_t ordinal) const;

    std::vector<Position> leading_;  // the rows from ordinal 1 on
    std::vector<Run> elsewhere_;     // by first ordinal; disjoint, all beyond leading_
};

}  // namespace engine::client

#endif  // BREVANTIS_ENGINE_CLIENT_STATIC_ROWS_H
