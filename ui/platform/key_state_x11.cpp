// key_state_x11.cpp: the caps-lock key state as the X server knows it.
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>

#include "ui/platform/key_state.h"
#include "ui/platform/key_state_internal.h"

namespace ui::platform {

namespace {

// Callers expect the key state as of the key event being handled: a press reads "held" until
// its release is handled, and the toggle bit tells the state this press leads to. Asking the X
// server instead gives the state of this very moment (a quick press is often over already),
// and X unlocks caps lock only when its key comes up, so while it is down the lock reads "on"
// whichever way the press goes. The key events carry what is needed, so they are noted here on
// their way in.
class CapsLockPressWatcher : public QObject {
  public:
    explicit CapsLockPressWatcher(QObject* app) : QObject(app) { app->installEventFilter(this); }

    bool down = false;             // a press was handled and its release not yet
    quint32 modifiersAtPress = 0;  // the X modifier mask just before that press

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_CapsLock || key->isAutoRepeat()) return false;
        down = type == QEvent::KeyPress;
        modifiersAtPress = key->nativeModifiers();
        return false;
    }
};

CapsLockPressWatcher& pressWatcher() {
    static QPointer<CapsLockPressWatcher> watcher;  // dies with the application
    if (!watcher) watcher = new CapsLockPressWatcher(qGuiApp);
    return *watcher;
}

}  // namespace

}  // namespace ui::platform

// Xlib's macros (KeyPress, ...) clash with Qt's names, so Xlib comes after the Qt code.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

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
    const CapsLockPressWatcher& watcher = pressWatcher();
    internal::CapsLockFacts facts{watcher.down, (watcher.modifiersAtPress & LockMask) != 0};
    return internal::capsLockState(
        facts, [display] { return capsLockHeld(display); },
        [display] { return capsLockToggled(display); });
}

}  // namespace ui::platform
