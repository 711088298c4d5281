// What the settings dialog's pages hold, how they are filled from the
// settings record and how OK writes them back, with every side effect in its
// order. Portable: the dialog and the main window are reached through the
// two interfaces below.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/settings_record.h"
#include "platform/clock_port.h"
#include "platform/hotkey_value.h"
#include "settings_ui/spin_edit_rules.h"
#include "settings_ui/startup_shortcut.h"

namespace tapestrel::settings_ui {

// The spin edits' ranges.
constexpr SpinRange kIntervalRange{1, 99999, 1};
constexpr SpinRange kCpuRange{1, 100, 1};

// A row of the list on the page "対応ピクチャファイル形式".
struct FormatRow {
  std::string extension, formatName, pluginName;
  bool programText = false;  // UTF-8 program text; otherwise ANSI (a plug-in's own)
  bool operator==(const FormatRow&) const = default;
};

// The values of the page controls, named after their controls. An item index
// or radio choice of -1 means that nothing is selected.
struct PageValues {
  // "全般"
  std::string wallpaperFolder;
  int selection = 0;  // WallDownSelect, WallUpSelect, WallRandomSelect
  int position = 0;   // WallPositionCenter ... WallPositionRatioExpansion
  imaging::ColorValue blankColor = 0;
  bool taskTrayResiding = false;
  bool blankAutoColor = false;
  int ratioDrawing = 0;
  bool exifOrientation = false;
  int monitorMode = 0;  // MonitorMode item index
  bool matchOrientation = false;
  bool exeAutorun = false;
  // "壁紙インターバル変更"
  bool intervalEnabled = false;
  int64_t intervalValue = 1;
  int intervalUnit = 0;
  // "壁紙ランダム時間変更"
  bool randomIntervalEnabled = false;
  int64_t randomIntervalValue = 1;
  int randomIntervalUnit = 0;
  // "壁紙ショートカット変更"
  bool wallChangeShortCutEnabled = false;
  platform::HotKeyValue wallChangeShortCutKey = 0;
  // "壁紙条件変更"
  bool wallOSStartChange = false;
  bool wallOSEndChange = false;
  bool wallDateChange = false;
  // "壁紙キャプチャ変更"
  bool captureEnabled = false;
  platform::HotKeyValue allCaptureHotKey = 0;
  platform::HotKeyValue activeCaptureHotKey = 0;
  std::string captureFileName;
  int captureFileExt = 0;
  // "緊急回避"
  bool urgentEvasionEnabled = false;
  platform::HotKeyValue urgentEvasionHotKey = 0;
  std::string urgentEvasionFileName;
  bool allWindowMinimize = false;
  bool urgentEvasionMode = false;
  std::string pictureFilter;  // "description|mask|..." of the picture-file dialog
  // "壁紙変更の無効条件"
  bool invalidConditionCPUEnabled = false;
  int64_t invalidConditionCPUValue = 1;
  bool invalidConditionApplicationEnabled = false;
  std::vector<std::string> applications;
  // "サウンド"
  bool soundEnabled = false;
  std::string soundFile;
  // "対応ピクチャファイル形式": shown only, never written back.
  std::vector<FormatRow> formats;

  bool operator==(const PageValues&) const = default;
};

// The three built-in rows, then one per loaded plug-in: its masks joined as
// one mask list, its format names, its library's file name.
struct PluginListing {
  std::vector<std::string> masks, descriptions;
  std::string libraryPath;
};
std::vector<FormatRow> BuildFormatRows(const std::vector<PluginListing>& plugins);

// Out-of-range record values come out as the controls show them: a radio
// value outside its group checks the first button, a spin value is limited.
PageValues FillPageValues(const app::SettingsRecord& record, AutostartFlags shortcut);

// What OK changes besides the record: the main window's side.
class CustomizeHost {
 public:
  virtual ~CustomizeHost() = default;
  // The folder the browser shows, and opening another.
  virtual std::string BrowserFolder() const = 0;
  virtual void OpenFolder(const std::string& folder) = 0;
  // The tray icon and "タスクトレイへ(&T)" after "TaskTrayResiding".
  virtual void ApplyTrayResiding() = 0;
  // The evasion flag as the tray menu item sets it: the flag and the icon,
  // no wallpaper, no key strokes, nothing written.
  virtual void SetChangeBlock(bool on) = 0;
  // SaveSettings without the "Window" section.
  virtual void SaveSettings() = 0;
  virtual void RegisterHotKeys() = 0;
};

// The modal dialog: shows the values, and on OK gives back what the user left
// in the controls. False for Cancel.
class SettingsDialogPort {
 public:
  virtual ~SettingsDialogPort() = default;
  virtual bool ShowModal(PageValues& values) = 0;
};

// OK: the record takes the values and the host follows, in the fixed order.
// A shortcut error ends it there (before the INI file is written); the fields
// copied by then stay in the record.
void WriteBackPageValues(const PageValues& values, AutostartFlags shortcutRead, app::SettingsRecord& record,
                         CustomizeHost& host, StartupShortcut& shortcut, const platform::ClockPort& clock);

// One complete use of the dialog: the shortcut read, the pages filled, the
// dialog shown, and on OK the write-back. Cancel changes nothing.
struct CustomizeContext {
  app::SettingsRecord& record;
  CustomizeHost& host;
  StartupShortcut& shortcut;
  SettingsDialogPort& dialog;
  const platform::ClockPort& clock;
  std::string pictureFilter;
  std::vector<FormatRow> formats;
};
void CustomizeExecute(const CustomizeContext& context);

}  // namespace tapestrel::settings_ui
