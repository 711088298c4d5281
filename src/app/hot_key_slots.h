// The four global hot keys: which slot of the hot-key component does what,
// and which settings give each its key and switch it on.
#pragma once

#include <array>

#include "app/settings_record.h"
#include "platform/hotkey_value.h"

namespace tapestrel::app {

enum class HotKeySlot { WallChange = 0, CaptureScreen = 1, CaptureActiveWindow = 2, UrgentEvasion = 3 };

struct HotKeyAssignment {
  HotKeySlot slot;
  platform::HotKeyValue key;
  bool enabled;
};

// In slot order, as the hot keys are registered.
inline std::array<HotKeyAssignment, 4> HotKeyAssignments(const SettingsRecord& s) {
  return {{{HotKeySlot::WallChange, s.WallChangeShortCutKey, s.WallChangeShortCutEnabled},
           {HotKeySlot::CaptureScreen, s.AllCaptureHotKey, s.CaptureEnabled},
           {HotKeySlot::CaptureActiveWindow, s.ActiveCaptureHotKey, s.CaptureEnabled},
           {HotKeySlot::UrgentEvasion, s.UrgentEvasionHotKey, s.UrgentEvasionEnabled}}};
}

}  // namespace tapestrel::app
