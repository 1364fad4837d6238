// key_state_internal.h: how the X11 caps-lock state is put together, exposed for its tests.
#ifndef BREVANTIS_UI_PLATFORM_KEY_STATE_INTERNAL_H
#define BREVANTIS_UI_PLATFORM_KEY_STATE_INTERNAL_H

#include <cstdint>
#include <functional>

namespace ui::platform::internal {

// What is known of caps lock when its state is asked for.
struct CapsLockFacts {
    bool pressHandled = false;       // a press reached the program and its release has not
    bool lockedBeforePress = false;  // caps lock's lock as that press found it
};

// The state as of the key event being handled: while a press is being handled the key is down
// and the toggle is the one the press leads to (X itself unlocks only at the release). Without
// such a press the server's present state is asked for, through the two callbacks.
std::int16_t capsLockState(const CapsLockFacts& facts, const std::function<bool()>& serverHeld,
                           const std::function<bool()>& serverToggled);

}  // namespace ui::platform::internal

#endif  // BREVANTIS_UI_PLATFORM_KEY_STATE_INTERNAL_H
