#include "settings_ui/settings_transfer.h"

#include "imaging/builtin_pictures.h"
#include "platform/paths.h"

namespace tapestrel::settings_ui {
namespace {

// A radio group or list filled from a record value: the value when it names
// an item, else `other`.
int ItemOr(int value, int count, int other) { return value >= 0 && value < count ? value : other; }

// Writing back: nothing selected keeps the record's value.
template <typename T>
void TakeChoice(T& field, int choice) {
  if (choice >= 0) field = static_cast<T>(choice);
}

int32_t SpinField(const SpinRange& range, int64_t value) {
  return static_cast<int32_t>(LimitSpinValue(range, value));
}

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

PageValues FillPageValues(const app::SettingsRecord& r, AutostartFlags shortcut) {
  PageValues v;
  v.wallpaperFolder = r.WallPaperFolder;
  v.selection = ItemOr(static_cast<int>(r.WallSelect), 3, 0);
  v.position = ItemOr(static_cast<int>(r.WallPosition), 4, 0);
  v.blankColor = r.WallBlankColor;
  v.taskTrayResiding = r.TaskTrayResiding;
  v.blankAutoColor = r.WallBlankAutoColor;
  v.ratioDrawing = r.WallPositionRatioDrawing;
  v.exifOrientation = r.ExifOrientation;
  v.monitorMode = ItemOr(static_cast<int>(r.MonitorMode), 3, 0);
  v.matchOrientation = r.MatchOrientation;
  v.exeAutorun = shortcut.startWithWindows;

  v.intervalEnabled = r.IntervalEnabled;
  v.intervalValue = LimitSpinValue(kIntervalRange, r.IntervalValue);
  v.intervalUnit = r.IntervalUnit;
  v.randomIntervalEnabled = r.RandomIntervalEnabled;
  v.randomIntervalValue = LimitSpinValue(kIntervalRange, r.RandomIntervalValue);
  v.randomIntervalUnit = r.RandomIntervalUnit;
  v.wallChangeShortCutEnabled = r.WallChangeShortCutEnabled;
  v.wallChangeShortCutKey = r.WallChangeShortCutKey;

  v.wallOSStartChange = shortcut.changeAtStartup;
  v.wallOSEndChange = r.WallOSEndChange;
  v.wallDateChange = r.WallDateChange;

  v.captureEnabled = r.CaptureEnabled;
  v.allCaptureHotKey = r.AllCaptureHotKey;
  v.activeCaptureHotKey = r.ActiveCaptureHotKey;
  v.captureFileName = r.CaptureFileName;
  v.captureFileExt = r.CaptureFileExt;

  v.urgentEvasionEnabled = r.UrgentEvasionEnabled;
  v.urgentEvasionHotKey = r.UrgentEvasionHotKey;
  v.urgentEvasionFileName = r.UrgentEvasionFileName;
  v.allWindowMinimize = r.AllWindowMinimize;
  v.urgentEvasionMode = r.UrgentEvasionMode;

  v.invalidConditionCPUEnabled = r.InvalidConditionCPUEnabled;
  v.invalidConditionCPUValue = LimitSpinValue(kCpuRange, r.InvalidConditionCPUValue);
  v.invalidConditionApplicationEnabled = r.InvalidConditionApplicationEnabled;
  v.applications = r.ApplicationList;

  v.soundEnabled = r.SoundEnabled;
  v.soundFile = r.SoundFile;
  return v;
}

void WriteBackPageValues(const PageValues& v, AutostartFlags shortcutRead, app::SettingsRecord& r,
                         CustomizeHost& host, StartupShortcut& shortcut, const platform::ClockPort& clock) {
  r.WallPaperFolder = v.wallpaperFolder;
  if (r.WallPaperFolder != host.BrowserFolder()) host.OpenFolder(r.WallPaperFolder);
  TakeChoice(r.WallSelect, v.selection);
  TakeChoice(r.WallPosition, v.position);
  r.WallBlankAutoColor = v.blankAutoColor;
  r.WallBlankColor = v.blankColor;
  TakeChoice(r.WallPositionRatioDrawing, v.ratioDrawing);
  r.ExifOrientation = v.exifOrientation;
  TakeChoice(r.MonitorMode, v.monitorMode);
  r.MatchOrientation = v.matchOrientation;
  r.TaskTrayResiding = v.taskTrayResiding;
  host.ApplyTrayResiding();

  if (v.exeAutorun != shortcutRead.startWithWindows) {
    shortcut.SetAutostartFlag(v.exeAutorun ? AutostartMode::StartOn : AutostartMode::StartOff);
  }

  // The first interval counts from the moment the trigger is switched on.
  if (!r.IntervalEnabled && v.intervalEnabled) r.LastChangeTime = clock.Now();
  r.IntervalEnabled = v.intervalEnabled;
  r.IntervalValue = SpinField(kIntervalRange, v.intervalValue);
  TakeChoice(r.IntervalUnit, v.intervalUnit);
  r.RandomIntervalEnabled = v.randomIntervalEnabled;
  r.RandomIntervalValue = SpinField(kIntervalRange, v.randomIntervalValue);
  TakeChoice(r.RandomIntervalUnit, v.randomIntervalUnit);
  r.WallChangeShortCutEnabled = v.wallChangeShortCutEnabled;
  r.WallChangeShortCutKey = v.wallChangeShortCutKey;

  if (v.wallOSStartChange != shortcutRead.changeAtStartup) {
    shortcut.SetAutostartFlag(v.wallOSStartChange ? AutostartMode::ChangeOn : AutostartMode::ChangeOff);
  }

  r.WallOSEndChange = v.wallOSEndChange;
  r.WallDateChange = v.wallDateChange;
  r.CaptureEnabled = v.captureEnabled;
  r.AllCaptureHotKey = v.allCaptureHotKey;
  r.ActiveCaptureHotKey = v.activeCaptureHotKey;
  r.CaptureFileName = v.captureFileName;
  TakeChoice(r.CaptureFileExt, v.captureFileExt);
  r.UrgentEvasionEnabled = v.urgentEvasionEnabled;
  r.UrgentEvasionHotKey = v.urgentEvasionHotKey;
  r.UrgentEvasionFileName = v.urgentEvasionFileName;
  r.AllWindowMinimize = v.allWindowMinimize;

  host.SetChangeBlock(v.urgentEvasionMode);

  r.InvalidConditionCPUEnabled = v.invalidConditionCPUEnabled;
  r.InvalidConditionCPUValue = SpinField(kCpuRange, v.invalidConditionCPUValue);
  r.InvalidConditionApplicationEnabled = v.invalidConditionApplicationEnabled;
  r.ApplicationList = v.applications;
  r.SoundEnabled = v.soundEnabled;
  r.SoundFile = v.soundFile;

  host.SaveSettings();
  host.RegisterHotKeys();
}

void CustomizeExecute(const CustomizeContext& c) {
  const AutostartFlags shortcutRead = c.shortcut.ReadAutostartFlags();
  PageValues values = FillPageValues(c.record, shortcutRead);
  values.pictureFilter = c.pictureFilter;
  values.formats = c.formats;
  if (!c.dialog.ShowModal(values)) return;
  WriteBackPageValues(values, shortcutRead, c.record, c.host, c.shortcut, c.clock);
}

}  // namespace tapestrel::settings_ui
