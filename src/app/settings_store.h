// Loading and saving the settings record, and the narrow writers that keep
// their own keys up to date between saves.
#pragma once

#include <array>
#include <string>

#include "app/ini_file.h"
#include "app/settings_record.h"
#include "platform/clock_port.h"

namespace tapestrel::app {

extern const char kIniFileName[];  // "Tapestrel.ini"

// What loading applies the settings to: the main window, its view actions
// and the browser.
class SettingsHost {
 public:
  virtual ~SettingsHost() = default;
  virtual void SetWindowGeometry(const WindowGeometry& geometry) = 0;
  // Run the view-mode, style and sort actions; the index is always in range.
  virtual void RunViewAction(int mode) = 0;
  virtual void RunStyleAction(int style) = 0;
  virtual void RunSortAction(int kind) = 0;
  virtual void SetSortDescending(bool descending) = 0;
  virtual void SetBrowserFolder(const std::string& folder) = 0;
  virtual void ApplyTrayResiding() = 0;
  virtual void RegisterHotKeys() = 0;
};

// Reads the whole file into the record first, then applies it to the host:
// the window geometry, the view actions, the browser's folder, the tray icon
// and the hot keys, in that order.
void LoadSettings(SettingsRecord& record, const IniFile& ini, const platform::ClockPort& clock,
                  SettingsHost& host);
// Writes every section but "System" and the custom colors; "Window" only when
// asked; all in one step. Throws IniWriteError when the file cannot be
// written, which then keeps everything it held.
void SaveSettings(const SettingsRecord& record, IniFile& ini, bool includeWindow);

// "Whole" / "TaskTrayResiding" as stored, default true.
bool ReadTaskTrayResiding(const IniFile& ini);

// The change-state writer: "LastWallIndex", "LastWallPas", "LastChangTime" in
// "System", which SaveSettings never writes; all three or none.
void WriteChangeState(IniFile& ini, int32_t index, const std::string& path, platform::DateTime time);
// "LastWallPas" as stored.
std::string ReadLastWallpaperPath(const IniFile& ini);
void WriteUrgentEvasionMode(IniFile& ini, bool on);

// The sixteen custom colors of the color dialog (written all or none).
CustomColors ReadCustomColors(const IniFile& ini);
void WriteCustomColors(IniFile& ini, const CustomColors& colors);

}  // namespace tapestrel::app
