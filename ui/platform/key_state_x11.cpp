// key_state_x11.cpp: the caps-lock key state as the X server knows it.
#include <QGuiApplication>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "ui/platform/key_state.h"

namespace ui::platform {

namespace {

// Qt's own Xlib display when it has one; otherwise one display of our own, opened once and
// kept for the life of the process.
Display* x11Display() {
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        if (Display* display = x11->display()) return display;
    }
    static Display* own = XOpenDisplay(nullptr);
    return own;
}

bool capsLockToggled(Display* display) {
    // The indicator named "Caps Lock" is looked up rather than assumed to be the first one,
    // since keymaps may number indicators differently.
    Atom name = XInternAtom(display, "Caps Lock", False);
    int index = -1;
    unsigned int states = 0;
    if (name != None && XkbGetNamedIndicator(display, name, &index, nullptr, nullptr, nullptr) &&
        index >= 0 && XkbGetIndicatorState(display, XkbUseCoreKbd, &states) == Success) {
        return (states >> index) & 1U;
    }
    // No such indicator: the locked Lock modifier means the same thing.
    XkbStateRec state;
    return XkbGetState(display, XkbUseCoreKbd, &state) == Success && (state.locked_mods & LockMask);
}

bool capsLockHeld(Display* display) {
    KeyCode code = XKeysymToKeycode(display, XK_Caps_Lock);
    if (code == 0) return false;
    char keys[32];
    XQueryKeymap(display, keys);
    return (keys[code / 8] >> (code % 8)) & 1;
}

}  // namespace

std::int16_t X11KeyState::capsLockState() const {
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) return 0;
    Display* display = x11Display();
    if (!display) return 0;
    std::int16_t state = 0;
    if (capsLockHeld(display)) state |= kKeyHeld;
    if (capsLockToggled(display)) state |= kKeyToggled;
    return state;
}

}  // namespace ui::platform
