// The settings dialog of the real Tapestrel.exe, driven from outside as the
// user would: opened from the main menu and the tray menu, OK and Cancel
// against the INI file, and the plug-in page of an installed program.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <map>
#include <sstream>

#include "program/win32/actions.h"
#include "settings_dialog_ids.h"
#include "shell_link_reader.h"
#include "win_support/tapestrel_process.h"
#include "win_support/test_plugins.h"

namespace tapestrel::testing {
namespace {

using IniMap = std::map<std::string, std::string>;  // "Section/Key" -> value

// A control's text in another process: sent, as GetWindowText does not ask.
std::wstring Text(HWND control) {
  wchar_t text[256] = {};
  SendMessageW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  return text;
}

IniMap ParseIni(const std::string& text) {
  IniMap values;
  std::istringstream in(text);
  std::string line, section;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
    } else if (const size_t eq = line.find('='); eq != std::string::npos) {
      values[section + "/" + line.substr(0, eq)] = line.substr(eq + 1);
    }
  }
  return values;
}

class ProgramSettingsTest : public ::testing::Test {
 protected:
  TempFolder folder;
  TempFolder pictures;
  TapestrelProcess program{folder};

  void WriteIni(const std::string& extra) {
    WriteFile(program.Ini(), "[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\n" + extra);
  }
  HWND Frame(int milliseconds = 10000) { return program.WaitForWindow(L"Tapestrel 設定", milliseconds); }
  bool Closed(HWND frame) {
    return WaitFor([&] { return !IsWindow(frame); }, 5000);
  }
  // The page shown for the node at `index` (handles work across processes).
  HWND ShowPage(HWND frame, int index) {
    const HWND tree = GetDlgItem(frame, IDC_SETTINGS_TREE);
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (int i = 0; i < index; ++i) {
      item = reinterpret_cast<HTREEITEM>(
          SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    const HWND panel = FindWindowExW(frame, nullptr, L"TapestrelFormPanel", nullptr);
    return FindWindowExW(panel, nullptr, L"#32770", nullptr);
  }
};

TEST_F(ProgramSettingsTest, OkFromTheMainMenuRewritesOnlyWhatSaveSettingsWrites) {
  // Every key away from its default, in the form the program writes it: the
  // values go through every control and back and leave the file as it is.
  // Two values out of their page's range; a "Window" section written in a
  // way the program never writes it. (No pictures: no trigger changes any.)
  WriteIni(
      "WallSlelct=2\r\nWallPosition=3\r\nWallBlankColor=$00030201\r\nTaskTrayResiding=0\r\n"
      "WallBlankAutoColor=1\r\nWallPositionRatioDrawing=6\r\nExifOrientation=0\r\nMonitorMode=2\r\nMatchOrientation=1\r\n"
      "ColorB=ABCDEF\r\n"
      "[System]\r\nLastWallIndex=3\r\nLastWallPas=C:\\x.bmp\r\nUrgentEvasionMode=0\r\n"
      "[Window]\r\nWindowPosX=0x10\r\nWindowPosY=+5\r\nWindowWidth=640\r\nWindowHeight=480\r\nMaximized=0\r\n"
      "[List]\r\nViewMode=0\r\nViewStyle=0\r\nSortType=0\r\nSortDirection=0\r\n"
      "[Interval]\r\nIntervalEnabled=1\r\nIntervalValue=0\r\nIntervalUnit=2\r\n"
      "[RandomTime]\r\nRandomIntervalEnabled=1\r\nRandomIntervalValue=300\r\nRandomIntervalUnit=0\r\n"
      "[ShortCut]\r\nWallChangeShortCutEnabled=1\r\nWallChangeShortCutKey=Ctrl+Alt+W\r\n"
      "[Condition]\r\nWallOSEndChange=1\r\nWallDateChange=1\r\n"
      "[Capture]\r\nCaptureEnabled=1\r\nAllCaptureHotKey=Shift+F11\r\nActiveCaptureHotKey=Alt+F12\r\n"
      "CaptureFileName=Grab\r\nCaptureFileExt=1\r\n"
      "[UrgentEvasion]\r\nUrgentEvasionEnabled=1\r\nUrgentEvasionHotKey=Ctrl+Space\r\n"
      "UrgentEvasionFileName=C:\\safe.bmp\r\nAllWindowMinimaize=1\r\n"
      "[InvalidCondition]\r\nInvalidConditionCPUEnabled=1\r\nInvalidConditionCPUValue=250\r\n"
      "InvalidConditionApplicationEnabled=1\r\n"
      "InvalidConditionApplicationList=C:\\a.exe|C:\\\x95\x5C\\b.exe|\r\n"  // Shift-JIS "表"
      "[Sound]\r\nSoundEnabled=1\r\nSoundFile=C:\\ding.wav\r\n");
  IniMap expected = ParseIni(ReadFile(program.Ini()));
  expected["Interval/IntervalValue"] = "1";
  expected["InvalidCondition/InvalidConditionCPUValue"] = "100";

  ASSERT_TRUE(program.Start());
  const HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(program.WaitIdle());
  PostMessageW(main, WM_COMMAND, app::kActCustomize, 0);
  const HWND frame = Frame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(SendMessageW(GetDlgItem(frame, IDC_SETTINGS_TREE), TVM_GETCOUNT, 0, 0), 10);
  PostMessageW(frame, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(Closed(frame));
  // Written once the dialog is gone.
  WaitFor([&] { return ParseIni(ReadFile(program.Ini())) == expected; }, 5000);
  EXPECT_EQ(ParseIni(ReadFile(program.Ini())), expected);
  // Still responsive, and again with the same result.
  PostMessageW(main, WM_COMMAND, app::kActCustomize, 0);
  const HWND again = Frame();
  ASSERT_NE(again, nullptr);
  PostMessageW(again, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(Closed(again));
  Sleep(1000);
  EXPECT_EQ(ParseIni(ReadFile(program.Ini())), expected);
}

TEST_F(ProgramSettingsTest, CancelAfterEditingWritesNothing) {
  WriteIni("[Capture]\r\nCaptureFileName=Grab\r\n");
  DeleteFileA(StartupShortcutPath().c_str());
  const std::string before = ReadFile(program.Ini());
  ASSERT_TRUE(program.Start());
  const HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(program.WaitIdle());
  PostMessageW(main, WM_COMMAND, app::kActCustomize, 0);
  const HWND frame = Frame();
  ASSERT_NE(frame, nullptr);
  SendMessageW(GetDlgItem(ShowPage(frame, 0), IDC_TASK_TRAY_RESIDING), BM_CLICK, 0, 0);
  SendMessageW(GetDlgItem(ShowPage(frame, 0), IDC_EXE_AUTORUN), BM_CLICK, 0, 0);
  const HWND name = GetDlgItem(ShowPage(frame, 5), IDC_CAPTURE_FILE_NAME);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Other"));
  const HWND sound = GetDlgItem(ShowPage(frame, 9), IDC_SOUND_ENABLED);
  SendMessageW(sound, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageW(sound, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(Text(name), L"Other");
  PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(Closed(frame));
  // The next opening shows the record again; by then the first is over.
  PostMessageW(main, WM_COMMAND, app::kActCustomize, 0);
  const HWND again = Frame();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(ReadFile(program.Ini()), before);
  EXPECT_FALSE(FileExists(StartupShortcutPath()));
  EXPECT_EQ(Text(GetDlgItem(ShowPage(again, 5), IDC_CAPTURE_FILE_NAME)), L"Grab");
  PostMessageW(again, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(Closed(again));
}

TEST_F(ProgramSettingsTest, TheTrayMenuOpensItAndNoWindowStaysBehind) {
  WriteIni("");
  ASSERT_TRUE(program.Start("/exeautorun"));
  HWND tray = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        for (HWND w : WindowsOf(program.Pid(), false)) {
          if (ClassName(w) == L"TaskTrayHandle") tray = w;
        }
        return tray != nullptr;
      },
      10000));
  ASSERT_TRUE(program.WaitIdle());
  PostMessageW(tray, 1224, 1, WM_RBUTTONDOWN);
  HWND menu = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        for (HWND w : WindowsOf(program.Pid(), true)) {
          if (ClassName(w) == L"#32768") menu = w;
        }
        return menu != nullptr;
      },
      5000));
  // The access key of "設定(&C)...", as a key press reaches the open menu.
  PostMessageW(menu, WM_KEYDOWN, 'C', 0x002E0001);
  PostMessageW(menu, WM_CHAR, 'c', 0x002E0001);
  const HWND frame = Frame();
  ASSERT_NE(frame, nullptr);
  PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(Closed(frame));
  Sleep(300);
  EXPECT_TRUE(WindowsOf(program.Pid(), true).empty());
  EXPECT_FALSE(IsWindowVisible(program.AnyMainWindow()));
}

TEST_F(ProgramSettingsTest, ThePluginPageListsTheBuiltInRowsAndOneRowPerInstalledPlugin) {
  WriteIni("");
  const std::string plugins = folder / "SPlugin";
  CreateDirectoryA(plugins.c_str(), nullptr);
  for (const char* name : {"tsp_in", "tsp_alt", "tsp_third"}) {
    CopyFileA(TestPluginPath(name).c_str(), (plugins + "\\" + PluginFile(name)).c_str(), FALSE);
  }
  ASSERT_TRUE(program.Start());
  const HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(program.WaitIdle());
  PostMessageW(main, WM_COMMAND, app::kActCustomize, 0);
  const HWND frame = Frame();
  ASSERT_NE(frame, nullptr);
  const HWND list = GetDlgItem(ShowPage(frame, 8), IDC_FORMAT_LIST);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3 + 3);
  PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(Closed(frame));
}

