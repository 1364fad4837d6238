// layout_slots.h: the record layouts a connection has carried, named by slot thereafter.
//
// A description sent with every open and every query would repeat the same columns: the
// lock search asks the same procedure thousands of times. So each end of a connection
// keeps a small table of layouts. The server puts a layout in a slot when it first sends
// it whole, and while the layout stays there names the slot alone; the client keeps what
// each whole layout it receives in the slot named. Only the server chooses slots, and the
// client reads every answer in order, so both tables always hold the same layouts.
#ifndef BREVANTIS_ENGINE_PROTOCOL_LAYOUT_SLOTS_H
#define BREVANTIS_ENGINE_PROTOCOL_LAYOUT_SLOTS_H

#include <array>
#include <cstdint>

#include "engine/record/value.h"

namespace engine::protocol {

class LayoutSlots {
  public:
    static constexpr uint16_t kSlots = 16;

    struct Placement {
        uint16_t slot = 0;
        bool whole = false;  // the layout was not in the table: send it whole
    };
    // Server: the slot of `layout`, put in the slot used longest ago when absent. The slot
    // keeps the layout alive, so no other layout can come to stand at its address.
    Placement place(const SharedLayout& layout);

    // Client: keeps a layout received whole in `slot`. REQUIRES: slot < kSlots.
    void keep(uint16_t slot, SharedLayout layout) { slots_[slot] = std::move(layout); }
    // Client: the layout a slot holds; null for an empty slot or one out of range.
    const SharedLayout* find(uint16_t slot) const {
        return slot < kSlots && slots_[slot] ? &slots_[slot] : nullptr;
    }

  private:
    std::array<SharedLayout, kSlots> slots_;
    uint16_t next_ = 0;  // the slot the next absent layout takes
};

}  // namespace engine::protocol

#endif  // BREVANTIS_ENGINE_PROTOCOL_LAYOUT_SLOTS_H
