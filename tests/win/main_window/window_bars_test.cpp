// The real main window's tool bar, status bar, menus and shortcuts. Menus are
// read back while they are open (a timer of this thread runs inside the
// menu's loop), with a screenshot of each when screenshots are wanted.
#include <gtest/gtest.h>

#include "common/solid_picture.h"
#include "main_window_ids.h"
#include "program/win32/actions.h"
#include "ui_driver.h"
#include "win_support/main_window_fixture.h"

namespace tapestrel::testing {
namespace {

bool PumpUntil(const std::function<bool()>& done, int milliseconds) {
  for (DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds); !done();) {
    if (static_cast<int>(end - GetTickCount()) < 0) return false;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

// A menu's captions, each ended by "|", its submenus' indented after their item.
std::wstring MenuText(HMENU menu, const std::wstring& indent = L"") {
  std::wstring text;
  const std::vector<std::wstring> captions = MainWindowFixture::MenuCaptions(menu);
  for (size_t i = 0; i < captions.size(); ++i) {
    text += indent + captions[i] + L"|";
    if (HMENU sub = GetSubMenu(menu, static_cast<int>(i))) text += MenuText(sub, indent + L"  ");
  }
  return text;
}

struct OpenedMenu {
  RECT place{-1, -1, -1, -1};
  std::wstring text;
  std::vector<int> radioChecked;
} seen;
std::string shotName;

void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR, DWORD) {
  const HWND w = FindWindowW(L"#32768", nullptr);
  if (!w || !IsWindowVisible(w)) return;
  GetWindowRect(w, &seen.place);
  const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(w, MN_GETHMENU, 0, 0));
  seen.text = MenuText(menu);
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) seen.radioChecked.push_back(i);
  }
  SaveScreenshot(nullptr, shotName);
  EndMenu();
}

OpenedMenu WhileMenuOpen(const std::string& shot, const std::function<void()>& open) {
  seen = {};
  shotName = shot;
  const UINT_PTR timer = SetTimer(nullptr, 0, 400, &ReadOpenMenu);
  open();
  KillTimer(nullptr, timer);
  PumpUntil([] { return false; }, 200);  // the menu's loop ends
  return seen;
}

class WindowBarsTest : public ::testing::Test {
 protected:
  TempFolder pictures;
  std::unique_ptr<MainWindowFixture> fixture;
  app::MainWindow* form = nullptr;

  void SetUp() override {
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) WriteSolidBmp(pictures / name, 40, 30, 0x3080C0);
    fixture = std::make_unique<MainWindowFixture>("[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\n");
    form = &fixture->Form();
    SetWindowPos(form->Handle(), nullptr, 40, 30, 720, 520, SWP_NOZORDER);
    form->ShowAtStart();
    ASSERT_TRUE(PumpUntil([&] { return form->View().ImgItems().Count() == 3; }, 5000));
  }
  RECT InWindow(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
};

