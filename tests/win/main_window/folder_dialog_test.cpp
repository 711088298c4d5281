// The wallpaper-folder dialog on the real shell namespace: the proposal and
// its shortened display, OK only for an existing folder, choosing in the
// tree by mouse and keyboard, creating new folders, and closing.
#include <gtest/gtest.h>

#include "main_window_ids.h"
#include "settings_ui/path_shortening.h"
#include "settings_ui/win32/wallpaper_folder_dialog.h"
#include "ui_driver.h"
#include "win_support/names_outside_code_page.h"

namespace tapestrel::testing {
namespace {

class FolderDialogTest : public ::testing::Test {
 protected:
  ComScope com;
  VisibleFolder folder;
  settings_ui::WallpaperFolderDialog dialog;

  // Opens the dialog as start-up does, with this proposal.
  HWND Open(const std::string& proposal) {
    dialog.SetCaption(L"壁紙フォルダパス初期設定");
    dialog.SetPath(proposal);
    modal_ = std::make_unique<ModalOnThread>([this] { return dialog.ShowModal(nullptr); });
    return modal_->WaitForDialog(20000);
  }
  ModalOnThread& Modal() { return *modal_; }

  static std::wstring Text(HWND dialog, int id) {
    wchar_t text[1024] = {};
    GetDlgItemTextW(dialog, id, text, 1024);
    return text;
  }
  static bool OkEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }
  static TreeDriver Tree(HWND dialog) { return TreeDriver(GetDlgItem(dialog, IDC_WALLPAPER_FOLDER_TREE)); }
  static std::string Path(HWND dialog) {
    return platform::WideToAnsi(Text(dialog, IDC_WALLPAPER_FOLDER_PATH));
  }

 private:
  std::unique_ptr<ModalOnThread> modal_;
};

TEST_F(FolderDialogTest, ExistingProposalEnablesOkAtOnceAndShowsItShortenedToTheField) {
  // Deep enough that the whole path cannot fit.
  std::string deep = folder.Path();
  for (const char* part : {"\\wallpapers-of-the-summer-holidays", "\\photographs-from-the-seaside",
                           "\\the-very-best-of-them-all"}) {
    deep += part;
    CreateDirectoryA(deep.c_str(), nullptr);
  }
  HWND window = Open(deep);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(OkEnabled(window));
  EXPECT_EQ(WindowText(window), L"壁紙フォルダパス初期設定");
  EXPECT_EQ(Text(window, IDC_WALLPAPER_FOLDER_LABEL), L"壁紙フォルダパス");
  EXPECT_EQ(Path(window), deep);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_WALLPAPER_FOLDER_PATH)));
  // The tree opens at the proposal, selected; that is no new choice.
  TreeDriver tree = Tree(window);
  EXPECT_EQ(tree.Selected(), tree.Find(deep));
  EXPECT_EQ(Path(window), deep);

  // Shown: the longest candidate that fits the field in its own font.
  const HWND shown = GetDlgItem(window, IDC_WALLPAPER_FOLDER_SHOWN);
  const std::wstring text = Text(window, IDC_WALLPAPER_FOLDER_SHOWN);
  RECT area{};
  SendMessageW(shown, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
  const HDC dc = GetDC(shown);
  SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(shown, WM_GETFONT, 0, 0)));
  auto width = [&](std::wstring_view t) {
    SIZE size{};
    GetTextExtentPoint32W(dc, t.data(), static_cast<int>(t.size()), &size);
    return static_cast<int>(size.cx);
  };
  EXPECT_EQ(text, settings_ui::ShortenPath(platform::AnsiToWide(deep), area.right - area.left, width));
  EXPECT_EQ(text.rfind(L"C:\\...\\", 0), 0u) << text;
  EXPECT_LE(width(text), area.right - area.left);
  ReleaseDC(shown, dc);
  SaveScreenshot(window, "first-run-dialog-existing-proposal");

  PostMessageW(window, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(Modal().WaitDone(10000));
  EXPECT_EQ(Modal().Result(), 1);
  EXPECT_EQ(dialog.Path(), deep);
}

