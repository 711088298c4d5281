// Every setting of the program and the little change state that survives a
// restart, one field per key of "Tapestrel.ini" and named after it. The
// "Window" and "List" keys are not kept here: they live in the main window
// and the browser and are read back from them when saving.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/ini_values.h"
#include "platform/date_time.h"
#include "platform/hotkey_value.h"

namespace tapestrel::app {

// Units of "IntervalUnit" and "RandomIntervalUnit".
enum TimeUnit { kSeconds = 0, kMinutes = 1, kHours = 2 };

// "CaptureFileExt".
enum CaptureFileType { kCaptureBmp = 0, kCaptureJpg = 1, kCapturePng = 2 };

struct SettingsRecord {
  // "System": the change state.
  int32_t LastWallIndex = 0;
  platform::DateTime LastChangTime = 0;
  bool UrgentEvasionMode = false;

  // "Whole".
  std::string WallPaperFolder;
  int32_t WallSlelct = 0;  // 0 next, 1 previous, 2 random
  int32_t WallPosition = 0;  // 0 centre, 1 stretch, 2 tile, 3 ratio
  ColourValue WallBlankColor = 0;
  bool TaskTrayResiding = true;
  bool WallBlankAutoColor = false;
  int32_t WallPositionRatioDrawing = 0;  // anchor 0..8

  // "Interval".
  bool IntervalEnabled = false;
  int32_t IntervalValue = 1;
  int32_t IntervalUnit = kMinutes;

  // "RandomTime".
  bool RandomIntervalEnabled = false;
  int32_t RandomIntervalValue = 1;
  int32_t RandomIntervalUnit = kMinutes;

  // "ShortCut".
  bool WallChangeShortCutEnabled = false;
  platform::HotKeyValue WallChangeShortCutKey = 0;

  // "Condition".
  bool WallOSEndChange = false;
  bool WallDateChange = false;

  // "Capture".
  bool CaptureEnabled = false;
  platform::HotKeyValue AllCaptureHotKey = 0;
  platform::HotKeyValue ActiveCaptureHotKey = 0;
  std::string CaptureFileName = "ScreenShot";
  int32_t CaptureFileExt = kCaptureBmp;

  // "UrgentEvasion".
  bool UrgentEvasionEnabled = false;
  platform::HotKeyValue UrgentEvasionHotKey = 0;
  std::string UrgentEvasionFileName;
  bool AllWindowMinimaize = false;

  // "InvalidCondition".
  bool InvalidConditionCPUEnabled = false;
  int32_t InvalidConditionCPUValue = 0;
  bool InvalidConditionApplicationEnabled = false;
  std::vector<std::string> ApplicationList;  // "InvalidConditionApplicationList"

  // "Sound".
  bool SoundEnabled = false;
  std::string SoundFile;
};

}  // namespace tapestrel::app
