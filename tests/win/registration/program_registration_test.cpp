// The real Tapestrel.exe adding pictures pasted from a file manager: the
// progress window's count, the clipboard afterwards, and the overwrite
// question with each of its answers, driven from outside like a user.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/win32/actions.h"
#include "clipboard_helpers.h"
#include "platform/win32/text.h"
#include "registration_ids.h"
#include "win_support/tapestrel_process.h"
#include "window_driver.h"

namespace tapestrel::testing {
namespace {

enum Button { kYes, kNo, kCancel, kNoToAll, kYesToAll };

class ProgramRegistrationTest : public ::testing::Test {
 protected:
  TempFolder appFolder, wallpapers, source;
  TapestrelProcess program{appFolder};
  HWND main = nullptr;

  void SetUp() override {
    WriteFile(program.Ini(),
              "[Whole]\r\nWallPaperFolder=" + wallpapers.Path() + "\r\nTaskTrayResiding=0\r\n");
    ASSERT_TRUE(program.Start());
    main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(program.WaitIdle());
  }

  // Ctrl+V typed into the program's window.
  void PressCtrlV() {
    SetForegroundWindow(main);
    WaitFor([&] { return GetForegroundWindow() == main; }, 2000);
    keybd_event(VK_CONTROL, 0, 0, 0);
    keybd_event('V', 0, 0, 0);
    keybd_event('V', 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
  }
  HWND ProgressWindow() {
    for (HWND w : WindowsOf(program.Pid(), false)) {
      if (Caption(w) == L"ピクチャの登録") return w;
    }
    return nullptr;
  }
  // The registration is over when the main window takes input again.
  bool WaitUntilDone() {
    return WaitFor([&] { return ProgressWindow() && !IsWindowVisible(ProgressWindow()); }, 15000) &&
           WaitFor([&] { return IsWindowEnabled(main) != FALSE; }, 15000);
  }
};

TEST_F(ProgramRegistrationTest, APastedFolderTreeGivesItsPicturesOnceAndEmptiesTheClipboard) {
  WriteFile(source / "a.jpg", "A");
  WriteFile(source / "b.txt", "B");
  CreateDirectoryA((source / "sub").c_str(), nullptr);
  WriteFile(source / "sub\\c.png", "C");
  PutWideFileList({platform::AnsiToWide(source.Path())});

  PressCtrlV();
  ASSERT_TRUE(WaitFor([&] { return FileExists(wallpapers / "c.png"); }, 15000));
  ASSERT_TRUE(WaitUntilDone());
  EXPECT_EQ(ReadFile(wallpapers / "a.jpg"), "A");
  EXPECT_EQ(ReadFile(wallpapers / "c.png"), "C");
  EXPECT_FALSE(FileExists(wallpapers / "b.txt"));
  EXPECT_EQ(WindowText(GetDlgItem(ProgressWindow(), IDC_REGISTRATION_COUNT)), L"2/2");
  EXPECT_FALSE(ClipboardHasFiles());

  WriteFile(source / "d.jpg", "D");
  PressCtrlV();  // the second paste finds nothing to register
  Sleep(1500);
  EXPECT_FALSE(FileExists(wallpapers / "d.jpg"));
  EXPECT_TRUE(program.Running());
}

TEST_F(ProgramRegistrationTest, EachAnswerToTheOverwriteQuestionDoesWhatItSays) {
  struct Case {
    const char* title;
    std::vector<int> buttons;
    const char* e1;
    const char* n;  // "" for no file
    const char* e2;
  };
  const Case cases[] = {
      {"yes, then no", {kYes, kNo}, "new1", "N", "old2"}, {"no, then yes", {kNo, kYes}, "old1", "N", "new2"},
      {"yes to all", {kYesToAll}, "new1", "N", "new2"},   {"no to all", {kNoToAll}, "old1", "N", "old2"},
      {"cancel", {kCancel}, "old1", "", "old2"},
  };
  for (const Case& c : cases) {
    WriteFile(wallpapers / "e1.jpg", "old1");
    WriteFile(wallpapers / "e2.jpg", "old2");
    DeleteFileA((wallpapers / "n.jpg").c_str());
    WriteFile(source / "e1.jpg", "new1");
    WriteFile(source / "n.jpg", "N");
    WriteFile(source / "e2.jpg", "new2");
    PutWideFileList({platform::AnsiToWide(source / "e1.jpg"), platform::AnsiToWide(source / "n.jpg"),
                     platform::AnsiToWide(source / "e2.jpg")});
    PostMessageW(main, WM_COMMAND, app::kActPaste, 0);

    for (size_t i = 0; i < c.buttons.size(); ++i) {
      HWND question = FindShownWindow(program.Pid(), L"情報");
      ASSERT_NE(question, nullptr) << c.title << " question " << i;
      const std::vector<HWND> buttons = ButtonsLeftToRight(question);
      EXPECT_EQ(
          WindowText(GetDlgItem(question, IDC_OVERWRITE_TEXT)),
          (i == 0 ? L"e1.jpg" : L"e2.jpg") + std::wstring(L" はすでに登録されています。上書きしますか？"))
          << c.title;
      EXPECT_EQ(Texts(buttons), (std::vector<std::wstring>{L"はい(&Y)", L"いいえ(&N)", L"キャンセル",
                                                           L"すべていいえ(&O)", L"すべてはい(&A)"}))
          << c.title;
      Press(buttons[static_cast<size_t>(c.buttons[i])]);
      WaitFor([&] { return !IsWindow(question) || !IsWindowVisible(question); }, 10000);
    }
    ASSERT_TRUE(WaitUntilDone()) << c.title;
    EXPECT_EQ(FindShownWindow(program.Pid(), L"情報", 0), nullptr) << c.title << ": no further question";
    EXPECT_EQ(ReadFile(wallpapers / "e1.jpg"), c.e1) << c.title;
    EXPECT_EQ(FileExists(wallpapers / "n.jpg") ? ReadFile(wallpapers / "n.jpg") : "", c.n) << c.title;
    EXPECT_EQ(ReadFile(wallpapers / "e2.jpg"), c.e2) << c.title;
  }
}

}  // namespace
}  // namespace tapestrel::testing
