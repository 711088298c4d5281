#include "platform/win32/hook_hot_key.h"

#include "platform/error_guard.h"

namespace tapestrel::platform {

THookHotKey::THookHotKey(HWND owner) : owner_(owner) {
  Create(L"TapestrelHotKeys", L"", 0, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
}

bool THookHotKey::RegisterKey(int index, HotKeyValue value) {
  const HotKeyRegistration r = ToRegistration(value);
  return RegisterHotKey(Handle(), index, r.modifiers, r.virtualKey) != FALSE;
}

bool THookHotKey::UnregisterKey(int index) { return UnregisterHotKey(Handle(), index) != FALSE; }

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
    // The handler's errors stop here, like every other callback's.
    Guarded([&] { Dispatch(static_cast<int>(wParam)); });
    return 0;
  }
  return Default(message, wParam, lParam);
}

}  // namespace tapestrel::platform
