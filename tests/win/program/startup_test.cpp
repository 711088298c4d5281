// The real Tapestrel.exe: single instance, command-line switches, the
// wallpaper-folder check and what each way of ending saves.
#include <gtest/gtest.h>

#include "common/solid_picture.h"
#include "main_window_ids.h"
#include "platform/win32/text.h"
#include "program/win32/actions.h"
#include "win_support/desktop_registry.h"
#include "win_support/tapestrel_process.h"

namespace tapestrel::testing {
namespace {

class ProgramTest : public ::testing::Test {
 protected:
  TempFolder folder;
  TempFolder pictures;
  TapestrelProcess program{folder};

  void SetUp() override {
    WriteSolidBmp(pictures / "a.bmp", 8, 8, 0x0000FF);
    WriteSolidBmp(pictures / "b.bmp", 8, 8, 0x00FF00);
    WriteSolidBmp(pictures / "c.bmp", 8, 8, 0xFF0000);
  }

  // An INI naming the picture folder, plus any extra lines.
  void WriteIni(const std::string& extra = "") {
    WriteFile(program.Ini(),
              "[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\nTaskTrayResiding=0\r\n" + extra);
  }

  // Sends WM_QUERYENDSESSION as Windows does at log-off; 1 lets Windows end.
  static DWORD_PTR QueryEndSession(HWND window) {
    DWORD_PTR answer = 0xBAD;
    if (!SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 20000, &answer)) return 0xDEAD;
    return answer;
  }

  // Watches for visible windows while the program runs to its end.
  bool EndsWithoutVisibleWindow(int milliseconds) {
    bool sawWindow = false;
    const bool ended = WaitFor(
        [&] {
          if (!WindowsOf(program.Pid(), true).empty()) sawWindow = true;
          return !program.Running();
        },
        milliseconds);
    return ended && !sawWindow;
  }
};

TEST_F(ProgramTest, SecondStartEndsAtOnceWithoutWindow) {
  WriteIni();
  ASSERT_TRUE(program.Start());
  ASSERT_NE(program.MainWindow(), nullptr);

  TempFolder otherFolder;
  TapestrelProcess second(otherFolder);
  WriteFile(second.Ini(), "[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\n");
  ASSERT_TRUE(second.Start("/wallchange"));
  ASSERT_TRUE(second.WaitExit(10000));
  EXPECT_TRUE(WindowsOf(second.Pid(), true).empty());
  EXPECT_EQ(IniValue(second.Ini(), "System", "LastWallIndex"), "<missing>");  // no change either
  EXPECT_TRUE(program.Running());
}

TEST_F(ProgramTest, WallChangeInAnyCaseChangesOnceAndEndsQuietly) {
  WriteIni("[Window]\r\nWindowPosX=123\r\n");
  for (const char* argument : {"/WallChange", "/WALLCHANGE"}) {
    ASSERT_TRUE(program.Start(argument));
    EXPECT_TRUE(EndsWithoutVisibleWindow(15000)) << argument;
  }
  // Two changes from the default index 0: pictures 1, then 2.
  EXPECT_EQ(IniValue(program.Ini(), "System", "LastWallIndex"), "2");
  EXPECT_EQ(IniValue(program.Ini(), "System", "LastWallPas"), pictures / "c.bmp");
  EXPECT_EQ(IniValue(program.Ini(), "Window", "WindowPosX"), "123");
  EXPECT_EQ(IniValue(program.Ini(), "Window", "WindowWidth"), "<missing>");
  EXPECT_EQ(IniValue(program.Ini(), "Interval", "IntervalValue"), "<missing>");  // nothing saved
}

TEST_F(ProgramTest, LookalikeSwitchesAreIgnored) {
  WriteIni();
  ASSERT_TRUE(program.Start("-wallchange /wallchangex wallchange"));
  EXPECT_NE(program.MainWindow(), nullptr);
  EXPECT_TRUE(program.Running());
  EXPECT_EQ(IniValue(program.Ini(), "System", "LastWallIndex"), "<missing>");
}

TEST_F(ProgramTest, ClosingWithTrayResidenceOffSavesEveryKey) {
  WriteIni();
  ASSERT_TRUE(program.Start());
  HWND window = program.MainWindow();
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.WaitExit(10000));

