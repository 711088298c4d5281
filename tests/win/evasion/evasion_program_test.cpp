// Urgent evasion in the real program, driven through its hot-key window and
// its commands.
#include <gtest/gtest.h>

#include "common/solid_picture.h"
#include "platform/win32/registry.h"
#include "program/win32/actions.h"
#include "win_support/main_window_fixture.h"
#include "win_support/tapestrel_process.h"
#include "win_support/tray_icon_size.h"

namespace tapestrel::testing {
namespace {

// The program's message-only hot-key window.
HWND HotKeyWindow(DWORD pid) {
  for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, L"TapestrelHotKeys", nullptr)) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid) return w;
  }
  return nullptr;
}

std::string Converted() {
  return platform::CurrentUserRegistry()
      .ReadString("Control Panel\\Desktop", "ConvertedWallpaper")
      .value_or("");
}

class EvasionProgramTest : public ::testing::Test {
 protected:
  TempFolder folder;
  TempFolder pictures;
  TapestrelProcess program{folder};
  std::string safe;

  void SetUp() override {
    WriteSolidBmp(pictures / "a.bmp", 30, 20, 0x0000FF);
    WriteSolidBmp(pictures / "b.bmp", 30, 20, 0x00FF00);
    WriteSolidBmp(pictures / "c.bmp", 30, 20, 0xFF0000);
    safe = folder / "safe.bmp";
    WriteSolidBmp(safe, 30, 20, 0x808080);
  }
  void WriteIni(const std::string& extra = "") {
    WriteFile(program.Ini(), "[Whole]\r\nWallPaperFolder=" + pictures.Path() +
                                 "\r\nTaskTrayResiding=1\r\n[UrgentEvasion]\r\nUrgentEvasionFileName=" +
                                 safe + "\r\n[Capture]\r\nCaptureFileExt=0\r\n" + extra);
  }
  std::string Sys(const char* key) { return IniValue(program.Ini(), "System", key); }
  // Sends a hot-key press and waits until the program has handled it.
  void Press(int index) {
    HWND hotKeys = HotKeyWindow(program.Pid());
    ASSERT_NE(hotKeys, nullptr);
    DWORD_PTR ignored;
    SendMessageTimeoutW(hotKeys, WM_HOTKEY, static_cast<WPARAM>(index), 0, SMTO_BLOCK, 10000, &ignored);
  }
  void Command(UINT id) {
    DWORD_PTR ignored;
    SendMessageTimeoutW(program.AnyMainWindow(), WM_COMMAND, id, 0, SMTO_BLOCK, 10000, &ignored);
  }
};

TEST_F(EvasionProgramTest, EnteringBlocksEveryChangeAndLeavingRestores) {
  WriteIni();
  ASSERT_TRUE(program.Start("/exeautorun"));
  ASSERT_TRUE(program.WaitIdle());
  Press(0);  // an ordinary change: b.bmp
  ASSERT_EQ(Sys("LastWallPas"), pictures / "b.bmp");
  const std::string time = Sys("LastChangTime");

  Press(3);  // enter
  EXPECT_EQ(Converted(), safe);
  EXPECT_EQ(Sys("UrgentEvasionMode"), "1");
  EXPECT_EQ(Sys("LastWallPas"), pictures / "b.bmp");  // the safe picture is not recorded
  EXPECT_EQ(Sys("LastWallIndex"), "1");
  EXPECT_EQ(Sys("LastChangTime"), time);

  Press(0);                           // change hot key
  Command(app::kCmdChangeWallpaper);  // tray item
  PostMessageW(program.AnyMainWindow(), WM_NULL, 0, 0);
  Press(1);  // capture: written, not applied
  EXPECT_EQ(Converted(), safe);
  EXPECT_EQ(Sys("LastWallIndex"), "1");
  EXPECT_TRUE(FileExists(pictures / "ScreenShot000.bmp"));

  Press(3);  // leave: back to the last ordinary picture
  EXPECT_EQ(Sys("UrgentEvasionMode"), "0");
  EXPECT_EQ(Converted(), pictures / "b.bmp");
  EXPECT_EQ(Sys("LastWallIndex"), "1");  // restoring is quiet
  Press(0);
  EXPECT_EQ(Sys("LastWallPas"), pictures / "c.bmp");
}

TEST_F(EvasionProgramTest, LeavingWithTheLastPictureGoneKeepsTheSafeOne) {
  WriteIni("[System]\r\nLastWallPas=" + pictures / "deleted.bmp" + "\r\n");
  ASSERT_TRUE(program.Start("/exeautorun"));
  ASSERT_TRUE(program.WaitIdle());
  Press(3);
  EXPECT_EQ(Converted(), safe);
  Press(3);
  EXPECT_EQ(Converted(), safe);
  EXPECT_EQ(Sys("UrgentEvasionMode"), "0");
  Press(0);  // changes work again
  EXPECT_EQ(Converted(), pictures / "b.bmp");
}

TEST_F(EvasionProgramTest, EvasionSurvivesARestartAndBlocksWallChange) {
  WriteIni("[System]\r\nUrgentEvasionMode=1\r\n");
  ASSERT_TRUE(program.Start("/wallchange"));
  ASSERT_TRUE(program.WaitExit(15000));
  EXPECT_EQ(Sys("LastWallIndex"), "<missing>");
  EXPECT_EQ(Sys("UrgentEvasionMode"), "1");
}

TEST(EvasionMainForm, RestartShowsTheEvasionIconAndTheTrayItemFlipsIt) {
  TempFolder pictures;
  MainWindowFixture fixture("[Whole]\r\nWallPaperFolder=" + pictures.Path() +
                            "\r\n[System]\r\nUrgentEvasionMode=1\r\n");
  app::MainWindow& form = fixture.Form();
  const HICON urgent = TrayIconResource("TFICON");
  EXPECT_TRUE(form.Settings().UrgentEvasionMode);
  EXPECT_EQ(form.TrayIcon().ResourceIconID(), 1);
  EXPECT_EQ(form.TrayIcon().Inner().Record().hIcon, urgent);

  SendMessageW(form.Handle(), WM_COMMAND, app::kCmdUrgentEvasion, 0);  // the tray item
  EXPECT_FALSE(form.Settings().UrgentEvasionMode);
  EXPECT_EQ(form.TrayIcon().ResourceIconID(), 0);
  EXPECT_EQ(IniValue(fixture.Ini(), "System", "UrgentEvasionMode"), "1");  // the item does not write it
}

}  // namespace
}  // namespace tapestrel::testing
