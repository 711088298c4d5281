#include "platform/win32/hook_hot_key.h"

#include "platform/error_guard.h"

namespace tapestrel::platform {

THookHotKey::THookHotKey(HWND owner) : owner_(owner) {
  Create(L"TapestrelHotKeys", L"", 0, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
}

bool THookHotKey::RegisterKey(int index, HotKeyValue value) {
  const HotKeyRegistration r = ToRegistration(value);
  const bool registered = RegisterHotKey(Handle(), index, r.modifiers, r.virtualKey) != FALSE;
  NoteKeypadTwin(index, registered && IsKeypadTwinCode(static_cast<int>(r.virtualKey)));
  return registered;
}

bool THookHotKey::UnregisterKey(int index) {
  NoteKeypadTwin(index, false);
  return UnregisterHotKey(Handle(), index) != FALSE;
}

void THookHotKey::NoteKeypadTwin(int index, bool twin) {
  if (twin)
    twinKeys_.insert(index);
  else
    twinKeys_.erase(index);
  if (twinKeys_.empty())
    keypad_.Stop();
  else
    keypad_.Start();
}

bool THookHotKey::ReregisterKey(int index, HotKeyValue value) {
  const bool unregistered = UnregisterKey(index);
  const bool registered = RegisterKey(index, value);
  return unregistered && registered;
}

bool THookHotKey::SetKey(int index, HotKeyValue value, bool enabled) {
  return enabled ? ReregisterKey(index, value) : UnregisterKey(index);
}

void THookHotKey::Dispatch(int index) {
  if (!OnHotKey) return;
  if (Activate && owner_) SetForegroundWindow(owner_);
  OnHotKey(*this, index);
}

LRESULT THookHotKey::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HOTKEY) {
    const int index = static_cast<int>(wParam);
    // The key's keypad twin matched it: not ours.
    if (twinKeys_.count(index) && KeypadPressWatch::LastPressWasKeypad(HIWORD(lParam))) return 0;
    // The handler's errors stop here, like every other callback's.
    Guarded([&] { Dispatch(index); });
    return 0;
  }
  return Default(message, wParam, lParam);
}

}  // namespace tapestrel::platform
