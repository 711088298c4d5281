// The settings store on a real INI file through the Windows profile API.
#include <gtest/gtest.h>

#include "app/settings_store.h"
#include "platform/win32/clock_and_locale.h"
#include "platform/win32/profile_file.h"
#include "platform/win32/text.h"
#include "win_support/files.h"

namespace tapestrel::testing {
namespace {

class NullHost : public app::SettingsHost {
 public:
  app::WindowGeometry geometry;
  int viewMode = -1;
  void SetWindowGeometry(const app::WindowGeometry& g) override { geometry = g; }
  void RunViewAction(int mode) override { viewMode = mode; }
  void RunStyleAction(int) override {}
  void RunSortAction(int) override {}
  void SetSortDescending(bool) override {}
  void SetBrowserFolder(const std::string&) override {}
  void ApplyTrayResiding() override {}
  void RegisterHotKeys() override {}
};

class ProfileFileTest : public ::testing::Test {
 protected:
  TempFolder folder;
  std::string path = folder / "Tapestrel.ini";
  platform::ProfileFile profile{path};
  platform::UserLocale locale;
  platform::LocalClock clock;
  app::IniFile ini{profile, locale};
  NullHost host;
  app::SettingsRecord record;

  void Load() { app::LoadSettings(record, ini, clock, host); }
};

TEST_F(ProfileFileTest, MissingFileGivesTheDefaults) {
  const double before = clock.Now();
  Load();
  EXPECT_FALSE(profile.Exists());
  EXPECT_EQ(host.geometry.width, 800);
  EXPECT_EQ(host.geometry.height, 600);
  EXPECT_TRUE(record.TaskTrayResiding);
  EXPECT_EQ(record.IntervalValue, 1);
  EXPECT_EQ(record.CaptureFileName, "ScreenShot");
  EXPECT_GE(record.LastChangeTime, before);
  EXPECT_FALSE(FileExists(path));  // loading never writes
}

TEST_F(ProfileFileTest, ValuesAsOtherProgramsWriteThem) {
  WriteFile(path,
            "[Interval]\r\nIntervalValue=0x10\r\n[RandomTime]\r\nRandomIntervalValue=ten\r\n"
            "[Whole]\r\nTaskTrayResiding=2\r\nWallBlankColor=$00030201\r\n[List]\r\nViewMode=9\r\n"
            "[ShortCut]\r\nWallChangeShortCutKey=alt+ctrl+w\r\n[Capture]\r\nAllCaptureHotKey=^W\r\n"
            "ActiveCaptureHotKey=Ctrl+Num 5\r\n");
  Load();
  EXPECT_EQ(record.IntervalValue, 16);
  EXPECT_EQ(record.RandomIntervalValue, 1);
  EXPECT_TRUE(record.TaskTrayResiding);
  EXPECT_EQ(record.WallBlankColor, 0x030201u);
  EXPECT_EQ(host.viewMode, 0);
  EXPECT_EQ(record.WallChangeShortCutKey, 0x4000 + 0x8000 + 'W');
  EXPECT_EQ(record.AllCaptureHotKey, 0x4000 + 'W');
  EXPECT_EQ(record.ActiveCaptureHotKey, 0);  // no key of that name

  record.WallBlankColor = 0xFFFFFF;
  app::SaveSettings(record, ini, false);
  EXPECT_EQ(IniValue(path, "Whole", "WallBlankColor"), "clWhite");
  EXPECT_EQ(IniValue(path, "List", "ViewMode"), "0");
  EXPECT_EQ(IniValue(path, "ShortCut", "WallChangeShortCutKey"), "Ctrl+Alt+W");
  EXPECT_EQ(IniValue(path, "Window", "WindowPosX"), "<missing>");
}

TEST_F(ProfileFileTest, KeysWithoutFixedNamesUseTheKeyboardLayout) {
  // VK_OEM_COMMA has no fixed name: its text comes from the layout and must
  // read back as the same key. A keypad digit is written as its digit.
  record.UrgentEvasionHotKey = 0x2000 + VK_OEM_COMMA;
  record.WallChangeShortCutKey = 0x4000 + VK_NUMPAD7;
  app::SaveSettings(record, ini, false);
  const std::string text = IniValue(path, "UrgentEvasion", "UrgentEvasionHotKey");
  ASSERT_EQ(text.rfind("Shift+", 0), 0u) << text;
  EXPECT_GT(text.size(), 6u);
  EXPECT_EQ(IniValue(path, "ShortCut", "WallChangeShortCutKey"), "Ctrl+7");
  record = {};
  Load();
  EXPECT_EQ(record.UrgentEvasionHotKey, 0x2000 + VK_OEM_COMMA);
  EXPECT_EQ(record.WallChangeShortCutKey, 0x4000 + '7');
}

TEST_F(ProfileFileTest, ApplicationListAndLongValues) {
  record.ApplicationList = {"C:\\Program Files\\Game\\game.exe", "D:\\ポスト\\tool.exe"};
  for (auto& p : record.ApplicationList) p = platform::Utf8ToAnsi(p);
  app::SaveSettings(record, ini, false);
  const auto saved = record.ApplicationList;
  record.ApplicationList.clear();
  Load();
  EXPECT_EQ(record.ApplicationList, saved);

  WriteFile(path,
            "[InvalidCondition]\r\nInvalidConditionApplicationList=" + std::string(3000, 'a') + "|\r\n");
  Load();
  ASSERT_EQ(record.ApplicationList.size(), 1u);
  EXPECT_EQ(record.ApplicationList[0].size(), 2047u);
}

TEST_F(ProfileFileTest, ChangeStateUsesTheLocaleDateFormat) {
  const double t = platform::EncodeDateTime({2026, 12, 7, 9, 8, 7, 0});
  app::WriteChangeState(ini, 3, "C:\\a.jpg", t);
  EXPECT_EQ(IniValue(path, "System", "LastWallIndex"), "3");
  EXPECT_EQ(IniValue(path, "System", "LastChangTime"), platform::FormatDateTime(t, locale.DateTimeFormats()));
  Load();
  EXPECT_DOUBLE_EQ(record.LastChangeTime, t);
}

TEST_F(ProfileFileTest, ReadOnlyFileStopsSavingWithItsPath) {
  WriteFile(path, "[Interval]\r\nIntervalValue=7\r\n");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  record.IntervalValue = 3;
  try {
    app::SaveSettings(record, ini, true);
    FAIL() << "the save reported success";
  } catch (const app::IniWriteError& e) {
    EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
  }
  EXPECT_EQ(IniValue(path, "Interval", "IntervalValue"), "7");
  EXPECT_EQ(IniValue(path, "Window", "WindowPosX"), "<missing>");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ProfileFileTest, SavingKeepsWhatTheProgramDoesNotKnowAndNeverReadsAReplacement) {
  // By hand: a comment, a key and a section of the user's own with odd
  // spacing, a known key in another spelling, no line break at the end.
  const std::string byHand =
      "; mine\r\n[Interval]\r\n  intervalvalue = 0x10 \r\nMyKey =  a b  \r\n\r\n[Mine]\r\nX=\x95\x5C\r\n"
      "[Sound]\r\nSoundFile=C:\\a.wav";
  WriteFile(path, byHand);
  // What a killed save may leave beside the file.
  WriteFile(folder / "Tapestrel.in~", "[Interval]\r\nIntervalValue=99\r\n[Whole]\r\nTaskTrayResiding=0\r\n");
  Load();
  EXPECT_EQ(record.IntervalValue, 16);
  EXPECT_TRUE(record.TaskTrayResiding);

  record.IntervalValue = 5;
  record.SoundFile = "C:\\b.wav";
  app::SaveSettings(record, ini, true);
  const std::string saved = ReadFile(path);
  EXPECT_EQ(saved.rfind("; mine\r\n[Interval]\r\nIntervalValue=5\r\nMyKey =  a b  \r\n", 0), 0u) << saved;
  EXPECT_NE(saved.find("\r\n\r\n[Mine]\r\nX=\x95\x5C\r\n[Sound]\r\nSoundFile=C:\\b.wav\r\n"),
            std::string::npos)
      << saved;
  EXPECT_FALSE(FileExists(folder / "Tapestrel.in~"));  // the save took its place
  record = {};
  Load();
  EXPECT_EQ(record.IntervalValue, 5);
  EXPECT_EQ(record.SoundFile, "C:\\b.wav");
}

}  // namespace
}  // namespace tapestrel::testing