TEST_F(WindowBarsTest, ToolBarButtonsHintsStateAndLayout) {
  const HWND bar = form->ToolBar();
  const struct {
    int command;
    BYTE style;
    const wchar_t* hint;
  } rows[] = {{app::kActLoadFile, BTNS_BUTTON, L"ファイル読み込み"},
              {app::kActLoadFolder, BTNS_BUTTON, L"フォルダ読み込み"},
              {0, BTNS_SEP, L""},
              {IDC_TOOL_VIEW_MODE, BTNS_DROPDOWN, L"表示"},
              {IDC_TOOL_VIEW_STYLE, BTNS_DROPDOWN, L"スタイル"},
              {0, BTNS_SEP, L""},
              {app::kActCustomize, BTNS_BUTTON, L"設定"}};
  ASSERT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 7);
  const HWND tips = reinterpret_cast<HWND>(SendMessageW(bar, TB_GETTOOLTIPS, 0, 0));
  for (int i = 0; i < 7; ++i) {
    TBBUTTON button{};
    RECT r{};
    wchar_t hint[80] = {};
    TTTOOLINFOW tool{sizeof tool, 0, bar, static_cast<UINT_PTR>(rows[i].command)};
    tool.lpszText = hint;
    SendMessageW(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    SendMessageW(bar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    if (rows[i].command) SendMessageW(tips, TTM_GETTEXTW, std::size(hint), reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(button.idCommand, rows[i].command) << i;
    EXPECT_EQ(button.fsStyle & (BTNS_SEP | BTNS_DROPDOWN), rows[i].style) << i;
    EXPECT_STREQ(hint, rows[i].hint);
    if (rows[i].command) EXPECT_EQ(r.bottom - r.top, 31) << i;
  }
  // For the eye: the hint of the style button under the mouse.
  RECT style{};
  SendMessageW(bar, TB_GETRECT, IDC_TOOL_VIEW_STYLE, reinterpret_cast<LPARAM>(&style));
  POINT at{style.left + 10, style.top + 10};
  SendMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
  ClientToScreen(bar, &at);
  SetCursorPos(at.x, at.y);
  PumpUntil([] { return false; }, 1500);
  SaveScreenshot(nullptr, "tool-bar-hint");
  for (bool enabled : {false, true}) {
    form->Actions().SetEnabled(app::kActCustomize, enabled);
    EXPECT_EQ(SendMessageW(bar, TB_ISBUTTONENABLED, app::kActCustomize, 0) != 0, enabled);
  }
  // Tool bar on top, status bar at the bottom, the view between them.
  RECT client{};
  GetClientRect(form->Handle(), &client);
  const RECT top = InWindow(bar), view = InWindow(form->View().Handle()),
             status = InWindow(form->StatusBar());
  EXPECT_EQ(top.top, 0);
  EXPECT_EQ(view.top, top.bottom);
  EXPECT_EQ(view.bottom, status.top);
  EXPECT_EQ(status.bottom, client.bottom);
  EXPECT_EQ(view.right - view.left, client.right);
}

TEST_F(WindowBarsTest, MenusOpenInOrderAndTheDropDownsBelowTheirButtons) {
  const std::wstring modes = L"縮小版(&H)|並べて表示(&S)|アイコン(&N)|小アイコン(&M))|一覧(&L)|詳細(&D)|",
                     styles = L"Style1(&1)|Style2(&2)|Style3(&3)|Style4(&4)|Style5(&5)|Style6(&6)|";
  form->Actions().Execute(app::kActList);
  form->Actions().Execute(app::kActViewStyle3);
  const HWND bar = form->ToolBar();
  for (UINT button : {IDC_TOOL_VIEW_MODE, IDC_TOOL_VIEW_STYLE}) {
    RECT r{}, window{}, client{};
    SendMessageW(bar, TB_GETRECT, button, reinterpret_cast<LPARAM>(&r));
    GetWindowRect(form->Handle(), &window);
    GetClientRect(form->Handle(), &client);
    // The view-mode menu from the arrow, the style menu from the main part.
    const LPARAM at = MAKELPARAM(button == IDC_TOOL_VIEW_MODE ? r.right - 4 : r.left + 8, r.top + 8);
    const OpenedMenu menu =
        WhileMenuOpen(button == IDC_TOOL_VIEW_MODE ? "menu-view-mode" : "menu-style", [&] {
          SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
          SendMessageW(bar, WM_LBUTTONUP, 0, at);
        });
    EXPECT_EQ(menu.text, button == IDC_TOOL_VIEW_MODE ? modes : styles);
    EXPECT_EQ(menu.radioChecked, std::vector<int>{button == IDC_TOOL_VIEW_MODE ? 4 : 2});
    EXPECT_EQ(menu.place.left, window.left + r.left);
    EXPECT_EQ(menu.place.top, window.bottom + (r.bottom - r.top) - client.bottom);
  }

  const std::wstring
      first =
          L"表示(&V)|  縮小版(&H)|  並べて表示(&S)|  アイコン(&N)|  小アイコン(&M))|  一覧(&L)|  詳細(&D)|",
      rest =
          L"スタイル(&S)|  Style1(&1)|  Style2(&2)|  Style3(&3)|  Style4(&4)|  Style5(&5)|  Style6(&6)|-|"
          L"アイコンの整列(&I)|  名前(&N)|  サイズ(&S)|  種類(&T)|  更新日時(&M)|最新の情報に更新(&R)\tF5|-|"
          L"ファイル読み込み(&L)...\tCtrl+L|フォルダ読み込み(&F)...\tCtrl+F|-|"
          L"切り取り(&T)\tCtrl+X|コピー(&C)\tCtrl+C|貼り付け(&P)\tCtrl+V|-|"
          L"すべて選択(&A)\tCtrl+A|選択の切り替え(&I))|";
  const HWND list = form->View().ListView();
  auto rightClick = [&] {
    SendMessageW(form->View().Handle(), WM_CONTEXTMENU, WPARAM(list), MAKELPARAM(400, 300));
  };
  EXPECT_EQ(WhileMenuOpen("menu-context", rightClick).text, first + rest);
  // With a picture selected the shell's items come in after the first item.
  form->View().Select(0, true);
  const OpenedMenu merged = WhileMenuOpen("menu-context-selection", rightClick);
  EXPECT_GT(merged.text.size(), (first + rest).size());
  EXPECT_TRUE(merged.text.starts_with(first) && merged.text.ends_with(rest));

  // For the eye: the main menu's menus and the tray menu.
  for (wchar_t key : {L's', L'e', L'v', L'h'}) {
    WhileMenuOpen(std::string("menu-main-") + char(key),
                  [&] { SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, key); });
  }
  WhileMenuOpen("menu-tray",
                [&] { TrackPopupMenu(form->TrayMenu(), 0, 600, 500, 0, form->Handle(), nullptr); });
}

TEST_F(WindowBarsTest, ShortcutsReachTheirActionsButNotATextBox) {
  const struct {
    WORD key;
    bool ctrl;
    UINT action;
  } rows[] = {{'L', true, app::kActLoadFile},
              {'F', true, app::kActLoadFolder},
              {'X', true, app::kActCut},
              {'C', true, app::kActCopy},
              {'V', true, app::kActPaste},
              {'A', true, app::kActSelectAll},
              {VK_F5, false, app::kActRefresh},
              {'L', false, 0},
              {VK_F5, true, 0}};
  UINT ran = 0;
  for (const auto& row : rows) {
    if (row.action) form->Actions().SetHandler(row.action, [&ran, id = row.action] { ran = id; });
  }
  const HWND edit = CreateWindowExW(0, L"Edit", L"", WS_CHILD, 0, 0, 9, 9, form->View().ListView(), 0, 0, 0);
  BYTE keys[256] = {};
  for (const auto& row : rows) {
    ran = 0;
    keys[VK_CONTROL] = row.ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
    // As the program's message loop takes them: from the view, not from a
    // caption being edited.
    const MSG inView{form->View().ListView(), WM_KEYDOWN, row.key, 1}, inEdit{edit, WM_KEYDOWN, row.key, 1};
    EXPECT_FALSE(form->Actions().TranslateShortcut(form->Handle(), inEdit));
    EXPECT_EQ(form->Actions().TranslateShortcut(form->Handle(), inView), row.action != 0) << row.key;
    EXPECT_EQ(ran, row.action) << row.key;
  }
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
}

TEST_F(WindowBarsTest, SelectAllChangeSelectAndTheLoadingText) {
  browser::TImgListView& view = form->View();
  view.Select(1, true);
  form->Actions().Execute(app::kActChangeSelect);
  EXPECT_EQ(view.SelectedIndices(), (std::vector<int>{0, 2}));
  form->Actions().Execute(app::kActSelectAll);
  EXPECT_EQ(view.SelectedIndices(), (std::vector<int>{0, 1, 2}));

  // Panel 1 names each picture while its thumbnail is made, and is empty after.
  std::vector<std::wstring> loading;
  view.OnImageLoad = [&, before = view.OnImageLoad](browser::TImgListItem& e) {
    before(e);
    wchar_t text[128] = {};
    SendMessageW(form->StatusBar(), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
    loading.emplace_back(text);
  };
  form->Actions().Execute(app::kActRefresh);
  ASSERT_TRUE(PumpUntil([&] { return loading.size() == 3; }, 10000));
  std::sort(loading.begin(), loading.end());
  EXPECT_EQ(loading, (std::vector<std::wstring>{L"a.bmp を開いています", L"b.bmp を開いています",
                                                L"c.bmp を開いています"}));
  EXPECT_TRUE(PumpUntil([&] { return SendMessageW(form->StatusBar(), SB_GETTEXTLENGTHW, 1, 0) == 0; }, 5000));
  SaveScreenshot(form->Handle(), "main-window");
}

}  // namespace
}  // namespace tapestrel::testing
