// key_state.cpp: the process-wide key-state provider.
#include "ui/platform/key_state.h"

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

}  // namespace ui::platform
