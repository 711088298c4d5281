// The real Tapestrel.exe on a first run: its folder dialog makes new folders
// in the folder the right button chose (the path stays that folder), a name
// taken by a file counts as taken, and closing the dialog ends the program
// without writing the INI file.
#include <gtest/gtest.h>

#include "main_window_ids.h"
#include "ui_driver.h"
#include "win_support/tapestrel_process.h"

namespace tapestrel::testing {
namespace {

TEST(FirstRunProgram, NewFolderTwiceThenClosingEndsWithoutWritingTheIni) {
  ComScope com;
  TempFolder app;
  VisibleFolder parent;
  TapestrelProcess program(app);
  ASSERT_TRUE(program.Start());
  const HWND box = program.WaitForWindow(L"Tapestrel", 20000);
  ASSERT_NE(box, nullptr);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  const HWND dialog = program.WaitForWindow(L"壁紙フォルダパス初期設定", 20000);
  ASSERT_NE(dialog, nullptr);

  TreeDriver tree(GetDlgItem(dialog, IDC_WALLPAPER_FOLDER_TREE));
  const HTREEITEM item = tree.Find(parent.Path());
  ASSERT_NE(item, nullptr);
  for (const char* name : {"新しいフォルダ", "新しいフォルダ(2)"}) {
    tree.RightClick(item);
    ASSERT_TRUE(ChooseFirstMenuItem(program.Pid(), 10000));
    const std::string made = parent / platform::Utf8ToAnsi(name);
    EXPECT_TRUE(WaitFor([&] { return GetFileAttributesA(made.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000))
        << name;
  }
  EXPECT_EQ(tree.ChildTexts(item), (std::vector<std::wstring>{L"新しいフォルダ", L"新しいフォルダ(2)"}));
  EXPECT_EQ(tree.Selected(), item);
  wchar_t path[MAX_PATH] = {};
  GetDlgItemTextW(dialog, IDC_WALLPAPER_FOLDER_PATH, path, MAX_PATH);
  EXPECT_EQ(platform::WideToAnsi(path), parent.Path());
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
  SaveScreenshot(dialog, "first-run-program-new-folders");

  WriteFile(parent / platform::Utf8ToAnsi("新しいフォルダ(3)"), "a file");
  PostMessageW(dialog, WM_COMMAND, IDM_CREATE_FOLDER, 0);
  const std::string fourth = parent / platform::Utf8ToAnsi("新しいフォルダ(4)");
  EXPECT_TRUE(WaitFor([&] { return GetFileAttributesA(fourth.c_str()) & FILE_ATTRIBUTE_DIRECTORY; }, 10000));

  PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(program.WaitExit(15000));
  EXPECT_FALSE(FileExists(program.Ini()));
  EXPECT_TRUE(WindowsOf(program.Pid(), true).empty());
}

}  // namespace
}  // namespace tapestrel::testing
