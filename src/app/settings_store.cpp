#include "app/settings_store.h"

#include <string_view>
#include <tuple>
#include <type_traits>

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

// The "System" keys the change-state writer shares with the table.
constexpr char kLastWallIndex[] = "LastWallIndex";
constexpr char kLastWallPas[] = "LastWallPas";
constexpr char kLastChangTime[] = "LastChangTime";
constexpr char kUrgentEvasionMode[] = "UrgentEvasionMode";
constexpr char kTaskTrayResiding[] = "TaskTrayResiding";

// How a key's text becomes its field and back.
struct AsInteger {};  // also for enumerations
struct AsBoolean {};
struct AsText {};
struct AsColor {};
struct AsHotKey {};
struct AsDateTime {};
struct AsApplicationList {};
// The default of "LastChangTime": the time at which the file is read.
struct NowAtReading {};

template <typename Access, typename Codec, typename Fallback>
struct Key {
  const char* section;
  const char* name;
  Access field;  // SettingsRecord& -> the field
  Codec codec;
  Fallback fallback;
};
template <typename Access, typename Codec, typename Fallback>
Key(const char*, const char*, Access, Codec, Fallback) -> Key<Access, Codec, Fallback>;

#define TAPESTREL_KEY(section, name, member, codec, fallback) \
  Key {                                                       \
    section, name, [](auto& record) -> auto& { return member; }  \
    , codec{}, fallback                                       \
  }

// Every key of the file in the order of its sections, which is the order of
// reading and writing; the defaults live here and nowhere else.
const auto kSettingsKeys = std::make_tuple(
    TAPESTREL_KEY(kSystem, kLastWallIndex, record.LastWallIndex, AsInteger, 0),
    TAPESTREL_KEY(kSystem, kLastChangTime, record.LastChangeTime, AsDateTime, NowAtReading{}),
    TAPESTREL_KEY(kSystem, kUrgentEvasionMode, record.UrgentEvasionMode, AsBoolean, false),

    TAPESTREL_KEY(kWindow, "WindowPosX", record.Window.left, AsInteger, 0),
    TAPESTREL_KEY(kWindow, "WindowPosY", record.Window.top, AsInteger, 0),
    TAPESTREL_KEY(kWindow, "WindowWidth", record.Window.width, AsInteger, 800),
    TAPESTREL_KEY(kWindow, "WindowHeight", record.Window.height, AsInteger, 600),
    TAPESTREL_KEY(kWindow, "Maximized", record.Window.maximized, AsBoolean, false),

    TAPESTREL_KEY(kList, "ViewMode", record.ViewMode, AsInteger, 0),
    TAPESTREL_KEY(kList, "ViewStyle", record.ViewStyle, AsInteger, 0),
    TAPESTREL_KEY(kList, "SortType", record.SortType, AsInteger, 0),
    TAPESTREL_KEY(kList, "SortDirection", record.SortDescending, AsBoolean, false),

    TAPESTREL_KEY(kWhole, "WallPaperFolder", record.WallPaperFolder, AsText, ""),
    TAPESTREL_KEY(kWhole, "WallSlelct", record.WallSelect, AsInteger, SelectionMethod::Next),
    TAPESTREL_KEY(kWhole, "WallPosition", record.WallPosition, AsInteger, PositionMode::Center),
    TAPESTREL_KEY(kWhole, "WallBlankColor", record.WallBlankColor, AsColor, imaging::ColorValue{0}),
    TAPESTREL_KEY(kWhole, kTaskTrayResiding, record.TaskTrayResiding, AsBoolean, true),
    TAPESTREL_KEY(kWhole, "WallBlankAutoColor", record.WallBlankAutoColor, AsBoolean, false),
    TAPESTREL_KEY(kWhole, "WallPositionRatioDrawing", record.WallPositionRatioDrawing, AsInteger, 0),
    TAPESTREL_KEY(kWhole, "ExifOrientation", record.ExifOrientation, AsBoolean, true),
    TAPESTREL_KEY(kWhole, "MonitorMode", record.MonitorMode, AsInteger, MonitorLayout::Same),
    TAPESTREL_KEY(kWhole, "MatchOrientation", record.MatchOrientation, AsBoolean, false),

    TAPESTREL_KEY(kInterval, "IntervalEnabled", record.IntervalEnabled, AsBoolean, false),
    TAPESTREL_KEY(kInterval, "IntervalValue", record.IntervalValue, AsInteger, 1),
    TAPESTREL_KEY(kInterval, "IntervalUnit", record.IntervalUnit, AsInteger, kMinutes),

    TAPESTREL_KEY(kRandomTime, "RandomIntervalEnabled", record.RandomIntervalEnabled, AsBoolean, false),
    TAPESTREL_KEY(kRandomTime, "RandomIntervalValue", record.RandomIntervalValue, AsInteger, 1),
    TAPESTREL_KEY(kRandomTime, "RandomIntervalUnit", record.RandomIntervalUnit, AsInteger, kMinutes),

    TAPESTREL_KEY(kShortCut, "WallChangeShortCutEnabled", record.WallChangeShortCutEnabled, AsBoolean, false),
    TAPESTREL_KEY(kShortCut, "WallChangeShortCutKey", record.WallChangeShortCutKey, AsHotKey, 0),

    TAPESTREL_KEY(kCondition, "WallOSEndChange", record.WallOSEndChange, AsBoolean, false),
    TAPESTREL_KEY(kCondition, "WallDateChange", record.WallDateChange, AsBoolean, false),

    TAPESTREL_KEY(kCapture, "CaptureEnabled", record.CaptureEnabled, AsBoolean, false),
    TAPESTREL_KEY(kCapture, "AllCaptureHotKey", record.AllCaptureHotKey, AsHotKey, 0),
    TAPESTREL_KEY(kCapture, "ActiveCaptureHotKey", record.ActiveCaptureHotKey, AsHotKey, 0),
    TAPESTREL_KEY(kCapture, "CaptureFileName", record.CaptureFileName, AsText, "ScreenShot"),
    TAPESTREL_KEY(kCapture, "CaptureFileExt", record.CaptureFileExt, AsInteger, kCaptureBmp),

    TAPESTREL_KEY(kUrgentEvasion, "UrgentEvasionEnabled", record.UrgentEvasionEnabled, AsBoolean, false),
    TAPESTREL_KEY(kUrgentEvasion, "UrgentEvasionHotKey", record.UrgentEvasionHotKey, AsHotKey, 0),
    TAPESTREL_KEY(kUrgentEvasion, "UrgentEvasionFileName", record.UrgentEvasionFileName, AsText, ""),
    TAPESTREL_KEY(kUrgentEvasion, "AllWindowMinimaize", record.AllWindowMinimize, AsBoolean, false),

    TAPESTREL_KEY(kInvalidCondition, "InvalidConditionCPUEnabled", record.InvalidConditionCPUEnabled,
                  AsBoolean, false),
    TAPESTREL_KEY(kInvalidCondition, "InvalidConditionCPUValue", record.InvalidConditionCPUValue, AsInteger,
                  0),
    TAPESTREL_KEY(kInvalidCondition, "InvalidConditionApplicationEnabled",
                  record.InvalidConditionApplicationEnabled, AsBoolean, false),
    TAPESTREL_KEY(kInvalidCondition, "InvalidConditionApplicationList", record.ApplicationList,
                  AsApplicationList, ""),

    TAPESTREL_KEY(kSound, "SoundEnabled", record.SoundEnabled, AsBoolean, false),
    TAPESTREL_KEY(kSound, "SoundFile", record.SoundFile, AsText, ""));

