// layout_slots.cpp: slot placement of the layouts a server sends.
#include "engine/protocol/layout_slots.h"

namespace engine::protocol {

LayoutSlots::Placement LayoutSlots::place(const SharedLayout& layout) {
    for (uint16_t i = 0; i < kSlots; ++i)
        if (slots_[i] == layout) return {i, false};
    uint16_t slot = next_;
    next_ = static_cast<uint16_t>((next_ + 1) % kSlots);
    slots_[slot] = layout;
    return {slot, true};
}

}  // namespace engine::protocol
