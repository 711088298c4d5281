// Adding pictures through the main window's commands, with the real
// windows, dialogs, clipboard and files, the main window in this process.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <thread>

#include "app/win32/main_window.h"
#include "app/win32/registration_progress_window.h"
#include "clipboard_helpers.h"
#include "platform/win32/clipboard_files.h"
#include "platform/win32/text.h"
#include "win_support/main_window_fixture.h"
#include "window_driver.h"

namespace tapestrel::testing {
namespace {

class MainWindowRegistrationTest : public ::testing::Test {
 protected:
  TempFolder wallpapers, source;
  std::unique_ptr<MainWindowFixture> fixture;

  void SetUp() override {
    CoInitialize(nullptr);
    fixture = std::make_unique<MainWindowFixture>("[Whole]\r\nWallPaperFolder=" + wallpapers.Path() + "\r\n");
    PutText("before");
  }
  void TearDown() override {
    fixture.reset();
    CoUninitialize();
  }
  app::MainWindow& Form() { return fixture->Form(); }
  std::vector<std::string> ListedNames() {
    std::vector<std::string> names;
    for (int i = 0; i < Form().Pictures().Count(); ++i) names.push_back(Form().Pictures().Path(i));
    return names;
  }
  // Ctrl and a key as pressed in the browser, through the main loop's shortcuts.
  bool PressCtrl(char key) {
    BYTE keys[256] = {}, saved[256];
    GetKeyboardState(saved);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    HWND view = GetWindow(Form().Handle(), GW_CHILD);
    const MSG message{view, WM_KEYDOWN, static_cast<WPARAM>(key), 0, 0, {}};
    const bool taken = Form().Actions().TranslateShortcut(Form().Handle(), message);
    SetKeyboardState(saved);
    return taken;
  }
};

TEST_F(MainWindowRegistrationTest, CopyAndCutPlaceTheSelectionInItemOrder) {
  for (const char* name : {"c.jpg", "a.jpg", "b.png"}) WriteFile(wallpapers / name, name);
  Form().Actions().Execute(app::kActRefresh);
  HWND view = GetWindow(Form().Handle(), GW_CHILD);
  ASSERT_EQ(ListView_GetItemCount(view), 3);

  Form().CopyExecute();  // nothing selected: nothing placed
  EXPECT_EQ(ClipboardText(), "before");

  ListView_SetItemState(view, -1, LVIS_SELECTED, LVIS_SELECTED);
  ASSERT_TRUE(PressCtrl('C'));
  EXPECT_EQ(ClipboardFilesByShell(), ListedNames());
  EXPECT_EQ(ClipboardDropEffect(), DWORD{DROPEFFECT_COPY});

  ListView_SetItemState(view, 0, 0, LVIS_SELECTED);
  ASSERT_TRUE(PressCtrl('X'));
  EXPECT_EQ(ClipboardFilesByShell(), (std::vector<std::string>{ListedNames()[1], ListedNames()[2]}));
  EXPECT_EQ(ClipboardDropEffect(), DWORD{DROPEFFECT_MOVE});

  fixture.reset();  // the program ends
  EXPECT_FALSE(ClipboardHasFiles());
}

TEST_F(MainWindowRegistrationTest, DroppedFilesAreRegisteredAfterTheDropWithoutTheViewsOwnDrop) {
  WriteFile(source / "a.jpg", "A");
  bool accept = true;
  Form().OnFileDragDrop({source / "a.jpg"}, accept);
  EXPECT_FALSE(accept);
  EXPECT_FALSE(FileExists(wallpapers / "a.jpg"));  // not inside the drop
  Form().RegistrationWindow().ProcessMessages();
  EXPECT_EQ(ReadFile(wallpapers / "a.jpg"), "A");
}

TEST_F(MainWindowRegistrationTest, TheOpenDialogAddsTheChosenFiles) {
  WriteFile(source / "a.jpg", "A");
  WriteFile(source / "c.png", "C");
  WriteFile(source / "d.jpg", "D");
  SetCurrentDirectoryA(source.Path().c_str());
  std::wstring filter;
  std::thread user([&] {
    HWND dialog = FindShownWindow(GetCurrentProcessId(), L"ピクチャを追加");
    if (!dialog) return;
    SaveScreenshot(dialog, "open_dialog");
    wchar_t first[512] = {};
    SendDlgItemMessageW(dialog, 0x470, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));  // the file types
    filter = first;
    SetDlgItemTextW(dialog, 0x47c, L"\"a.jpg\" \"c.png\"");  // the file name box
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  ASSERT_TRUE(PressCtrl('L'));
  user.join();
  // The filter built at start-up, its first entry first.
  const std::string built = Form().OpenPictureFilter();
  EXPECT_EQ(filter, platform::Utf8ToWide(built.substr(0, built.find('|'))));
  EXPECT_EQ(filter.rfind(L"すべての画像 (*.bmp;", 0), 0u);
  EXPECT_EQ(ReadFile(wallpapers / "a.jpg"), "A");
  EXPECT_EQ(ReadFile(wallpapers / "c.png"), "C");
  EXPECT_FALSE(FileExists(wallpapers / "d.jpg"));
}

TEST_F(MainWindowRegistrationTest, TheFolderDialogAddsTheChosenFolder) {
  WriteFile(source / "a.jpg", "A");
  CreateDirectoryA((source / "sub").c_str(), nullptr);
  WriteFile(source / "sub\\b.jpg", "B");
  const std::wstring folder = platform::AnsiToWide(source.Path());
  std::vector<std::wstring> texts;
  std::thread user([&] {
    HWND dialog = nullptr;
    WaitFor(
        [&] {
          for (HWND w : WindowsOf(GetCurrentProcessId(), true)) {
            const auto statics = StaticTexts(w);
            if (std::find(statics.begin(), statics.end(), L"ピクチャを追加") != statics.end()) dialog = w;
          }
          return dialog != nullptr;
        },
        10000);
    if (!dialog) return;
    texts = StaticTexts(dialog);
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    SaveScreenshot(dialog, "folder_dialog");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  ASSERT_TRUE(PressCtrl('F'));
  user.join();
  EXPECT_NE(std::find(texts.begin(), texts.end(), L"ピクチャを追加"), texts.end());
  EXPECT_EQ(ReadFile(wallpapers / "a.jpg"), "A");
  EXPECT_EQ(ReadFile(wallpapers / "b.jpg"), "B");
}

TEST_F(MainWindowRegistrationTest, ShortcutsAreNotTakenFromTextBoxesOrWhileTheWindowIsDisabled) {
  PutWideFileList({platform::AnsiToWide(source / "x.jpg")});
  HWND edit = CreateWindowW(L"Edit", L"", WS_CHILD, 0, 0, 10, 10, Form().Handle(), nullptr, nullptr, nullptr);
  BYTE keys[256] = {};
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  EXPECT_FALSE(Form().Actions().TranslateShortcut(Form().Handle(), MSG{edit, WM_KEYDOWN, 'V', 0, 0, {}}));
  EnableWindow(Form().Handle(), FALSE);
  EXPECT_FALSE(
      Form().Actions().TranslateShortcut(Form().Handle(), MSG{Form().Handle(), WM_KEYDOWN, 'V', 0, 0, {}}));
  EnableWindow(Form().Handle(), TRUE);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_FALSE(
      Form().Actions().TranslateShortcut(Form().Handle(), MSG{Form().Handle(), WM_KEYDOWN, 'V', 0, 0, {}}));
  EXPECT_TRUE(ClipboardHasFiles());  // none of them pasted
  DestroyWindow(edit);
}

}  // namespace
}  // namespace tapestrel::testing
