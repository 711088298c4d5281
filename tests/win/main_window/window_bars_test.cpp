// The main window's tool bar and status bar as the real window builds them:
// the buttons, their hints and where the drop-down menus open; the selection
// and loading texts; the window's layout; screenshots of the window and its
// menus.
#include <gtest/gtest.h>

#include "app/win32/actions.h"
#include "bars_fixture.h"
#include "main_window_ids.h"

namespace tapestrel::testing {
namespace {

TEST_F(BarsTest, ToolBarButtonsHintsAndEnabledState) {
  MainWindowFixture fixture(Ini());
  app::MainWindow& form = fixture.Form();
  const HWND bar = form.ToolBar();
  struct Row {
    int command;  // 0: a divider
    BYTE style;
    const wchar_t* hint;
  };
  const Row rows[] = {
      {app::kActLoadFile, BTNS_BUTTON, L"ファイル読み込み"},
      {app::kActLoadFolder, BTNS_BUTTON, L"フォルダ読み込み"},
      {0, BTNS_SEP, L""},
      {IDC_TOOL_VIEW_MODE, BTNS_DROPDOWN, L"表示"},
      {IDC_TOOL_VIEW_STYLE, BTNS_DROPDOWN, L"スタイル"},
      {0, BTNS_SEP, L""},
      {app::kActCustomize, BTNS_BUTTON, L"設定"},
  };
  ASSERT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), static_cast<LRESULT>(std::size(rows)));
  const HWND tips = reinterpret_cast<HWND>(SendMessageW(bar, TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(tips, nullptr);
  for (int i = 0; i < static_cast<int>(std::size(rows)); ++i) {
    SCOPED_TRACE(i);
    TBBUTTON button{};
    SendMessageW(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(button.idCommand, rows[i].command);
    EXPECT_EQ(button.fsStyle & (BTNS_SEP | BTNS_DROPDOWN), rows[i].style);
    if (rows[i].style == BTNS_SEP) continue;
    RECT r{};
    SendMessageW(bar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.bottom - r.top, 31);
    EXPECT_GE(r.right - r.left, 33);  // drop-down buttons add their arrow
    wchar_t hint[80] = {};
    TTTOOLINFOW tool{sizeof tool, 0, bar, static_cast<UINT_PTR>(rows[i].command)};
    tool.lpszText = hint;
    SendMessageW(tips, TTM_GETTEXTW, std::size(hint), reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(hint, rows[i].hint);
  }
  // The buttons follow their actions.
  for (bool enabled : {false, true}) {
    form.Actions().SetEnabled(app::kActLoadFile, enabled);
    EXPECT_EQ(SendMessageW(bar, TB_ISBUTTONENABLED, app::kActLoadFile, 0) != 0, enabled);
  }
}

TEST_F(BarsTest, DropDownMenusOpenBelowTheirButtonsWithTheirRadioItems) {
  MainWindowFixture fixture(Ini());
  app::MainWindow& form = fixture.Form();
  SetWindowPos(form.Handle(), nullptr, 40, 30, 640, 480, SWP_NOZORDER);
  form.ShowAtStart();
  Pump(300);
  const HWND bar = form.ToolBar();
  struct Row {
    UINT button;
    bool onArrow;  // the arrow, or the button's main part
    std::vector<std::wstring> lines;
  };
  const std::vector<std::wstring> modes = {L"縮小版(&H)",      L"並べて表示(&S)", L"アイコン(&N)",
                                           L"小アイコン(&M))", L"一覧(&L)",       L"詳細(&D)"};
  const std::vector<std::wstring> styles = {L"Style1(&1)", L"Style2(&2)", L"Style3(&3)",
                                            L"Style4(&4)", L"Style5(&5)", L"Style6(&6)"};
  const Row rows[] = {{IDC_TOOL_VIEW_MODE, true, modes},
                      {IDC_TOOL_VIEW_MODE, false, modes},
                      {IDC_TOOL_VIEW_STYLE, true, styles},
                      {IDC_TOOL_VIEW_STYLE, false, styles}};
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.button << (row.onArrow ? " arrow" : " main part"));
    RECT button{}, window{}, client{};
    SendMessageW(bar, TB_GETRECT, row.button, reinterpret_cast<LPARAM>(&button));
    GetWindowRect(form.Handle(), &window);
    GetClientRect(form.Handle(), &client);
    const int x = row.onArrow ? button.right - 4 : button.left + 8, y = (button.top + button.bottom) / 2;
    const std::string shot = row.onArrow                        ? ""
                             : row.button == IDC_TOOL_VIEW_MODE ? "menu-view-mode"
                                                                : "menu-style";
    const OpenedMenu menu = WhileMenuOpen(
        [&] {
          SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
          SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
          Pump(200);
        },
        shot);
    ASSERT_TRUE(menu.opened);
    EXPECT_EQ(menu.lines, row.lines);
    // Window left + button left; window top + frame height + button height.
    EXPECT_EQ(menu.place.left, window.left + button.left);
    EXPECT_EQ(menu.place.top, window.bottom + (button.bottom - button.top) - client.bottom);
    POINT below{button.left, button.bottom};
    ClientToScreen(bar, &below);
    EXPECT_LE(std::abs(menu.place.left - below.x) + std::abs(menu.place.top - below.y), 16);
  }
  // The radio mark follows the actions, however they ran.
  for (UINT mode : {app::kActList, app::kActCustom}) {
    form.Actions().Execute(mode);
    const OpenedMenu again = WhileMenuOpen([&] { form.PopUpToolMenu(IDC_TOOL_VIEW_MODE); });
    EXPECT_EQ(again.radioChecked, (std::vector<int>{static_cast<int>(mode - app::kActImage)}));
  }
}

TEST_F(BarsTest, StatusBarDescribesTheSelectionAndTheLoading) {
  for (int i = 0; i < 10; ++i) WritePicture("p" + std::to_string(i) + ".bmp", 246, 0x101010u * i);
  WritePicture("q1024.bmp", 1024, 0x0000FF);
  WritePicture("q1025.bmp", 1025, 0x00FF00);
  MainWindowFixture fixture(Ini());
  app::MainWindow& form = fixture.Form();
  browser::TImgListView& view = form.View();
  // What panel 1 read while each thumbnail was being made.
  std::vector<std::wstring> loading;
  view.OnImageLoad = [&, before = view.OnImageLoad](browser::TImgListItem& e) {
    before(e);
    loading.push_back(StatusText(form.StatusBar(), 1));
  };
  form.ShowAtStart();
  form.Actions().Execute(app::kActRefresh);  // every thumbnail made again, watched
  ASSERT_TRUE(PumpUntil([&] { return view.ImgItems().Count() == 12; }, 5000));
  const int i1024 = 10, i1025 = 11;  // by name
  ASSERT_EQ(view.ImgItems()[i1024].DisplayName(), L"q1024.bmp");

  struct Row {
    std::vector<int> selected;
    std::wstring prefix, suffix;
  };
  const Row rows[] = {
      {{}, L"12 個のオブジェクト", L"12 個のオブジェクト"},
      {{i1024}, L"種類:", L" サイズ: 1024 バイト"},
      {{i1025}, L"種類:", L" サイズ: 2KB"},
      {{i1025, 0}, L"種類:", L" サイズ: 246 バイト"},  // the first in item order
  };
  for (const Row& row : rows) {
    SelectOnly(view, row.selected);
    const std::wstring text = StatusText(form.StatusBar(), 0);
    SCOPED_TRACE(platform::WideToUtf8(text));
    EXPECT_TRUE(text.starts_with(row.prefix));
    EXPECT_TRUE(text.ends_with(row.suffix));
  }
  // Key release and mouse press in the view recompute it too.
  SelectOnly(view, {});
  view.Select(i1024, true);
  SendMessageW(form.StatusBar(), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
  SendMessageW(view.ListView(), WM_KEYUP, VK_DOWN, 0);
  EXPECT_NE(StatusText(form.StatusBar(), 0).find(L"1024 バイト"), std::wstring::npos);

  ASSERT_TRUE(PumpUntil([&] { return loading.size() >= 12; }, 20000));
  for (const std::wstring& text : loading) {
    EXPECT_TRUE(text.ends_with(L".bmp を開いています")) << platform::WideToUtf8(text);
  }
  EXPECT_TRUE(
      PumpUntil([&] { return StatusText(form.StatusBar(), 1).empty(); }, 5000));  // cleared when loaded
  SaveWindowShot(form.Handle(), "main-window");
}

TEST_F(BarsTest, TheViewFillsTheSpaceBetweenTheBars) {
  MainWindowFixture fixture(Ini());
  app::MainWindow& form = fixture.Form();
  form.ShowAtStart();
  for (SIZE size : {SIZE{800, 600}, SIZE{300, 200}}) {
    SetWindowPos(form.Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
    Pump(100);
    RECT client{}, bar{}, view{}, status{};
    GetClientRect(form.Handle(), &client);
    auto place = [&](HWND w, RECT& r) {
      GetWindowRect(w, &r);
      MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&r), 2);
    };
    place(form.ToolBar(), bar);
    place(form.View().Handle(), view);
    place(form.StatusBar(), status);
    EXPECT_EQ(bar.top, 0);
    EXPECT_EQ(view.top, bar.bottom);
    EXPECT_EQ(view.bottom, status.top);
    EXPECT_EQ(status.bottom, client.bottom);
    EXPECT_EQ(view.left, 0);
    EXPECT_EQ(view.right, client.right);
    EXPECT_GE(bar.bottom - bar.top, 31);
  }
}

}  // namespace
}  // namespace tapestrel::testing
