#include "app/settings_store.h"

#include <gtest/gtest.h>

#include "fakes/fake_ports.h"

namespace tapestrel::app {
namespace {

// Records what loading applies to the window, in order.
class RecordingHost : public SettingsHost {
 public:
  std::vector<std::string> calls;
  WindowGeometry geometry;
  int viewMode = 0, viewStyle = 0, sortKind = 0;
  bool descending = false;
  std::string folder;

  void SetWindowGeometry(const WindowGeometry& g) override {
    geometry = g;
    calls.push_back("geometry");
  }
  void RunViewAction(int mode) override {
    viewMode = mode;
    calls.push_back("view " + std::to_string(mode));
  }
  void RunStyleAction(int style) override {
    viewStyle = style;
    calls.push_back("style " + std::to_string(style));
  }
  void RunSortAction(int kind) override {
    sortKind = kind;
    calls.push_back("sort " + std::to_string(kind));
  }
  void SetSortDescending(bool d) override {
    descending = d;
    calls.push_back(std::string("descending ") + (d ? "1" : "0"));
  }
  void SetBrowserFolder(const std::string& f) override {
    folder = f;
    calls.push_back("folder");
  }
  void ApplyTrayResiding() override { calls.push_back("tray"); }
  void RegisterHotKeys() override { calls.push_back("hotkeys"); }
};

class SettingsStoreTest : public ::testing::Test {
 protected:
  testing::FakeProfile profile;
  testing::FakeLocale locale;
  testing::FakeClock clock;
  IniFile ini{profile, locale};
  RecordingHost host;
  SettingsRecord record;