TEST_F(ProgramSettingsTest, TheStartWithWindowsBoxesKeepTheShortcutInTheStartupFolder) {
  const std::string link = StartupShortcutPath();
  DeleteFileA(link.c_str());
  struct Cleanup {
    std::string path;
    ~Cleanup() { DeleteFileA(path.c_str()); }
  } cleanup{link};
  CoInitialize(nullptr);
  WriteIni("");
  ASSERT_TRUE(program.Start());
  const HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(program.WaitIdle());
  // Opens the dialog, clicks the boxes, OK; then waits for `done`.
  auto ok = [&](std::vector<std::pair<int, int>> boxes, std::function<bool()> done) {
    PostMessageW(main, WM_COMMAND, app::kActCustomize, 0);
    const HWND frame = Frame();
    ASSERT_NE(frame, nullptr);
    for (auto [page, id] : boxes) SendMessageW(GetDlgItem(ShowPage(frame, page), id), BM_CLICK, 0, 0);
    PostMessageW(frame, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(Closed(frame));
    EXPECT_TRUE(WaitFor(done, 5000));
  };
  ok({{0, IDC_EXE_AUTORUN}}, [&] { return ReadLink(link).arguments == "/ExeAutorun"; });
  const Link made = ReadLink(link);
  EXPECT_EQ(platform::AnsiToWide(made.target), platform::AnsiToWide(program.Exe()));
  EXPECT_EQ(made.folder, folder.Path());
  ok({{4, IDC_WALL_OS_START_CHANGE}}, [&] { return ReadLink(link).arguments == "/ExeAutorun /WallChange"; });
  ok({{0, IDC_EXE_AUTORUN}}, [&] { return ReadLink(link).arguments == "/WallChange"; });
  // Read back from the shortcut at every opening.
  PostMessageW(main, WM_COMMAND, app::kActCustomize, 0);
  const HWND frame = Frame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(SendMessageW(GetDlgItem(ShowPage(frame, 0), IDC_EXE_AUTORUN), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(GetDlgItem(ShowPage(frame, 4), IDC_WALL_OS_START_CHANGE), BM_GETCHECK, 0, 0),
            BST_CHECKED);
  PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(Closed(frame));
  ok({{4, IDC_WALL_OS_START_CHANGE}}, [&] { return !FileExists(link); });
  CoUninitialize();
}

}  // namespace
}  // namespace tapestrel::testing