  const std::vector<std::pair<const char*, std::vector<const char*>>> keys = {
      {"Window", {"WindowPosX", "WindowPosY", "WindowWidth", "WindowHeight", "Maximized"}},
      {"List", {"ViewMode", "ViewStyle", "SortType", "SortDirection"}},
      {"Whole",
       {"WallPaperFolder", "WallSlelct", "WallPosition", "WallBlankColor", "TaskTrayResiding",
        "WallBlankAutoColor", "WallPositionRatioDrawing", "ExifOrientation",
        "MonitorMode", "MatchOrientation"}},
      {"Interval", {"IntervalEnabled", "IntervalValue", "IntervalUnit"}},
      {"RandomTime", {"RandomIntervalEnabled", "RandomIntervalValue", "RandomIntervalUnit"}},
      {"ShortCut", {"WallChangeShortCutEnabled", "WallChangeShortCutKey"}},
      {"Condition", {"WallOSEndChange", "WallDateChange"}},
      {"Capture",
       {"CaptureEnabled", "AllCaptureHotKey", "ActiveCaptureHotKey", "CaptureFileName", "CaptureFileExt"}},
      {"UrgentEvasion",
       {"UrgentEvasionEnabled", "UrgentEvasionHotKey", "UrgentEvasionFileName", "AllWindowMinimaize"}},
      {"InvalidCondition",
       {"InvalidConditionCPUEnabled", "InvalidConditionCPUValue", "InvalidConditionApplicationEnabled",
        "InvalidConditionApplicationList"}},
      {"Sound", {"SoundEnabled", "SoundFile"}},
  };
  for (const auto& [section, names] : keys) {
    for (const char* key : names)
      EXPECT_NE(IniValue(program.Ini(), section, key), "<missing>") << section << "/" << key;
  }
  EXPECT_EQ(IniValue(program.Ini(), "Window", "WindowWidth"), "800");
  EXPECT_EQ(IniValue(program.Ini(), "Whole", "WallBlankColor"), "clBlack");
  EXPECT_EQ(IniValue(program.Ini(), "Capture", "CaptureFileName"), "ScreenShot");
  EXPECT_EQ(IniValue(program.Ini(), "Whole", "WallPaperFolder"), pictures.Path());
  EXPECT_EQ(IniValue(program.Ini(), "System", "LastWallIndex"), "<missing>");
}

TEST_F(ProgramTest, ClosingWithTrayResidenceOnHidesAndKeepsRunning) {
  WriteFile(program.Ini(), "[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\n");
  ASSERT_TRUE(program.Start());
  HWND window = program.MainWindow();
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(window); }, 5000));
  Sleep(500);
  EXPECT_TRUE(program.Running());
  EXPECT_EQ(IniValue(program.Ini(), "Window", "WindowWidth"), "<missing>");
}

TEST_F(ProgramTest, AutoRunStartsHiddenInTheTrayOrShownWithoutIt) {
  WriteFile(program.Ini(), "[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\n");
  ASSERT_TRUE(program.Start("/exeautorun /wallchange"));
  ASSERT_TRUE(WaitFor([&] { return program.AnyMainWindow() != nullptr; }, 10000));
  ASSERT_TRUE(WaitFor([&] { return IniValue(program.Ini(), "System", "LastWallIndex") == "1"; }, 10000));
  EXPECT_TRUE(program.Running());
  EXPECT_TRUE(WindowsOf(program.Pid(), true).empty());
  program.Kill();

  WriteIni();
  ASSERT_TRUE(program.Start("/EXEAUTORUN"));
  EXPECT_NE(program.MainWindow(), nullptr);
}

TEST_F(ProgramTest, ExitCommandSavesAndEnds) {
  WriteIni("[Window]\r\nWindowPosX=40\r\nWindowPosY=30\r\nWindowWidth=640\r\nWindowHeight=480\r\n");
  ASSERT_TRUE(program.Start());
  HWND window = program.MainWindow();
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_COMMAND, app::kActApplicationExit, 0);
  ASSERT_TRUE(program.WaitExit(10000));
  EXPECT_EQ(IniValue(program.Ini(), "Window", "WindowPosX"), "40");
  EXPECT_EQ(IniValue(program.Ini(), "Window", "WindowWidth"), "640");
  EXPECT_EQ(IniValue(program.Ini(), "Window", "Maximized"), "0");
}

