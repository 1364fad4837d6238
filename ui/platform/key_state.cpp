// key_state.cpp: the process-wide key-state provider and the caps-lock state's make-up.
#include "ui/platform/key_state.h"

#include "ui/platform/key_state_internal.h"

namespace ui::platform {

namespace {
KeyStateProvider* installed = nullptr;  // nullptr: the X11 provider
}  // namespace

KeyStateProvider& keyStateProvider() {
    static X11KeyState x11;
    return installed ? *installed : x11;
}

KeyStateProvider* setKeyStateProvider(KeyStateProvider* provider) {
    KeyStateProvider* previous = installed;
    installed = provider;
    return previous;
}

namespace internal {

std::int16_t capsLockState(const CapsLockFacts& facts, const std::function<bool()>& serverHeld,
                           const std::function<bool()>& serverToggled) {
    bool held = facts.pressHandled || serverHeld();
    bool toggled = facts.pressHandled ? !facts.lockedBeforePress : serverToggled();
    std::int16_t state = 0;
    if (held) state |= kKeyHeld;
    if (toggled) state |= kKeyToggled;
    return state;
}

}  // namespace internal

}  // namespace ui::platform
