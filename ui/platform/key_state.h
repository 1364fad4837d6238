// key_state.h: the caps-lock key state, read through a provider that tests can replace.
#ifndef BREVANTIS_UI_PLATFORM_KEY_STATE_H
#define BREVANTIS_UI_PLATFORM_KEY_STATE_H

#include <cstdint>

namespace ui::platform {

// Bits of a key state: the whole high byte is set while the key is held down (so the value
// is negative), the lowest bit while the key's lock is toggled on. Held and toggled together
// give -127 (0xFF81); toggled alone gives 1.
inline constexpr std::int16_t kKeyHeld = static_cast<std::int16_t>(0xFF80);
inline constexpr std::int16_t kKeyToggled = 0x0001;

// Reports the state of the caps-lock key.
class KeyStateProvider {
  public:
    virtual ~KeyStateProvider() = default;
    // The caps-lock key's state as kKeyHeld | kKeyToggled bits; 0 when unknown.
    virtual std::int16_t capsLockState() const = 0;
};

// The X11 provider: XKB's caps-lock indicator for the toggle, the server's keymap for the
// key held down. Answers 0 when the application does not run on the xcb platform.
class X11KeyState : public KeyStateProvider {
  public:
    std::int16_t capsLockState() const override;
};

// A test double that answers whatever was set last.
class FakeKeyState : public KeyStateProvider {
  public:
    explicit FakeKeyState(std::int16_t state = 0) : state_(state) {}
    void setCapsLockState(std::int16_t state) { state_ = state; }
    std::int16_t capsLockState() const override { return state_; }

  private:
    std::int16_t state_;
};

// The process-wide provider: an X11KeyState unless another one was installed.
KeyStateProvider& keyStateProvider();

// Installs `provider` process-wide (nullptr restores the X11 one) and returns the one it
// replaces (nullptr when that was the X11 one). The caller keeps ownership.
KeyStateProvider* setKeyStateProvider(KeyStateProvider* provider);

}  // namespace ui::platform

#endif  // BREVANTIS_UI_PLATFORM_KEY_STATE_H
