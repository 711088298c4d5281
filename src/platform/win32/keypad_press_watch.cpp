#include "platform/win32/keypad_press_watch.h"

#include <array>

#include "platform/hotkey_value.h"

namespace tapestrel::platform {
namespace {

// Per virtual key, written by the hook and read by the hot-key window, both
// on the thread that started the watch.
std::array<bool, 256> keypadPress{};

}  // namespace

void KeypadPressWatch::Start() {
  if (hook_) return;
  keypadPress.fill(false);
  hook_ = SetWindowsHookExW(WH_KEYBOARD_LL, &KeypadPressWatch::Hook, GetModuleHandleW(nullptr), 0);
}

void KeypadPressWatch::Stop() {
  if (!hook_) return;
  UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
  keypadPress.fill(false);
}

bool KeypadPressWatch::LastPressWasKeypad(unsigned virtualKey) {
  return virtualKey < keypadPress.size() && keypadPress[virtualKey];
}

LRESULT CALLBACK KeypadPressWatch::Hook(int code, WPARAM message, LPARAM data) {
  if (code == HC_ACTION && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
    if (IsKeypadTwinCode(static_cast<int>(key->vkCode)))
      keypadPress[key->vkCode] = !(key->flags & LLKHF_EXTENDED);
  }
  return CallNextHookEx(nullptr, code, message, data);
}

}  // namespace tapestrel::platform