  void Set(const std::string& section, const std::string& key, const std::string& value) {
    profile.values[{section, key}] = value;
  }
  void Load() { LoadSettings(record, ini, clock, host); }
};

TEST_F(SettingsStoreTest, EmptyFileLoadsTheDefaults) {
  clock.now = 46000.25;
  Load();
  EXPECT_EQ(host.geometry.left, 0);
  EXPECT_EQ(host.geometry.width, 800);
  EXPECT_EQ(host.geometry.height, 600);
  EXPECT_FALSE(host.geometry.maximized);
  EXPECT_TRUE(record.TaskTrayResiding);
  EXPECT_EQ(record.IntervalValue, 1);
  EXPECT_EQ(record.IntervalUnit, kMinutes);
  EXPECT_EQ(record.RandomIntervalValue, 1);
  EXPECT_EQ(record.RandomIntervalUnit, kMinutes);
  EXPECT_EQ(record.CaptureFileName, "ScreenShot");
  EXPECT_EQ(record.WallBlankColor, 0u);
  EXPECT_EQ(record.LastChangeTime, 46000.25);
  EXPECT_EQ(record.LastWallIndex, 0);
  EXPECT_FALSE(record.IntervalEnabled);
  EXPECT_FALSE(record.UrgentEvasionMode);
  EXPECT_EQ(record.WallPaperFolder, "");
  EXPECT_TRUE(record.ApplicationList.empty());
  EXPECT_EQ(record.WallChangeShortCutKey, 0);
}

TEST_F(SettingsStoreTest, LoadingAppliesToTheWindowInOrder) {
  Set("List", "ViewMode", "2");
  Set("List", "SortType", "1");
  Set("List", "SortDirection", "1");
  Load();
  const std::vector<std::string> expected = {"geometry",     "view 2", "style 0", "sort 1",
                                             "descending 1", "folder", "tray",    "hotkeys"};
  EXPECT_EQ(host.calls, expected);
}

TEST_F(SettingsStoreTest, NumbersAcceptHexadecimalAndFallBackOnGarbage) {
  Set("Interval", "IntervalValue", "0x10");
  Set("RandomTime", "RandomIntervalValue", "abc");
  Set("Whole", "TaskTrayResiding", "2");
  Set("Whole", "WallSlelct", "$2");
  Set("Interval", "IntervalEnabled", "yes");
  Load();
  EXPECT_EQ(record.IntervalValue, 16);
  EXPECT_EQ(record.RandomIntervalValue, 1);
  EXPECT_TRUE(record.TaskTrayResiding);
  EXPECT_EQ(record.WallSelect, SelectionMethod::Random);
  EXPECT_FALSE(record.IntervalEnabled);
}

TEST_F(SettingsStoreTest, OutOfRangeListValuesLoadAsZeroAndSaveAsZero) {
  Set("List", "ViewMode", "9");
  Set("List", "ViewStyle", "-1");
  Set("List", "SortType", "4");
  Load();
  EXPECT_EQ(host.viewMode, 0);
  EXPECT_EQ(host.viewStyle, 0);
  EXPECT_EQ(host.sortKind, 0);
  SaveSettings(record, ini, false);
  EXPECT_EQ(profile.Get("List", "ViewMode"), "0");
  EXPECT_EQ(profile.Get("List", "ViewStyle"), "0");
}

TEST_F(SettingsStoreTest, ColorsRoundTripByNameOrHex) {
  record.WallBlankColor = 0xFFFFFF;
  SaveSettings(record, ini, false);
  EXPECT_EQ(profile.Get("Whole", "WallBlankColor"), "clWhite");
  record.WallBlankColor = 0x030201;  // red 1, green 2, blue 3
  SaveSettings(record, ini, false);
  EXPECT_EQ(profile.Get("Whole", "WallBlankColor"), "$00030201");
  Load();
  EXPECT_EQ(record.WallBlankColor, 0x030201u);

  Set("Whole", "WallBlankColor", "clBtnFace");
  Load();
  EXPECT_EQ(record.WallBlankColor, 0x8000000Fu);
  SaveSettings(record, ini, false);
  EXPECT_EQ(profile.Get("Whole", "WallBlankColor"), "clBtnFace");
}

TEST_F(SettingsStoreTest, UnreadableBlankColorFallsBackToBlack) {
  Set("Whole", "WallBlankColor", "purple-ish");
  record.WallBlankColor = 0x123456;
  Load();
  EXPECT_EQ(record.WallBlankColor, 0u);
}

TEST_F(SettingsStoreTest, ApplicationListRoundTrips) {
  record.ApplicationList = {"C:\\Games\\a.exe", "D:\\b.exe"};
  SaveSettings(record, ini, false);
  EXPECT_EQ(profile.Get("InvalidCondition", "InvalidConditionApplicationList"),
            "C:\\Games\\a.exe|D:\\b.exe|");
  record.ApplicationList.clear();
  Load();
  EXPECT_EQ(record.ApplicationList, (std::vector<std::string>{"C:\\Games\\a.exe", "D:\\b.exe"}));
}

TEST_F(SettingsStoreTest, LongApplicationListIsCutOnReading) {
  const std::string path(2100, 'x');
  Set("InvalidCondition", "InvalidConditionApplicationList", path + "|");
  Load();
  ASSERT_EQ(record.ApplicationList.size(), 1u);
  EXPECT_EQ(record.ApplicationList[0].size(), 2047u);
}

TEST_F(SettingsStoreTest, WindowSectionIsWrittenOnlyWhenAsked) {
  Set("Window", "WindowPosX", "17");
  record.Window = {5, 6, 700, 500, true};
  SaveSettings(record, ini, false);
  EXPECT_EQ(profile.Get("Window", "WindowPosX"), "17");
  EXPECT_FALSE(profile.Has("Window", "Maximized"));
  SaveSettings(record, ini, true);
  EXPECT_EQ(profile.Get("Window", "WindowPosX"), "5");
  EXPECT_EQ(profile.Get("Window", "WindowPosY"), "6");
  EXPECT_EQ(profile.Get("Window", "WindowWidth"), "700");
  EXPECT_EQ(profile.Get("Window", "Maximized"), "1");
}

TEST_F(SettingsStoreTest, SaveWritesEverySectionButSystemInOrderInOneStep) {
  SaveSettings(record, ini, true);
  EXPECT_EQ(profile.writeSteps, 1);
  EXPECT_EQ(profile.writeLog.front(), "Window/WindowPosX");
  EXPECT_EQ(profile.writeLog.back(), "Sound/SoundFile");
  EXPECT_EQ(profile.writeLog.size(), 5u + 4 + 10 + 3 + 3 + 2 + 2 + 5 + 4 + 4 + 2);
  for (const std::string& key : profile.writeLog) EXPECT_NE(key.rfind("System/", 0), 0u) << key;
}

TEST_F(SettingsStoreTest, FailedSaveWritesNothingAndNamesThePath) {
  Set("Interval", "IntervalValue", "7");
  record.IntervalValue = 3;
  record.WallPaperFolder = "C:\\new";
  profile.failFrom = "Interval/IntervalEnabled";
  try {
    SaveSettings(record, ini, false);
    FAIL() << "no error";
  } catch (const IniWriteError& e) {
    EXPECT_STREQ(e.what(), "C:\\Tapestrel\\Tapestrel.ini に書き込めません");
  }
  EXPECT_EQ(profile.Get("Interval", "IntervalValue"), "7");
  EXPECT_FALSE(profile.Has("Whole", "WallPaperFolder"));  // before the failing key, yet not written
  EXPECT_TRUE(profile.writeLog.empty());
}

TEST_F(SettingsStoreTest, NarrowWritersWriteAllTheirKeysOrNone) {
  profile.failFrom = "System/LastChangTime";
  EXPECT_THROW(WriteChangeState(ini, 1, "C:\\a.jpg", 2.0), IniWriteError);
  testing::FakeProfile colorProfile;
  colorProfile.failFrom = "Whole/ColorP";
  IniFile colorIni{colorProfile, locale};
  EXPECT_THROW(WriteCustomColors(colorIni, {}), IniWriteError);
  EXPECT_TRUE(profile.writeLog.empty());
  EXPECT_TRUE(colorProfile.writeLog.empty());
}

TEST_F(SettingsStoreTest, HotKeysAreStoredAsText) {
  record.WallChangeShortCutKey = 0x4000 | 0x8000 | 'W';
  record.AllCaptureHotKey = 0x2000 | 112;
  SaveSettings(record, ini, false);
  EXPECT_EQ(profile.Get("ShortCut", "WallChangeShortCutKey"), "Ctrl+Alt+W");
  EXPECT_EQ(profile.Get("Capture", "AllCaptureHotKey"), "Shift+F1");
  EXPECT_EQ(profile.Get("Capture", "ActiveCaptureHotKey"), "");
  Set("UrgentEvasion", "UrgentEvasionHotKey", "alt+ctrl+w");
  Load();
  EXPECT_EQ(record.UrgentEvasionHotKey, 0x4000 | 0x8000 | 'W');
}

TEST_F(SettingsStoreTest, ChangeStateAndLastChangeTimeRoundTrip) {
  const platform::DateTime t = platform::EncodeDateTime({2026, 12, 7, 13, 5, 9, 0});
  WriteChangeState(ini, 4, "C:\\Pictures\\a.jpg", t);
  EXPECT_EQ(profile.Get("System", "LastChangTime"), "2026/12/07 13:05:09");
  EXPECT_EQ(ReadLastWallpaperPath(ini), "C:\\Pictures\\a.jpg");
  Load();
  EXPECT_EQ(record.LastWallIndex, 4);
  EXPECT_DOUBLE_EQ(record.LastChangeTime, t);

  WriteChangeState(ini, 0, "", platform::EncodeDateTime({2026, 12, 8, 0, 0, 0, 0}));
  EXPECT_EQ(profile.Get("System", "LastChangTime"), "2026/12/08");
}

TEST_F(SettingsStoreTest, CustomColorsUseSixHexDigits) {
  CustomColors colors{};
  colors[0] = 0xFFFFFF;
  colors[15] = 0x0000FF;
  WriteCustomColors(ini, colors);
  EXPECT_EQ(profile.Get("Whole", "ColorA"), "FFFFFF");
  EXPECT_EQ(profile.Get("Whole", "ColorP"), "0000FF");
  EXPECT_EQ(profile.Get("Whole", "ColorB"), "000000");
  EXPECT_EQ(ReadCustomColors(ini), colors);
  Set("Whole", "ColorC", "zz");
  EXPECT_EQ(ReadCustomColors(ini)[2], 0u);
}

}  // namespace
}  // namespace tapestrel::app
