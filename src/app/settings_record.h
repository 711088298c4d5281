// Every setting of the program and the little change state that survives a
// restart, one field per key of "Tapestrel.ini". Fields are named after their
// keys, spelled correctly where a key is not ("WallSlelct" is WallSelect).
// The "Window" and "List" fields are what the main window and the browser
// show: loading applies them there, and the main window fills them in from
// there before a save. A new record holds the defaults of the settings table
// (settings_store.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/color_value.h"
#include "platform/date_time.h"
#include "platform/hotkey_value.h"

namespace tapestrel::app {

// "WallSlelct": how the next picture is chosen. Any other value chooses none.
enum class SelectionMethod : int32_t { Next = 0, Previous = 1, Random = 2 };

// "WallPosition": how the wallpaper covers the screen. Any other value is
// treated as Center without setting a blank color.
enum class PositionMode : int32_t { Center = 0, Stretch = 1, Tile = 2, RatioExpansion = 3 };

// "MonitorMode": what several monitors show. Any other value is treated as
// Same.
enum class MonitorLayout : int32_t { Same = 0, PerMonitor = 1, Span = 2 };

// Units of "IntervalUnit" and "RandomIntervalUnit".
enum TimeUnit { kSeconds = 0, kMinutes = 1, kHours = 2 };

// "CaptureFileExt".
enum CaptureFileType { kCaptureBmp = 0, kCaptureJpg = 1, kCapturePng = 2 };

// The "Window" keys: the main window's edges in screen coordinates and its
// state.
struct WindowGeometry {
  int32_t left{}, top{}, width{}, height{};
  bool maximized{};
};

// The sixteen custom colors of the color dialog, "ColorA" to "ColorP".
using CustomColors = std::array<imaging::ColorValue, 16>;

struct SettingsRecord {
  SettingsRecord();  // the table's defaults

  // "System": the change state.
  int32_t LastWallIndex{};
  platform::DateTime LastChangeTime{};  // "LastChangTime"
  bool UrgentEvasionMode{};

  // "Window".
  WindowGeometry Window;

  // "List": the checked view mode and style (0 when none of 1..5 is checked)
  // and the browser's sort kind and direction.
  int32_t ViewMode{};
  int32_t ViewStyle{};
  int32_t SortType{};
  bool SortDescending{};  // "SortDirection"

  // "Whole".
  std::string WallPaperFolder;
  SelectionMethod WallSelect{};  // "WallSlelct"
  PositionMode WallPosition{};
  imaging::ColorValue WallBlankColor{};
  bool TaskTrayResiding{};
  bool WallBlankAutoColor{};
  int32_t WallPositionRatioDrawing{};  // anchor 0..8
  bool ExifOrientation{};              // photos turned as their camera recorded
  MonitorLayout MonitorMode{};
  bool MatchOrientation{};  // per monitor: portrait pictures for portrait monitors
  // "ColorA" to "ColorP": not saved with the rest, but written at once when
  // the color dialog closes with OK (WriteCustomColors).
  CustomColors ColorDialogColors{};

  // "Interval".
  bool IntervalEnabled{};
  int32_t IntervalValue{};
  int32_t IntervalUnit{};

  // "RandomTime".
  bool RandomIntervalEnabled{};
  int32_t RandomIntervalValue{};
  int32_t RandomIntervalUnit{};

  // "ShortCut".
  bool WallChangeShortCutEnabled{};
  platform::HotKeyValue WallChangeShortCutKey{};

  // "Condition".
  bool WallOSEndChange{};
  bool WallDateChange{};

  // "Capture".
  bool CaptureEnabled{};
  platform::HotKeyValue AllCaptureHotKey{};
  platform::HotKeyValue ActiveCaptureHotKey{};
  std::string CaptureFileName;
  int32_t CaptureFileExt{};

  // "UrgentEvasion".
  bool UrgentEvasionEnabled{};
  platform::HotKeyValue UrgentEvasionHotKey{};
  std::string UrgentEvasionFileName;
  bool AllWindowMinimize{};  // "AllWindowMinimaize"

  // "InvalidCondition".
  bool InvalidConditionCPUEnabled{};
  int32_t InvalidConditionCPUValue{};
  bool InvalidConditionApplicationEnabled{};
  std::vector<std::string> ApplicationList;  // "InvalidConditionApplicationList"

  // "Sound".
  bool SoundEnabled{};
  std::string SoundFile;
};

}  // namespace tapestrel::app
