// What the settings dialog's pages edit, and how OK takes it into the
// settings record, with every side effect in its order. Portable: the dialog
// and the main window are reached through the two interfaces below.
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

// The program's own formats, then one row per loaded plug-in: its masks joined as
// one mask list, its format names, its library's file name.
struct PluginListing {
  std::vector<std::string> masks, descriptions;
  std::string libraryPath;
};
std::vector<FormatRow> BuildFormatRows(const std::vector<PluginListing>& plugins);

// What the settings dialog edits: a copy of the settings record, the two
// flags the Startup link holds instead of the INI file, and what the pages
// show without editing it.
struct SettingsDraft {
  app::SettingsRecord record;
  AutostartFlags startup;
  std::string pictureFilter;  // "description|mask|..." of the picture-file dialog
  std::vector<FormatRow> formats;
};

// How a record value shows in its control and comes back from it.
// A radio group or list filled from a record value: the value when it names
// one of `count` items, else the first.
inline int ItemOrFirst(int value, int count) { return value >= 0 && value < count ? value : 0; }
// Nothing selected (-1) keeps the record's value.
template <typename T>
void TakeChoice(T& field, int choice) {
  if (choice >= 0) field = static_cast<T>(choice);
}
// A spin edit's value, limited to its range.
inline int32_t SpinField(const SpinRange& range, int64_t value) {
  return static_cast<int32_t>(LimitSpinValue(range, value));
}

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

// The modal dialog: shows the draft, and on OK gives back what the user left
// in the controls. False for Cancel.
class SettingsDialogPort {
 public:
  virtual ~SettingsDialogPort() = default;
  virtual bool ShowModal(SettingsDraft& draft) = 0;
};

// OK: the record takes the draft's values and the host follows, in the fixed
// order. A shortcut error ends it there (before the INI file is written); the
// values taken by then stay in the record. The change state ("System") stays
// the record's own.
void ApplySettings(const SettingsDraft& draft, AutostartFlags startupRead, app::SettingsRecord& record,
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
