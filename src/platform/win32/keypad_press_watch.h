// Tells a key from its numeric-keypad twin after the fact. A hot key on the
// Left arrow is also pressed by the keypad's 4 with Num Lock off: both send
// VK_LEFT, and WM_HOTKEY does not say which. A low-level keyboard hook sees
// each press, with the extended flag that only the key itself carries,
// before Windows matches it against the hot keys.
#pragma once

#include <windows.h>

namespace tapestrel::platform {

class KeypadPressWatch {
 public:
  KeypadPressWatch() = default;
  KeypadPressWatch(const KeypadPressWatch&) = delete;
  KeypadPressWatch& operator=(const KeypadPressWatch&) = delete;
  ~KeypadPressWatch() { Stop(); }

  // Watching costs every key press of the session a call into this thread:
  // it runs only while a hot key needs it. Without a hook nothing is known
  // and every press counts.
  void Start();
  void Stop();
  bool Running() const { return hook_ != nullptr; }

  // Whether the last press of `virtualKey` came from the numeric keypad.
  static bool LastPressWasKeypad(unsigned virtualKey);

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM message, LPARAM data);
  HHOOK hook_ = nullptr;
};

}  // namespace tapestrel::platform
