#include "app/settings_store.h"

namespace tapestrel::app {

const char kIniFileName[] = "Tapestrel.ini";

namespace {

constexpr char kSystem[] = "System";
constexpr char kWindow[] = "Window";
constexpr char kList[] = "List";
constexpr char kWhole[] = "Whole";
constexpr char kInterval[] = "Interval";
constexpr char kRandomTime[] = "RandomTime";
constexpr char kShortCut[] = "ShortCut";
constexpr char kCondition[] = "Condition";
constexpr char kCapture[] = "Capture";
constexpr char kUrgentEvasion[] = "UrgentEvasion";
constexpr char kInvalidCondition[] = "InvalidCondition";
constexpr char kSound[] = "Sound";

int InRangeOrZero(int value, int last) { return value >= 0 && value <= last ? value : 0; }

}  // namespace

void LoadSettings(SettingsRecord& r, const IniFile& ini, const platform::ClockPort& clock, SettingsHost& host) {
  r.LastWallIndex = ini.ReadInteger(kSystem, "LastWallIndex", 0);
  const platform::DateTime now = clock.Now();
  r.LastChangTime = ini.ReadDateTime(kSystem, "LastChangTime", now);
  r.UrgentEvasionMode = ini.ReadBool(kSystem, "UrgentEvasionMode", false);

  WindowGeometry g;
  g.left = ini.ReadInteger(kWindow, "WindowPosX", 0);
  g.top = ini.ReadInteger(kWindow, "WindowPosY", 0);
  g.width = ini.ReadInteger(kWindow, "WindowWidth", 800);
  g.height = ini.ReadInteger(kWindow, "WindowHeight", 600);
  g.maximized = ini.ReadBool(kWindow, "Maximized", false);
  host.SetWindowGeometry(g);

  host.RunViewAction(InRangeOrZero(ini.ReadInteger(kList, "ViewMode", 0), 5));
  host.RunStyleAction(InRangeOrZero(ini.ReadInteger(kList, "ViewStyle", 0), 5));
  host.RunSortAction(InRangeOrZero(ini.ReadInteger(kList, "SortType", 0), 3));
  host.SetSortDescending(ini.ReadBool(kList, "SortDirection", false));

  r.WallPaperFolder = ini.ReadString(kWhole, "WallPaperFolder", "");
  host.SetBrowserFolder(r.WallPaperFolder);
  r.WallSlelct = ini.ReadInteger(kWhole, "WallSlelct", 0);
  r.WallPosition = ini.ReadInteger(kWhole, "WallPosition", 0);
  r.WallBlankColor = ini.ReadColour(kWhole, "WallBlankColor", 0);
  r.TaskTrayResiding = ini.ReadBool(kWhole, "TaskTrayResiding", true);
  host.ApplyTrayResiding();
  r.WallBlankAutoColor = ini.ReadBool(kWhole, "WallBlankAutoColor", false);
  r.WallPositionRatioDrawing = ini.ReadInteger(kWhole, "WallPositionRatioDrawing", 0);

  r.IntervalEnabled = ini.ReadBool(kInterval, "IntervalEnabled", false);
  r.IntervalValue = ini.ReadInteger(kInterval, "IntervalValue", 1);
  r.IntervalUnit = ini.ReadInteger(kInterval, "IntervalUnit", kMinutes);

  r.RandomIntervalEnabled = ini.ReadBool(kRandomTime, "RandomIntervalEnabled", false);
  r.RandomIntervalValue = ini.ReadInteger(kRandomTime, "RandomIntervalValue", 1);
  r.RandomIntervalUnit = ini.ReadInteger(kRandomTime, "RandomIntervalUnit", kMinutes);

  r.WallChangeShortCutEnabled = ini.ReadBool(kShortCut, "WallChangeShortCutEnabled", false);
  r.WallChangeShortCutKey = ini.ReadHotKey(kShortCut, "WallChangeShortCutKey");

  r.WallOSEndChange = ini.ReadBool(kCondition, "WallOSEndChange", false);
  r.WallDateChange = ini.ReadBool(kCondition, "WallDateChange", false);

  r.CaptureEnabled = ini.ReadBool(kCapture, "CaptureEnabled", false);
  r.AllCaptureHotKey = ini.ReadHotKey(kCapture, "AllCaptureHotKey");
  r.ActiveCaptureHotKey = ini.ReadHotKey(kCapture, "ActiveCaptureHotKey");
  r.CaptureFileName = ini.ReadString(kCapture, "CaptureFileName", "ScreenShot");
  r.CaptureFileExt = ini.ReadInteger(kCapture, "CaptureFileExt", kCaptureBmp);

  r.UrgentEvasionEnabled = ini.ReadBool(kUrgentEvasion, "UrgentEvasionEnabled", false);
  r.UrgentEvasionHotKey = ini.ReadHotKey(kUrgentEvasion, "UrgentEvasionHotKey");
  r.UrgentEvasionFileName = ini.ReadString(kUrgentEvasion, "UrgentEvasionFileName", "");
  r.AllWindowMinimaize = ini.ReadBool(kUrgentEvasion, "AllWindowMinimaize", false);

  r.InvalidConditionCPUEnabled = ini.ReadBool(kInvalidCondition, "InvalidConditionCPUEnabled", false);
  r.InvalidConditionCPUValue = ini.ReadInteger(kInvalidCondition, "InvalidConditionCPUValue", 0);
  r.InvalidConditionApplicationEnabled = ini.ReadBool(kInvalidCondition, "InvalidConditionApplicationEnabled", false);
  r.ApplicationList = DecodeApplicationList(ini.ReadString(kInvalidCondition, "InvalidConditionApplicationList", ""));

  r.SoundEnabled = ini.ReadBool(kSound, "SoundEnabled", false);
  r.SoundFile = ini.ReadString(kSound, "SoundFile", "");

  host.RegisterHotKeys();
}

void SaveSettings(const SettingsRecord& r, IniFile& ini, const SettingsHost& host, bool includeWindow) {
  if (includeWindow) {
    const WindowGeometry g = host.GetWindowGeometry();
    ini.WriteInteger(kWindow, "WindowPosX", g.left);
    ini.WriteInteger(kWindow, "WindowPosY", g.top);
    ini.WriteInteger(kWindow, "WindowWidth", g.width);
    ini.WriteInteger(kWindow, "WindowHeight", g.height);
    ini.WriteBool(kWindow, "Maximized", g.maximized);
  }

  ini.WriteInteger(kList, "ViewMode", host.CheckedViewMode());
  ini.WriteInteger(kList, "ViewStyle", host.CheckedViewStyle());
  ini.WriteInteger(kList, "SortType", host.SortKind());
  ini.WriteBool(kList, "SortDirection", host.SortDescending());

  ini.WriteString(kWhole, "WallPaperFolder", r.WallPaperFolder);
  ini.WriteInteger(kWhole, "WallSlelct", r.WallSlelct);
  ini.WriteInteger(kWhole, "WallPosition", r.WallPosition);
  ini.WriteColour(kWhole, "WallBlankColor", r.WallBlankColor);
  ini.WriteBool(kWhole, "TaskTrayResiding", r.TaskTrayResiding);
  ini.WriteBool(kWhole, "WallBlankAutoColor", r.WallBlankAutoColor);
  ini.WriteInteger(kWhole, "WallPositionRatioDrawing", r.WallPositionRatioDrawing);

  ini.WriteBool(kInterval, "IntervalEnabled", r.IntervalEnabled);
  ini.WriteInteger(kInterval, "IntervalValue", r.IntervalValue);
  ini.WriteInteger(kInterval, "IntervalUnit", r.IntervalUnit);

  ini.WriteBool(kRandomTime, "RandomIntervalEnabled", r.RandomIntervalEnabled);
  ini.WriteInteger(kRandomTime, "RandomIntervalValue", r.RandomIntervalValue);
  ini.WriteInteger(kRandomTime, "RandomIntervalUnit", r.RandomIntervalUnit);

  ini.WriteBool(kShortCut, "WallChangeShortCutEnabled", r.WallChangeShortCutEnabled);
  ini.WriteHotKey(kShortCut, "WallChangeShortCutKey", r.WallChangeShortCutKey);

  ini.WriteBool(kCondition, "WallOSEndChange", r.WallOSEndChange);
  ini.WriteBool(kCondition, "WallDateChange", r.WallDateChange);

  ini.WriteBool(kCapture, "CaptureEnabled", r.CaptureEnabled);
  ini.WriteHotKey(kCapture, "AllCaptureHotKey", r.AllCaptureHotKey);
  ini.WriteHotKey(kCapture, "ActiveCaptureHotKey", r.ActiveCaptureHotKey);
  ini.WriteString(kCapture, "CaptureFileName", r.CaptureFileName);
  ini.WriteInteger(kCapture, "CaptureFileExt", r.CaptureFileExt);

  ini.WriteBool(kUrgentEvasion, "UrgentEvasionEnabled", r.UrgentEvasionEnabled);
  ini.WriteHotKey(kUrgentEvasion, "UrgentEvasionHotKey", r.UrgentEvasionHotKey);
  ini.WriteString(kUrgentEvasion, "UrgentEvasionFileName", r.UrgentEvasionFileName);
  ini.WriteBool(kUrgentEvasion, "AllWindowMinimaize", r.AllWindowMinimaize);

  ini.WriteBool(kInvalidCondition, "InvalidConditionCPUEnabled", r.InvalidConditionCPUEnabled);
  ini.WriteInteger(kInvalidCondition, "InvalidConditionCPUValue", r.InvalidConditionCPUValue);
  ini.WriteBool(kInvalidCondition, "InvalidConditionApplicationEnabled", r.InvalidConditionApplicationEnabled);
  ini.WriteString(kInvalidCondition, "InvalidConditionApplicationList", EncodeApplicationList(r.ApplicationList));

  ini.WriteBool(kSound, "SoundEnabled", r.SoundEnabled);
  ini.WriteString(kSound, "SoundFile", r.SoundFile);
}

bool ReadTaskTrayResiding(const IniFile& ini) { return ini.ReadBool(kWhole, "TaskTrayResiding", true); }

void WriteChangeState(IniFile& ini, int32_t index, const std::string& path, platform::DateTime time) {
  ini.WriteInteger(kSystem, "LastWallIndex", index);
  ini.WriteString(kSystem, "LastWallPas", path);
  ini.WriteDateTime(kSystem, "LastChangTime", time);
}

std::string ReadLastWallpaperPath(const IniFile& ini) { return ini.ReadString(kSystem, "LastWallPas", ""); }

void WriteUrgentEvasionMode(IniFile& ini, bool on) { ini.WriteBool(kSystem, "UrgentEvasionMode", on); }

CustomColours ReadCustomColours(const IniFile& ini) {
  CustomColours colours{};
  for (int i = 0; i < 16; ++i) {
    const std::string key = std::string("Color") + static_cast<char>('A' + i);
    colours[i] = static_cast<ColourValue>(ParseIniInteger("$" + ini.ReadString(kWhole, key, "000000")).value_or(0));
  }
  return colours;
}

void WriteCustomColours(IniFile& ini, const CustomColours& colours) {
  for (int i = 0; i < 16; ++i) {
    ini.WriteString(kWhole, std::string("Color") + static_cast<char>('A' + i), CustomColourToText(colours[i]));
  }
}

}  // namespace tapestrel::app
