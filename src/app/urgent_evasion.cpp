#include "app/urgent_evasion.h"

#include "app/settings_store.h"

namespace tapestrel::app {
namespace {

constexpr uint8_t kShift = 0x10, kCtrl = 0x11, kAlt = 0x12, kLeftWindows = 0x5B, kM = 0x4D;
constexpr bool kUp = true, kDown = false;

}  // namespace

void UrgentEvasion::ToggleUrgentEvasion() {
  if (core_.Settings().UrgentEvasionMode) {
    Leave();
  } else {
    Enter();
  }
}

void UrgentEvasion::Enter() {
  SettingsRecord& s = core_.Settings();
  if (core_.Ports().files.FileExists(s.UrgentEvasionFileName)) {
    core_.ApplyWallpaper(s.UrgentEvasionFileName, kChangeQuiet);
  } else {
    core_.Ports().desktop.SetWallpaper("");
    core_.RecordChange("", kChangeQuiet, "");
  }
  // Windows + M minimises every window.
  if (s.AllWindowMinimaize) {
    Keys({{kShift, kUp}, {kAlt, kUp}, {kCtrl, kUp}, {kLeftWindows, kDown}, {kM, kDown}, {kM, kUp},
          {kLeftWindows, kUp}});
  }
  s.UrgentEvasionMode = true;
  setTrayIcon_(1);
  WriteUrgentEvasionMode(core_.Ini(), true);
}

void UrgentEvasion::Leave() {
  SettingsRecord& s = core_.Settings();
  s.UrgentEvasionMode = false;
  // From the file, not from memory: the last picture applied ordinarily.
  core_.ApplyWallpaper(ReadLastWallpaperPath(core_.Ini()), kChangeQuiet);
  // Windows + Shift + M brings them back.
  if (s.AllWindowMinimaize) {
    Keys({{kShift, kUp}, {kAlt, kUp}, {kCtrl, kUp}, {kLeftWindows, kDown}, {kShift, kDown}, {kM, kDown},
          {kM, kUp}, {kShift, kUp}, {kLeftWindows, kUp}});
  }
  setTrayIcon_(0);
  WriteUrgentEvasionMode(core_.Ini(), false);
}

void UrgentEvasion::N24Click() {
  SettingsRecord& s = core_.Settings();
  s.UrgentEvasionMode = !s.UrgentEvasionMode;
  setTrayIcon_(s.UrgentEvasionMode ? 1 : 0);
}

void UrgentEvasion::Keys(std::initializer_list<std::pair<uint8_t, bool>> presses) {
  for (const auto& [key, up] : presses) keyboard_.KeyEvent(key, up);
}

}  // namespace tapestrel::app