TEST_F(ProgramTest, MaximisedWindowComesBackMaximisedAfterAStartInTheTray) {
  WriteFile(program.Ini(), "[Whole]\r\nWallPaperFolder=" + pictures.Path() +
                               "\r\n[Window]\r\nWindowPosX=40\r\nWindowPosY=30\r\nWindowWidth=640\r\n"
                               "WindowHeight=480\r\nMaximized=1\r\n");
  ASSERT_TRUE(program.Start("/exeautorun"));
  ASSERT_TRUE(program.WaitIdle());
  HWND window = program.AnyMainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  PostMessageW(window, WM_COMMAND, app::kActWindowShow, 0);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, 5000));
  EXPECT_TRUE(IsZoomed(window));
  PostMessageW(window, WM_COMMAND, app::kActApplicationExit, 0);
  ASSERT_TRUE(program.WaitExit(10000));
  EXPECT_EQ(IniValue(program.Ini(), "Window", "Maximized"), "1");
  EXPECT_EQ(IniValue(program.Ini(), "Window", "WindowPosX"), "40");  // the normal place is kept
  EXPECT_EQ(IniValue(program.Ini(), "Window", "WindowWidth"), "640");
}

// The folder check: the message, its caption, the dialog's caption, and a
// cancelled dialog ending the program without writing the INI file.
void ExpectFolderPrompt(TapestrelProcess& program, const std::wstring& message,
                        const std::wstring& dialogCaption) {
  HWND box = program.WaitForWindow(L"Tapestrel", 10000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ClassName(box), L"#32770");
  const auto texts = StaticTexts(box);
  EXPECT_NE(std::find(texts.begin(), texts.end(), message), texts.end());
  PostMessageW(box, WM_COMMAND, IDOK, 0);

  HWND dialog = program.WaitForWindow(dialogCaption, 10000);
  ASSERT_NE(dialog, nullptr);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(program.WaitExit(10000));
}

TEST_F(ProgramTest, VanishedFolderAsksAgainAndCancelEndsWithoutSaving) {
  const std::string ini =
      "[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\\gone\r\nTaskTrayResiding=0\r\n";
  WriteFile(program.Ini(), ini);
  ASSERT_TRUE(program.Start("/wallchange"));
  ExpectFolderPrompt(program, L"壁紙フォルダパスが無効なため再設定します", L"壁紙フォルダパス再設定");
  EXPECT_EQ(ReadFile(program.Ini()), ini);
}

TEST_F(ProgramTest, FirstRunAsksForTheFolderAndCancelWritesNothing) {
  ASSERT_TRUE(program.Start());
  ExpectFolderPrompt(program, L"初期設定\r\n壁紙フォルダパスを設定します", L"壁紙フォルダパス初期設定");
  EXPECT_FALSE(FileExists(program.Ini()));
}

TEST_F(ProgramTest, FolderChosenInTheDialogIsUsedAndSavedAtExit) {
  ASSERT_TRUE(program.Start());
  HWND box = program.WaitForWindow(L"Tapestrel", 10000);
  ASSERT_NE(box, nullptr);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  HWND dialog = program.WaitForWindow(L"壁紙フォルダパス初期設定", 10000);
  ASSERT_NE(dialog, nullptr);
  HWND ok = GetDlgItem(dialog, IDOK);
  SetDlgItemTextW(dialog, IDC_WALLPAPER_FOLDER_PATH, L"C:\\no\\such\\folder");
  EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(ok); }, 2000));
  SetDlgItemTextW(dialog, IDC_WALLPAPER_FOLDER_PATH, platform::AnsiToWide(pictures.Path()).c_str());
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(ok) != FALSE; }, 2000));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  HWND window = program.MainWindow();
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_COMMAND, app::kActApplicationExit, 0);
  ASSERT_TRUE(program.WaitExit(10000));
  EXPECT_EQ(IniValue(program.Ini(), "Whole", "WallPaperFolder"), pictures.Path());
}

}  // namespace
}  // namespace tapestrel::testing