#undef TAPESTREL_KEY

// Reading: the codec's text form of the file's value, or the fallback.
template <typename T>
T Read(AsInteger, const IniFile& ini, const char* s, const char* k, T fallback) {
  return static_cast<T>(ini.ReadInteger(s, k, static_cast<int32_t>(fallback)));
}
inline bool Read(AsBoolean, const IniFile& ini, const char* s, const char* k, bool fallback) {
  return ini.ReadBool(s, k, fallback);
}
inline std::string Read(AsText, const IniFile& ini, const char* s, const char* k, const char* fallback) {
  return ini.ReadString(s, k, fallback);
}
inline imaging::ColorValue Read(AsColor, const IniFile& ini, const char* s, const char* k,
                                imaging::ColorValue fallback) {
  return ini.ReadColor(s, k, fallback);
}
inline platform::HotKeyValue Read(AsHotKey, const IniFile& ini, const char* s, const char* k, int) {
  return ini.ReadHotKey(s, k);
}
inline platform::DateTime Read(AsDateTime, const IniFile& ini, const char* s, const char* k,
                               platform::DateTime fallback) {
  return ini.ReadDateTime(s, k, fallback);
}
inline std::vector<std::string> Read(AsApplicationList, const IniFile& ini, const char* s, const char* k,
                                     const char* fallback) {
  return DecodeApplicationList(ini.ReadString(s, k, fallback));
}

template <typename T>
void Write(AsInteger, IniFile& ini, const char* s, const char* k, T value) {
  ini.WriteInteger(s, k, static_cast<int32_t>(value));
}
inline void Write(AsBoolean, IniFile& ini, const char* s, const char* k, bool value) {
  ini.WriteBool(s, k, value);
}
inline void Write(AsText, IniFile& ini, const char* s, const char* k, const std::string& value) {
  ini.WriteString(s, k, value);
}
inline void Write(AsColor, IniFile& ini, const char* s, const char* k, imaging::ColorValue value) {
  ini.WriteColor(s, k, value);
}
inline void Write(AsHotKey, IniFile& ini, const char* s, const char* k, platform::HotKeyValue value) {
  ini.WriteHotKey(s, k, value);
}
inline void Write(AsDateTime, IniFile& ini, const char* s, const char* k, platform::DateTime value) {
  ini.WriteDateTime(s, k, value);
}
inline void Write(AsApplicationList, IniFile& ini, const char* s, const char* k,
                  const std::vector<std::string>& value) {
  ini.WriteString(s, k, EncodeApplicationList(value));
}

