// THookHotKey: system-wide hot keys registered for a hidden message-only
// window; a press is reported by its index. A hot key on an arrow, Insert,
// Delete, Home, End, Page Up or Page Down answers that key only, not its
// numeric-keypad twin.
#pragma once

#include <windows.h>

#include <functional>
#include <set>

#include "platform/hotkey_value.h"
#include "platform/win32/keypad_press_watch.h"
#include "platform/win32/window.h"

namespace tapestrel::platform {

class THookHotKey : public Window {
 public:
  using HotKeyEvent = std::function<void(THookHotKey& sender, int index)>;

  // `owner` is brought to the foreground on a press when Activate is on.
  explicit THookHotKey(HWND owner = nullptr);
  ~THookHotKey() override = default;

  bool RegisterKey(int index, HotKeyValue value);
  bool UnregisterKey(int index);
  bool ReregisterKey(int index, HotKeyValue value);
  bool SetKey(int index, HotKeyValue value, bool enabled);

  bool Activate = true;
  HotKeyEvent OnHotKey;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Dispatch(int index);
  // Registered indices whose key has a keypad twin; the watch runs while
  // there is one.
  void NoteKeypadTwin(int index, bool twin);

  HWND owner_;
  std::set<int> twinKeys_;
  KeypadPressWatch keypad_;
};

}  // namespace tapestrel::platform
