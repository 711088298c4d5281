#include "app/urgent_evasion.h"

#include "app/settings_store.h"

namespace tapestrel::app {
namespace {

constexpr uint8_t kShift = 0x10, kCtrl = 0x11, kAlt = 0x12, kLeftWindows = 0x5B, kM = 0x4D;
constexpr bool kUp = true, kDown = false;

}  // namespace

void UrgentEvasion::ToggleUrgentEvasion() {
  if (settings_.UrgentEvasionMode) {
    Leave();
  } else {
    Enter();
  }
}

void UrgentEvasion::Enter() {
  if (ports_.files.FileExists(settings_.UrgentEvasionFileName)) {
    changer_.ApplyWallpaper(settings_.UrgentEvasionFileName, ChangeMode::Quiet);
  } else {
    ports_.desktop.SetWallpaper("");
    changer_.RecordChange("", ChangeMode::Quiet);
  }
  // Windows + M minimises every window.
  if (settings_.AllWindowMinimize) {
    Keys({{kShift, kUp},
          {kAlt, kUp},
          {kCtrl, kUp},
          {kLeftWindows, kDown},
          {kM, kDown},
          {kM, kUp},
          {kLeftWindows, kUp}});
  }
  settings_.UrgentEvasionMode = true;
  showTrayIcon_(TrayIconImage::UrgentEvasion);
  WriteUrgentEvasionMode(ini_, true);
}

void UrgentEvasion::Leave() {
  settings_.UrgentEvasionMode = false;
  // From the file, not from memory: the last picture applied ordinarily.
  changer_.ApplyWallpaper(ReadLastWallpaperPath(ini_), ChangeMode::Quiet);
  // Windows + Shift + M brings them back.
  if (settings_.AllWindowMinimize) {
    Keys({{kShift, kUp},
          {kAlt, kUp},
          {kCtrl, kUp},
          {kLeftWindows, kDown},
          {kShift, kDown},
          {kM, kDown},
          {kM, kUp},
          {kShift, kUp},
          {kLeftWindows, kUp}});
  }
  showTrayIcon_(TrayIconImage::Normal);
  WriteUrgentEvasionMode(ini_, false);
}

void UrgentEvasion::ToggleChangeBlock() {
  settings_.UrgentEvasionMode = !settings_.UrgentEvasionMode;
  showTrayIcon_(TrayIconFor(settings_.UrgentEvasionMode));
}

void UrgentEvasion::Keys(std::initializer_list<std::pair<uint8_t, bool>> presses) {
  for (const auto& [key, up] : presses) ports_.keyboard.KeyEvent(key, up);
}

}  // namespace tapestrel::app
