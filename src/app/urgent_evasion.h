// Urgent evasion: a harmless wallpaper at once (optionally with every window
// minimised), and no wallpaper change at all until it is switched off again,
// when the previous wallpaper comes back.
#pragma once

#include <functional>

#include "app/app_core.h"
#include "platform/keyboard_port.h"

namespace tapestrel::app {

class UrgentEvasion {
 public:
  // `setTrayIcon` shows icon 0 (normal) or 1 (evasion) in the notification area.
  UrgentEvasion(AppCore& core, platform::KeyboardPort& keyboard, std::function<void(int)> setTrayIcon)
      : core_(core), keyboard_(keyboard), setTrayIcon_(std::move(setTrayIcon)) {}

  // The hot key: enter or leave, with the wallpaper, the keystrokes, the icon
  // and the flag written to the INI file at once.
  void ToggleUrgentEvasion();
  // The tray menu item: the flag and the icon only.
  void N24Click();

 private:
  void Enter();
  void Leave();
  void Keys(std::initializer_list<std::pair<uint8_t, bool>> presses);

  AppCore& core_;
  platform::KeyboardPort& keyboard_;
  std::function<void(int)> setTrayIcon_;
};

}  // namespace tapestrel::app