TEST_F(FolderDialogTest, MissingProposalKeepsOkDisabledUntilAFolderIsChosenByMouseOrKeyboard) {
  for (const char* name : {"a", "b"}) CreateDirectoryA((folder / name).c_str(), nullptr);
  HWND window = Open(folder / "gone");
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(OkEnabled(window));
  PostMessageW(window, WM_COMMAND, IDOK, 0);  // Enter on the disabled default button
  Sleep(300);
  EXPECT_FALSE(Modal().WaitDone(0));
  // The tree's own first selection, when it takes the focus, is not a choice.
  EXPECT_EQ(Path(window), folder / "gone");

  TreeDriver tree = Tree(window);
  EXPECT_TRUE(tree.IsExpanded(tree.Root()));
  // A shell folder without a file-system path gives no path.
  const std::vector<std::wstring> names = NamespaceNames(folder.Path());
  ASSERT_GE(names.size(), 2u);
  tree.Click(tree.Child(tree.Root(), names[0]));  // My Computer
  ASSERT_TRUE(WaitFor([&] { return tree.Text(tree.Selected()) == names[0]; }, 5000));
  EXPECT_EQ(Path(window), "");
  EXPECT_FALSE(OkEnabled(window));
  SaveScreenshot(window, "first-run-dialog-missing-proposal");

  tree.Click(tree.Child(tree.Find(folder.Path()), L"a"));
  ASSERT_TRUE(WaitFor([&] { return Path(window) == folder / "a"; }, 5000));
  EXPECT_TRUE(OkEnabled(window));
  tree.Key(VK_DOWN);
  ASSERT_TRUE(WaitFor([&] { return Path(window) == folder / "b"; }, 5000)) << Path(window);
  SaveScreenshot(window, "first-run-dialog-folder-chosen");

  PostMessageW(window, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(Modal().WaitDone(10000));
  EXPECT_EQ(Modal().Result(), 1);
  EXPECT_EQ(dialog.Path(), folder / "b");
}

// A folder named outside the code page, chosen in the tree: taken by its
// short path; where there is none, OK tells why and the dialog stays open.
TEST_F(FolderDialogTest, AFolderNamedOutsideTheCodePageIsTakenByItsShortPathOrRefused) {
  const std::wstring name = NamesOutsideTheCodePage()[0];
  const std::wstring cafe = platform::AnsiToWide(folder.Path()) + L"\\" + name;
  CreateDirectoryW(cafe.c_str(), nullptr);
  WriteWide(cafe + L"\\marker", "here");
  for (bool shortNames : {true, false}) {
    SCOPED_TRACE(shortNames ? "short names" : "no short names");
    std::optional<NoShortNames> none;
    if (!shortNames) none.emplace();
    HWND window = Open(folder / "gone");
    ASSERT_NE(window, nullptr);
    TreeDriver tree = Tree(window);
    tree.Click(tree.Child(tree.Find(folder.Path()), name));
    ASSERT_TRUE(WaitFor([&] { return Text(window, IDC_WALLPAPER_FOLDER_PATH) == cafe; }, 5000));
    EXPECT_TRUE(OkEnabled(window));
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    if (shortNames) {
      ASSERT_TRUE(Modal().WaitDone(10000));
      EXPECT_EQ(Modal().Result(), 1);
      EXPECT_EQ(ReadFile(dialog.Path() + "\\marker"), "here");
      continue;
    }
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
          for (HWND w : WindowsOf(GetCurrentProcessId(), true))
            if (WindowText(w) == L"Tapestrel") box = w;
          return box != nullptr;
        },
        10000));
    const std::wstring told = WindowText(GetDlgItem(box, 0xFFFF));
    EXPECT_EQ(told.rfind(cafe, 0), 0u) << platform::WideToUtf8(told);
    SaveScreenshot(box, "first-run-dialog-unusable-name");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(Modal().WaitDone(500));  // nothing taken: the dialog waits for another folder
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Modal().WaitDone(10000));
    EXPECT_EQ(Modal().Result(), 2);
  }
}

}  // namespace
}  // namespace tapestrel::testing
