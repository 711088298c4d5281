// Urgent evasion: a harmless wallpaper at once (optionally with every window
// minimised), and no wallpaper change at all until it is switched off again,
// when the previous wallpaper comes back.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <utility>

#include "app/ini_file.h"
#include "app/settings_record.h"
#include "app/wallpaper_changer.h"
#include "platform/desktop_port.h"
#include "platform/file_system_port.h"
#include "platform/keyboard_port.h"

namespace tapestrel::app {

// What the notification-area icon shows: its list holds "TTICON", "TFICON".
enum class TrayIconImage { Normal = 0, UrgentEvasion = 1 };

inline TrayIconImage TrayIconFor(bool urgentEvasion) {
  return urgentEvasion ? TrayIconImage::UrgentEvasion : TrayIconImage::Normal;
}

class UrgentEvasion {
 public:
  struct Ports {
    platform::DesktopPort& desktop;
    const platform::FileSystemPort& files;
    platform::KeyboardPort& keyboard;
  };

  UrgentEvasion(SettingsRecord& settings, IniFile& ini, WallpaperChanger& changer, Ports ports,
                std::function<void(TrayIconImage)> showTrayIcon)
      : settings_(settings),
        ini_(ini),
        changer_(changer),
        ports_(ports),
        showTrayIcon_(std::move(showTrayIcon)) {}

  // The hot key: enter or leave, with the wallpaper, the keystrokes, the icon
  // and the flag written to the INI file at once.
  void ToggleUrgentEvasion();
  // The tray menu item and the settings dialog's check box: the flag and the
  // icon only. Changes are blocked (or free) again at once.
  void ToggleChangeBlock();

 private:
  void Enter();
  void Leave();
  void Keys(std::initializer_list<std::pair<uint8_t, bool>> presses);

  SettingsRecord& settings_;
  IniFile& ini_;
  WallpaperChanger& changer_;
  Ports ports_;
  std::function<void(TrayIconImage)> showTrayIcon_;
};

}  // namespace tapestrel::app
