#pragma once
// Whether Caps Lock, Num Lock and Scroll Lock are on, for the status bar's indicators.
//
// The state is the keyboard's lock indicators as the X server keeps them, read through the
// display connection the application already has. Where the application does not run on an X
// server (the offscreen platform, Wayland) or the program was built without libX11, there is
// nothing to read and every key counts as off, which leaves the indicators blank.

namespace quenmar {

struct LockKeys {
  bool capsLock = false;
  bool numLock = false;
  bool scrollLock = false;

  friend bool operator==(const LockKeys&, const LockKeys&) = default;
};

class LockKeyState {
 public:
  // The current state; needs a QGuiApplication.
  static LockKeys Read();
  // Whether Read reflects a real keyboard (an X server is there to ask).
  static bool IsAvailable();
};

}  // namespace quenmar
