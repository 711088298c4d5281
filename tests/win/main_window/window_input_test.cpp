// The main window's keyboard, mouse and menus with the real window and view:
// double click and Enter on the selection, the shortcuts, selecting all and
// inverting, and every menu in order as it opens.
#include <gtest/gtest.h>

#include "app/win32/actions.h"
#include "bars_fixture.h"
#include "win_support/desktop_registry.h"

namespace tapestrel::testing {
namespace {

TEST_F(BarsTest, DoubleClickAppliesAndRecordsEnterOnlyAppliesTwoSelectedDoNothing) {
  WritePicture("a.bmp", 246, 0x0000FF);
  WritePicture("b.bmp", 246, 0x00FF00);
  WritePicture("c.bmp", 246, 0xFF0000);
  MainWindowFixture fixture(Ini());
  app::MainWindow& form = fixture.Form();
  browser::TImgListView& view = form.View();
  form.ShowAtStart();
  ASSERT_TRUE(PumpUntil([&] { return view.ImgItems().Count() == 3; }, 5000));
  enum Input { DoubleClick, Enter };
  struct Row {
    Input input;
    std::vector<int> selected;
    std::string applied, recorded;  // afterwards
  };
  const Row rows[] = {
      {DoubleClick, {1}, "b.bmp", "b.bmp"},    {Enter, {2}, "c.bmp", "b.bmp"},  // quiet: not recorded
      {DoubleClick, {0, 2}, "c.bmp", "b.bmp"}, {Enter, {0, 1}, "c.bmp", "b.bmp"},
      {Enter, {0}, "a.bmp", "b.bmp"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << (row.input == Enter ? "Enter on " : "double click on ")
                                      << row.selected.size() << " from " << row.selected[0]);
    SelectOnly(view, row.selected);
    if (row.input == Enter) {
      SendMessageW(view.ListView(), WM_KEYDOWN, VK_RETURN, 1);
    } else {
      RECT item{};
      ListView_GetItemRect(view.ListView(), row.selected[0], &item, LVIR_ICON);
      const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
      SendMessageW(view.ListView(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      SendMessageW(view.ListView(), WM_LBUTTONUP, 0, at);
    }
    Pump(100);
    EXPECT_EQ(view.SelCount(), static_cast<int>(row.selected.size()));
    EXPECT_EQ(DesktopValue("ConvertedWallpaper"), pictures / row.applied);
    EXPECT_EQ(IniValue(fixture.Ini(), "System", "LastWallPas"), pictures / row.recorded);
  }
}

TEST_F(BarsTest, ShortcutsReachTheirActionsButNotATextBox) {
  MainWindowFixture fixture(Ini());
  app::MainWindow& form = fixture.Form();
  form.ShowAtStart();
  struct Row {
    WORD key;
    bool ctrl;
    UINT action;  // 0: none
  };
  const Row rows[] = {
      {'L', true, app::kActLoadFile},
      {'F', true, app::kActLoadFolder},
      {'X', true, app::kActCut},
      {'C', true, app::kActCopy},
      {'V', true, app::kActPaste},
      {'A', true, app::kActSelectAll},
      {VK_F5, false, app::kActRefresh},
      {'L', false, 0},
      {VK_F5, true, 0},
  };
  UINT ran = 0;
  for (const Row& row : rows) {
    if (row.action) form.Actions().SetHandler(row.action, [&ran, id = row.action] { ran = id; });
  }
  BYTE keys[256] = {};
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.key << (row.ctrl ? " with Ctrl" : ""));
    ran = 0;
    keys[VK_CONTROL] = row.ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
    // As the program's message loop takes it, from the view's list.
    MSG message{form.View().ListView(), WM_KEYDOWN, row.key, 1};
    EXPECT_EQ(form.Actions().TranslateShortcut(form.Handle(), message), row.action != 0);
    EXPECT_EQ(ran, row.action);
    // An edit box (a caption being renamed) keeps its keys.
    const HWND edit = CreateWindowExW(0, L"Edit", L"", WS_CHILD, 0, 0, 50, 20, form.View().ListView(),
                                      nullptr, nullptr, nullptr);
    MSG typed{edit, WM_KEYDOWN, row.key, 1};
    EXPECT_FALSE(form.Actions().TranslateShortcut(form.Handle(), typed));
    DestroyWindow(edit);
  }
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
}

TEST_F(BarsTest, SelectAllAndChangeSelect) {
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"}) WritePicture(name, 246, 0x808080);
  MainWindowFixture fixture(Ini());
  app::MainWindow& form = fixture.Form();
  browser::TImgListView& view = form.View();
  ASSERT_TRUE(PumpUntil([&] { return view.ImgItems().Count() == 4; }, 5000));
  SelectOnly(view, {1});
  form.Actions().Execute(app::kActChangeSelect);
  EXPECT_EQ(view.SelectedIndices(), (std::vector<int>{0, 2, 3}));
  form.Actions().Execute(app::kActSelectAll);
  EXPECT_EQ(view.SelectedIndices(), (std::vector<int>{0, 1, 2, 3}));
  form.Actions().Execute(app::kActChangeSelect);
  EXPECT_EQ(view.SelectedIndices(), (std::vector<int>{}));
}

TEST_F(BarsTest, MenusInOrderAsTheyOpen) {
  WritePicture("a.bmp", 246, 0x0000FF);
  MainWindowFixture fixture(Ini());
  app::MainWindow& form = fixture.Form();
  browser::TImgListView& view = form.View();
  SetWindowPos(form.Handle(), nullptr, 0, 0, 720, 520, SWP_NOZORDER);
  form.ShowAtStart();
  ASSERT_TRUE(PumpUntil([&] { return view.ImgItems().Count() == 1; }, 5000));
  const std::vector<std::wstring> modes = {L"縮小版(&H)",      L"並べて表示(&S)", L"アイコン(&N)",
                                           L"小アイコン(&M))", L"一覧(&L)",       L"詳細(&D)"};
  const std::vector<std::wstring> styles = {L"Style1(&1)", L"Style2(&2)", L"Style3(&3)",
                                            L"Style4(&4)", L"Style5(&5)", L"Style6(&6)"};
  const std::vector<std::wstring> sorts = {L"名前(&N)", L"サイズ(&S)", L"種類(&T)", L"更新日時(&M)"};
  auto with = [](std::vector<std::wstring> lines, const std::vector<std::wstring>& sub) {
    for (const std::wstring& s : sub) lines.push_back(L"  " + s);
    return lines;
  };
  auto join = [](std::vector<std::wstring> a, const std::vector<std::wstring>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const std::vector<std::wstring> edit = {L"ファイル読み込み(&L)...\tCtrl+L",
                                          L"フォルダ読み込み(&F)...\tCtrl+F",
                                          L"-",
                                          L"切り取り(&T)\tCtrl+X",
                                          L"コピー(&C)\tCtrl+C",
                                          L"貼り付け(&P)\tCtrl+V",
                                          L"-",
                                          L"すべて選択(&A)\tCtrl+A",
                                          L"選択の切り替え(&I))"};
  struct Row {
    const char* shot;
    std::function<void()> open;
    std::vector<std::wstring> lines;
  };
  auto mainMenu = [&](wchar_t key) {
    return [&form, key] { SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_KEYMENU, key); };
  };
  auto contextMenu = [&] {
    RECT r{};
    GetWindowRect(view.ListView(), &r);
    SendMessageW(view.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view.ListView()),
                 MAKELPARAM(r.left + 300, r.top + 200));
  };
  const std::vector<std::wstring> own =
      join(join(with({L"表示(&V)"}, modes), with({L"スタイル(&S)"}, styles)),
           join(join(with({L"-", L"アイコンの整列(&I)"}, sorts), {L"最新の情報に更新(&R)\tF5", L"-"}),
                join({edit[0], edit[1], L"-"}, {edit.begin() + 3, edit.end()})));
  const Row rows[] = {
      {"menu-system", mainMenu(L's'), {L"タスクトレイへ(&T)", L"終了(&X)"}},
      {"menu-edit", mainMenu(L'e'), edit},
      {"menu-view", mainMenu(L'v'),
       join(join(join(modes, with({L"-", L"スタイル(&V)"}, styles)),
                 with({L"-", L"アイコンの整列(&T)"}, sorts)),
            {L"最新の情報に更新(&R)\tF5"})},
      {"menu-help", mainMenu(L'h'), {L"Tapestrel ヘルプ(&W)", L"バージョン情報(&A)..."}},
      {"menu-context", contextMenu, own},
      {"menu-tray",
       [&] {
         SetForegroundWindow(form.Handle());
         TrackPopupMenu(form.TrayMenu(), TPM_RIGHTBUTTON, 600, 500, 0, form.Handle(), nullptr);
       },
       MainWindowFixture::MenuCaptions(form.TrayMenu())},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.shot);
    Pump(200);  // the last menu's loop ends
    const OpenedMenu menu = WhileMenuOpen(row.open, row.shot);
    ASSERT_TRUE(menu.opened);
    EXPECT_EQ(menu.lines, row.lines);
  }
  // With a picture selected the shell's items come in after the first item,
  // and go again when the menu closes.
  SelectOnly(view, {0});
  const OpenedMenu merged = WhileMenuOpen(contextMenu, "menu-context-selection");
  ASSERT_TRUE(merged.opened);
  ASSERT_GT(merged.lines.size(), own.size());
  EXPECT_EQ(merged.lines.front(), own.front());
  EXPECT_TRUE(std::equal(own.begin() + 7, own.end(), merged.lines.end() - (own.size() - 7)));
  EXPECT_EQ(MenuLines(form.ViewMenu()), own);
}

}  // namespace
}  // namespace tapestrel::testing