namespace tapestrel::testing {
namespace {

TEST_F(ProgramTest, NewDayChangesOnceAtStartEvenWithTheSwitch) {
  WriteIni("[Condition]\r\nWallDateChange=1\r\n[System]\r\nLastChangTime=2001/02/03 4:05:06\r\n");
  ASSERT_TRUE(program.Start());
  ASSERT_NE(program.MainWindow(), nullptr);
  EXPECT_EQ(IniValue(program.Ini(), "System", "LastWallIndex"), "1");
  program.Kill();

  WriteIni("[Condition]\r\nWallDateChange=1\r\n[System]\r\nLastChangTime=2001/02/03 4:05:06\r\n");
  ASSERT_TRUE(program.Start("/wallchange"));
  ASSERT_TRUE(program.WaitExit(15000));
  EXPECT_EQ(IniValue(program.Ini(), "System", "LastWallIndex"), "1");  // one change, not two
}

TEST_F(ProgramTest, UndecodablePicturesAreSkippedAndNeverStopTheProgram) {
  WriteFile(pictures / "b.bmp", "not a bitmap at all");  // index 1: the first change's choice
  WriteIni("[Condition]\r\nWallDateChange=1\r\n[System]\r\nLastChangTime=2001/02/03 4:05:06\r\n");
  ASSERT_TRUE(program.Start());
  EXPECT_NE(program.MainWindow(), nullptr);
  EXPECT_EQ(IniValue(program.Ini(), "System", "LastWallIndex"), "2");  // b gave way to c
  program.Kill();

  // Nothing decodable at all: "/wallchange" still ends, with nothing recorded.
  for (const char* name : {"a.bmp", "c.bmp"}) WriteFile(pictures / name, "not a bitmap either");
  WriteIni();
  ASSERT_TRUE(program.Start("/wallchange"));
  EXPECT_TRUE(program.WaitExit(15000));
  EXPECT_EQ(IniValue(program.Ini(), "System", "LastWallIndex"), "<missing>");
}

TEST_F(ProgramTest, SessionEndLeavesTheNextPictureForTheLogonAndSaves) {
  WriteFile(pictures / "b.bmp", "not a bitmap at all");  // next in line, and unusable
  WriteIni("[Condition]\r\nWallOSEndChange=1\r\n");
  ASSERT_TRUE(program.Start());
  HWND window = program.MainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(QueryEndSession(window), 1u);
  // c is left for the next logon, in the registry only.
  EXPECT_EQ(IniValue(program.Ini(), "System", "LastWallIndex"), "2");
  EXPECT_EQ(DesktopValue("ConvertedWallpaper"), pictures / "c.bmp");
  EXPECT_EQ(DesktopValue("Wallpaper"), WallpaperFile());
  EXPECT_EQ(DesktopValue("OriginalWallpaper"), WallpaperFile());
  EXPECT_EQ(IniValue(program.Ini(), "Window", "WindowWidth"), "800");
  EXPECT_TRUE(program.Running());
}

TEST_F(ProgramTest, SessionEndIsNeverRefusedWhenTheChangeOrTheSaveFails) {
  WriteIni("[Condition]\r\nWallOSEndChange=1\r\n");
  ASSERT_TRUE(program.Start());
  HWND window = program.MainWindow();
  ASSERT_NE(window, nullptr);
  {
    // The wallpaper file is locked: the change fails, the settings are saved all the same.
    HANDLE lock = CreateFileA(WallpaperFile().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(QueryEndSession(window), 1u);
    CloseHandle(lock);
  }
  EXPECT_EQ(IniValue(program.Ini(), "System", "LastWallIndex"), "<missing>");
  EXPECT_EQ(IniValue(program.Ini(), "Window", "WindowWidth"), "800");

  // The INI file is read-only: the save fails, Windows may still end.
  DeleteFileA(program.Ini().c_str());
  WriteFile(program.Ini(), "");
  SetFileAttributesA(program.Ini().c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(QueryEndSession(window), 1u);
  SetFileAttributesA(program.Ini().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(program.Running());
}

TEST_F(ProgramTest, FailedSaveKeepsTheProgramRunning) {
  WriteIni();
  ASSERT_TRUE(program.Start());
  HWND window = program.MainWindow();
  ASSERT_NE(window, nullptr);
  const std::string before = ReadFile(program.Ini());
  SetFileAttributesA(program.Ini().c_str(), FILE_ATTRIBUTE_READONLY);
  PostMessageW(window, WM_COMMAND, app::kActApplicationExit, 0);
  Sleep(1500);
  EXPECT_TRUE(program.Running());
  EXPECT_EQ(ReadFile(program.Ini()), before);
  SetFileAttributesA(program.Ini().c_str(), FILE_ATTRIBUTE_NORMAL);
  PostMessageW(window, WM_COMMAND, app::kActApplicationExit, 0);
  EXPECT_TRUE(program.WaitExit(10000));
}

TEST_F(ProgramTest, TrayAndShowCommandsHideAndShowTheWindow) {
  WriteFile(program.Ini(), "[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\n");
  ASSERT_TRUE(program.Start());
  HWND window = program.MainWindow();
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_COMMAND, app::kActGoToTaskTray, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(window); }, 5000));
  PostMessageW(window, WM_COMMAND, app::kActWindowShow, 0);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, 5000));
}

}  // namespace
}  // namespace tapestrel::testing
