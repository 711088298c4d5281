#include "settings_ui/settings_transfer.h"

#include "imaging/builtin_pictures.h"
#include "platform/paths.h"

namespace tapestrel::settings_ui {
namespace {

// A list cell shows one line: line breaks would be drawn as boxes, so the
// items are joined by a separator instead.
std::string Joined(const std::vector<std::string>& texts, const char* separator) {
  std::string joined;
  for (const std::string& text : texts) joined += (joined.empty() ? "" : separator) + text;
  return joined;
}

}  // namespace

std::vector<FormatRow> BuildFormatRows(const std::vector<PluginListing>& plugins) {
  std::vector<FormatRow> rows;
  for (const imaging::OwnFormat& format : imaging::OwnFormats()) {
    std::vector<std::string> masks;
    for (const std::string& extension : format.extensions) masks.push_back("*." + extension);
    rows.push_back({Joined(masks, ";"), format.listName, "", true});
  }
  for (const PluginListing& plugin : plugins) {
    rows.push_back({Joined(plugin.masks, ";"), Joined(plugin.descriptions, " / "),
                    platform::ExtractFileName(plugin.libraryPath), false});
  }
  return rows;
}

void ApplySettings(const SettingsDraft& draft, AutostartFlags startupRead, app::SettingsRecord& r,
                   CustomizeHost& host, StartupShortcut& shortcut, const platform::ClockPort& clock) {
  const app::SettingsRecord& d = draft.record;
  // "全般" first: the browser and the tray follow it before the Startup link
  // is touched.
  r.WallPaperFolder = d.WallPaperFolder;
  if (r.WallPaperFolder != host.BrowserFolder()) host.OpenFolder(r.WallPaperFolder);
  r.WallSelect = d.WallSelect;
  r.WallPosition = d.WallPosition;
  r.WallBlankAutoColor = d.WallBlankAutoColor;
  r.WallBlankColor = d.WallBlankColor;
  r.WallPositionRatioDrawing = d.WallPositionRatioDrawing;
  r.ExifOrientation = d.ExifOrientation;
  r.MonitorMode = d.MonitorMode;
  r.MatchOrientation = d.MatchOrientation;
  r.TaskTrayResiding = d.TaskTrayResiding;
  host.ApplyTrayResiding();

  if (draft.startup.startWithWindows != startupRead.startWithWindows) {
    shortcut.SetAutostartFlag(draft.startup.startWithWindows ? AutostartMode::StartOn : AutostartMode::StartOff);
  }

  // The timed triggers and the hot key, before the second Startup flag.
  // The first interval counts from the moment the trigger is switched on.
  if (!r.IntervalEnabled && d.IntervalEnabled) r.LastChangeTime = clock.Now();
  r.IntervalEnabled = d.IntervalEnabled;
  r.IntervalValue = d.IntervalValue;
  r.IntervalUnit = d.IntervalUnit;
  r.RandomIntervalEnabled = d.RandomIntervalEnabled;
  r.RandomIntervalValue = d.RandomIntervalValue;
  r.RandomIntervalUnit = d.RandomIntervalUnit;
  r.WallChangeShortCutEnabled = d.WallChangeShortCutEnabled;
  r.WallChangeShortCutKey = d.WallChangeShortCutKey;

  if (draft.startup.changeAtStartup != startupRead.changeAtStartup) {
    shortcut.SetAutostartFlag(draft.startup.changeAtStartup ? AutostartMode::ChangeOn : AutostartMode::ChangeOff);
  }

  // Everything else the pages edit. The change state and the view stay the
  // record's: the engine and the main window keep them up to date while the
  // dialog is open, and the evasion flag changes as the tray menu changes it.
  app::SettingsRecord next = d;
  next.LastWallIndex = r.LastWallIndex;
  next.LastChangeTime = r.LastChangeTime;
  next.UrgentEvasionMode = r.UrgentEvasionMode;
  next.Window = r.Window;
  next.ViewMode = r.ViewMode;
  next.ViewStyle = r.ViewStyle;
  next.SortType = r.SortType;
  next.SortDescending = r.SortDescending;
  r = std::move(next);
  host.SetChangeBlock(d.UrgentEvasionMode);

  host.SaveSettings();
  host.RegisterHotKeys();
}

void CustomizeExecute(const CustomizeContext& c) {
  const AutostartFlags startupRead = c.shortcut.ReadAutostartFlags();
  SettingsDraft draft{c.record, startupRead, c.pictureFilter, c.formats};
  if (!c.dialog.ShowModal(draft)) return;
  ApplySettings(draft, startupRead, c.record, c.host, c.shortcut, c.clock);
}

}  // namespace tapestrel::settings_ui