// A field's default: what reading the fallback gives.
template <typename Codec, typename Fallback>
auto DefaultOf(Codec, const Fallback& fallback) {
  if constexpr (std::is_same_v<Codec, AsApplicationList>) {
    return DecodeApplicationList(fallback);
  } else {
    return fallback;
  }
}

template <typename Fallback>
auto FallbackAt(const Fallback& fallback, platform::DateTime now) {
  if constexpr (std::is_same_v<Fallback, NowAtReading>) {
    return now;
  } else {
    return fallback;
  }
}

template <typename Target, typename Visit>
void ForEachKey(Target& target, Visit visit) {
  std::apply([&](const auto&... key) { (visit(key, key.field(target)), ...); }, kSettingsKeys);
}

template <typename Target>
void ReadAll(Target& target, const IniFile& ini, platform::DateTime now) {
  ForEachKey(target, [&](const auto& key, auto& field) {
    using Field = std::remove_reference_t<decltype(field)>;
    field = static_cast<Field>(Read(key.codec, ini, key.section, key.name, FallbackAt(key.fallback, now)));
  });
}

int InRangeOrZero(int value, int last) { return value >= 0 && value <= last ? value : 0; }

}  // namespace

SettingsRecord::SettingsRecord() {
  ForEachKey(*this, [](const auto& key, auto& field) {
    using Field = std::remove_reference_t<decltype(field)>;
    field = static_cast<Field>(DefaultOf(key.codec, FallbackAt(key.fallback, platform::DateTime{})));
  });
}

void LoadSettings(SettingsRecord& record, const IniFile& ini, const platform::ClockPort& clock,
                  SettingsHost& host) {
  ReadAll(record, ini, clock.Now());
  // A view the menus do not have is the first one, as the actions show it.
  record.ViewMode = InRangeOrZero(record.ViewMode, 5);
  record.ViewStyle = InRangeOrZero(record.ViewStyle, 5);
  record.SortType = InRangeOrZero(record.SortType, 3);

  host.SetWindowGeometry(record.Window);
  host.RunViewAction(record.ViewMode);
  host.RunStyleAction(record.ViewStyle);
  host.RunSortAction(record.SortType);
  host.SetSortDescending(record.SortDescending);
  host.SetBrowserFolder(record.WallPaperFolder);
  host.ApplyTrayResiding();
  host.RegisterHotKeys();
}

void SaveSettings(const SettingsRecord& record, IniFile& ini, bool includeWindow) {
  IniUpdate update(ini);
  ForEachKey(record, [&](const auto& key, const auto& field) {
    // "System" has writers of its own; "Window" only when asked.
    const std::string_view section = key.section;
    if (section == kSystem || (section == kWindow && !includeWindow)) return;
    Write(key.codec, ini, key.section, key.name, field);
  });
  update.Commit();
}

bool ReadTaskTrayResiding(const IniFile& ini) {
  return ini.ReadBool(kWhole, kTaskTrayResiding, SettingsRecord().TaskTrayResiding);
}

void WriteChangeState(IniFile& ini, int32_t index, const std::string& path, platform::DateTime time) {
  IniUpdate update(ini);
  ini.WriteInteger(kSystem, kLastWallIndex, index);
  ini.WriteString(kSystem, kLastWallPas, path);
  ini.WriteDateTime(kSystem, kLastChangTime, time);
  update.Commit();
}

std::string ReadLastWallpaperPath(const IniFile& ini) { return ini.ReadString(kSystem, kLastWallPas, ""); }

void WriteUrgentEvasionMode(IniFile& ini, bool on) { ini.WriteBool(kSystem, kUrgentEvasionMode, on); }

CustomColors ReadCustomColors(const IniFile& ini) {
  CustomColors colors{};
  for (int i = 0; i < 16; ++i) {
    const std::string key = std::string("Color") + static_cast<char>('A' + i);
    colors[i] = static_cast<imaging::ColorValue>(
        ParseIniInteger("$" + ini.ReadString(kWhole, key, "000000")).value_or(0));
  }
  return colors;
}

void WriteCustomColors(IniFile& ini, const CustomColors& colors) {
  IniUpdate update(ini);
  for (int i = 0; i < 16; ++i) {
    ini.WriteString(kWhole, std::string("Color") + static_cast<char>('A' + i),
                    CustomColorToText(colors[i]));
  }
  update.Commit();
}

}  // namespace tapestrel::app
