// Adding pictures through the main window's commands, with the real
// windows, dialogs, clipboard and files, the main window in this process.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <thread>

#include "clipboard_helpers.h"
#include "platform/win32/clipboard_files.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/text.h"
#include "program/win32/main_window.h"
#include "program/win32/registration_progress_window.h"
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
  // The view's entries in item order.
  std::vector<std::string> ViewNames() {
    std::vector<std::string> names;
    browser::TImgItems& items = Form().View().ImgItems();
    for (int i = 0; i < items.Count(); ++i) names.push_back(platform::WideToAnsi(items[i].ParsingPath()));
    return names;
  }
  // Ctrl and a key pressed in the view, the way the main loop passes it on:
  // the window's shortcuts first, else the view's own keys.
  bool PressCtrl(char key) {
    BYTE keys[256] = {}, saved[256];
    GetKeyboardState(saved);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    const MSG message{Form().View().ListView(), WM_KEYDOWN, static_cast<WPARAM>(key), 0, 0, {}};
    const bool taken = Form().Actions().TranslateShortcut(Form().Handle(), message);
    if (!taken) DispatchMessageW(&message);
    SetKeyboardState(saved);
    return taken;
  }
  // The shell's data object for files of one folder, as a file manager drags it.
  static platform::ComPtr<IDataObject> ShellDataObject(const std::string& folder,
                                                      const std::vector<std::wstring>& names) {
    platform::ComPtr<IShellFolder> desktop, parent;
    platform::ComPtr<IDataObject> data;
    if (FAILED(SHGetDesktopFolder(desktop.Put()))) return data;
    LPITEMIDLIST folderId = nullptr;
    std::wstring path = platform::AnsiToWide(folder);
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, path.data(), nullptr, &folderId, nullptr)))
      return data;
    const HRESULT bound = desktop->BindToObject(folderId, nullptr, IID_IShellFolder, parent.PutVoid());
    CoTaskMemFree(folderId);
    if (FAILED(bound)) return data;
    std::vector<LPITEMIDLIST> ids;
    for (std::wstring name : names) {
      LPITEMIDLIST id = nullptr;
      if (SUCCEEDED(parent->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &id, nullptr)))
        ids.push_back(id);
    }
    parent->GetUIObjectOf(nullptr, static_cast<UINT>(ids.size()), const_cast<LPCITEMIDLIST*>(ids.data()),
                          IID_IDataObject, nullptr, data.PutVoid());
    for (LPITEMIDLIST id : ids) CoTaskMemFree(id);
    return data;
  }
};

TEST_F(MainWindowRegistrationTest, CtrlAThenCtrlCOrCtrlXPlaceTheViewsFilesInItemOrder) {
  for (const char* name : {"c.jpg", "a.jpg", "b.png"}) WriteFile(wallpapers / name, name);
  Form().Actions().Execute(app::kActRefresh);
  ASSERT_EQ(ViewNames().size(), 3u);
  ShowWindow(Form().Handle(), SW_SHOWNORMAL);
  WaitFor([&] { return Form().RegistrationWindow().ProcessMessages(), false; }, 500);
  SaveScreenshot(Form().Handle(), "view_three");

  Form().CopyExecute();  // nothing selected: nothing placed
  EXPECT_EQ(ClipboardText(), "before");

  PressCtrl('A');
  ASSERT_EQ(Form().View().SelCount(), 3);
  PressCtrl('C');
  EXPECT_EQ(ClipboardFilesByShell(), ViewNames());
  EXPECT_EQ(ClipboardDropEffect(), DWORD{DROPEFFECT_COPY});

  Form().View().Select(0, false);
  PressCtrl('X');
  EXPECT_EQ(ClipboardFilesByShell(), (std::vector<std::string>{ViewNames()[1], ViewNames()[2]}));
  EXPECT_EQ(ClipboardDropEffect(), DWORD{DROPEFFECT_MOVE});

  fixture.reset();  // the program ends
  EXPECT_FALSE(ClipboardHasFiles());
}

TEST_F(MainWindowRegistrationTest, ADropOnTheViewRegistersTheFilesWhichTheViewThenShows) {
  WriteFile(source / "a.jpg", "A");
  WriteFile(source / "b.txt", "B");
  WriteFile(wallpapers / "old.jpg", "O");
  Form().Actions().Execute(app::kActRefresh);
  ShowWindow(Form().Handle(), SW_SHOWNORMAL);
  ASSERT_EQ(ViewNames(), std::vector<std::string>{wallpapers / "old.jpg"});
  platform::ComPtr<IDataObject> data = ShellDataObject(source.Path(), {L"a.jpg", L"b.txt"});
  ASSERT_TRUE(data);
  IDropTarget* target = Form().View().DropTarget();
  ASSERT_TRUE(target);
  RECT r;
  GetWindowRect(Form().View().ListView(), &r);
  const POINTL point{(r.left + r.right) / 2, r.bottom - 5};
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(target->DragEnter(data.Get(), MK_LBUTTON, point, &effect), S_OK);
  EXPECT_NE(effect, DWORD{DROPEFFECT_NONE});  // the view takes files
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(target->Drop(data.Get(), MK_LBUTTON, point, &effect), S_OK);
  EXPECT_EQ(effect, DWORD{DROPEFFECT_NONE});       // the source keeps its files, even on a move
  EXPECT_FALSE(FileExists(wallpapers / "a.jpg"));  // registered after the drop returned
  // The view refreshes by itself, through its change watcher.
  EXPECT_TRUE(WaitFor(
      [&] {
        Form().RegistrationWindow().ProcessMessages();
        return ViewNames().size() == 2;
      },
      10000));
  EXPECT_EQ(ViewNames(), (std::vector<std::string>{wallpapers / "a.jpg", wallpapers / "old.jpg"}));
  WaitFor([&] { return Form().RegistrationWindow().ProcessMessages(), false; }, 500);  // let it paint
  SaveScreenshot(Form().Handle(), "view_after_drop");
  EXPECT_EQ(ListView_GetItemCount(Form().View().ListView()), 2);
  POINT first{}, second{};  // each entry drawn in a place of its own
  ListView_GetItemPosition(Form().View().ListView(), 0, &first);
  ListView_GetItemPosition(Form().View().ListView(), 1, &second);
  EXPECT_TRUE(first.x != second.x || first.y != second.y);
  EXPECT_EQ(ReadFile(wallpapers / "a.jpg"), "A");
  EXPECT_TRUE(FileExists(source / "a.jpg"));
  EXPECT_FALSE(FileExists(wallpapers / "b.txt"));
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
