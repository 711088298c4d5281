// The settings dialog and its pages on the real controls: the frame, the
// tree and the page host, every text, and the values through every control.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "modal.h"
#include "platform/win32/clock_and_locale.h"
#include "platform/win32/profile_file.h"
#include "platform/win32/text.h"
#include "settings_dialog_ids.h"
#include "settings_ui/win32/settings_dialog.h"
#include "win_support/files.h"

namespace tapestrel::testing {
namespace {

using settings_ui::SettingsDraft;
using settings_ui::SettingsDialog;

const std::vector<std::wstring> kNodes = {L"全般",
                                          L"壁紙インターバル変更",
                                          L"壁紙ランダム時間変更",
                                          L"壁紙ショートカット変更",
                                          L"壁紙条件変更",
                                          L"壁紙キャプチャ変更",
                                          L"緊急回避",
                                          L"壁紙変更の無効条件",
                                          L"対応ピクチャファイル形式",
                                          L"サウンド"};

RECT ClientPlace(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};  // left, top, width, height
}
bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::vector<std::pair<HTREEITEM, std::wstring>> TreeNodes(HWND tree) {
  std::vector<std::pair<HTREEITEM, std::wstring>> nodes;
  for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item)) {
    wchar_t text[64] = {};
    TVITEMW info{};
    info.mask = TVIF_TEXT | TVIF_CHILDREN;
    info.hItem = item;
    info.pszText = text;
    info.cchTextMax = 64;
    TreeView_GetItem(tree, &info);
    EXPECT_EQ(TreeView_GetChild(tree, item), nullptr);
    nodes.emplace_back(item, text);
  }
  return nodes;
}

std::wstring ItemText(HWND page, int id) { return WindowText(GetDlgItem(page, id)); }

std::vector<std::wstring> ComboItems(HWND combo) {
  std::vector<std::wstring> items;
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[64] = {};
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  // The main window's stand-in.
  HWND owner =
      CreateWindowExW(0, L"Static", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  SettingsDialog dialog{nullptr, owner};

  ~SettingsDialogTest() override { DestroyWindow(owner); }

  // Shows the dialog with `draft` and runs `body` in it.
  bool Show(SettingsDraft& draft, std::function<void(HWND frame)> body) {
    WhileModal modal(
        [this] { return dialog.Frame() && IsWindowVisible(dialog.Frame()) ? dialog.Frame() : nullptr; },
        std::move(body));
    const bool ok = dialog.ShowModal(draft);
    EXPECT_TRUE(modal.Ran());
    return ok;
  }
  HWND Shown() const { return dialog.Panel()->HostedForm(); }
};

TEST_F(SettingsDialogTest, FrameTreeAndPagesAtTheirPlaces) {
  SettingsDraft draft;
  const bool ok = Show(draft, [&](HWND frame) {
    EXPECT_EQ(WindowText(frame), L"Tapestrel 設定");
    EXPECT_TRUE(GetWindowLongPtrW(frame, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT client;
    GetClientRect(frame, &client);
    EXPECT_EQ(client.right, 637);
    EXPECT_EQ(client.bottom, 351);
    RECT window;
    GetWindowRect(frame, &window);  // centred on the screen
    EXPECT_LE(std::abs((window.left + window.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs((window.top + window.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
    EXPECT_TRUE(ClientPlace(dialog.Tree()) == (RECT{8, 8, 177, 297}));
    EXPECT_TRUE(ClientPlace(dialog.Panel()->Handle()) == (RECT{200, 8, 425, 297}));
    EXPECT_TRUE(ClientPlace(GetDlgItem(frame, IDOK)) == (RECT{440, 312, 89, 25}));
    EXPECT_TRUE(ClientPlace(GetDlgItem(frame, IDCANCEL)) == (RECT{536, 312, 89, 25}));
    EXPECT_EQ(ItemText(frame, IDOK), L"OK");
    EXPECT_EQ(ItemText(frame, IDCANCEL), L"キャンセル");
    EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(frame, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON, BS_DEFPUSHBUTTON);

    const auto nodes = TreeNodes(dialog.Tree());
    std::vector<std::wstring> texts;
    for (const auto& node : nodes) texts.push_back(node.second);
    EXPECT_EQ(texts, kNodes);
    // Shown with "全般" selected.
    EXPECT_EQ(TreeView_GetSelection(dialog.Tree()), nodes.front().first);
    // Each node hosts its page, alone, filling the panel, under its title.
    for (size_t i = nodes.size(); i-- > 0;) {
      TreeView_SelectItem(dialog.Tree(), nodes[i].first);
      const HWND page = Shown();
      ASSERT_EQ(page, dialog.Page(static_cast<int>(i)).Handle()) << i;
      EXPECT_EQ(GetParent(page), dialog.Panel()->Handle());
      EXPECT_TRUE(IsWindowVisible(page));
      EXPECT_EQ(GetWindowLongPtrW(page, GWL_STYLE) & (WS_CHILD | WS_CAPTION | WS_THICKFRAME), WS_CHILD);
      EXPECT_TRUE(ClientPlace(page) == (RECT{0, 0, 425, 297})) << i;
      EXPECT_EQ(ItemText(page, IDC_PAGE_TITLE), L"\u3000" + nodes[i].second);
      EXPECT_TRUE(ClientPlace(GetDlgItem(page, IDC_PAGE_TITLE)) == (RECT{4, 4, 417, 19})) << i;
      for (int other = 0; other < SettingsDialog::kPageCount; ++other) {
        if (other != static_cast<int>(i)) {
          EXPECT_FALSE(IsWindowVisible(dialog.Page(other).Handle())) << other;
        }
      }
    }
    EXPECT_EQ(Shown(), dialog.Page(0).Handle());
    PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_FALSE(ok);
  // The pages outlive the frame, hidden and given back as they were.
  EXPECT_EQ(dialog.Frame(), nullptr);
  for (int i = 0; i < SettingsDialog::kPageCount; ++i) {
    const HWND page = dialog.Page(i).Handle();
    ASSERT_TRUE(IsWindow(page));
    EXPECT_EQ(GetAncestor(page, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(GetWindow(page, GW_OWNER), owner);
    EXPECT_FALSE(IsWindowVisible(page));
    EXPECT_EQ(GetWindowLongPtrW(page, GWL_STYLE) & WS_CHILD, 0);
  }
}

// The texts through the resource script, full-width characters included.
TEST_F(SettingsDialogTest, TextsAreExact) {
  struct Text {
    int page, id;
    const wchar_t* text;
  };
  const Text texts[] = {
      {0, IDC_EXE_AUTORUN, L"Windows起動時にこのソフトを自動起動する"},
      {0, IDC_EXIF_ORIENTATION, L"写真の向き (Exif) に合わせて回転する"},
      {2, IDC_RANDOM_LABEL2, L"に１回の確率で壁紙を変更する"},
      {5, IDC_CAPTURE_LABEL3, L"000."},
      {6, IDC_EVASION_LABEL3, L"他人に見られたくない壁紙を使用するときにお使いください（笑）"},
      {7, IDC_INVALID_LABEL2, L"％以上"},
      {7, IDC_APPLICATION_LIST_ADD, L"＋"},
      {7, IDC_APPLICATION_LIST_DELETE, L"×"},
      {7, IDC_APPLICATION_LIST_UP, L"↑"},
      {7, IDC_APPLICATION_LIST_DOWN, L"↓"},
      {8, IDC_SUSIE_PLUGIN_INSTALL, L"Susie Plug-in　インストール"},
  };
  for (const Text& t : texts) {
    EXPECT_EQ(ItemText(dialog.Page(t.page).Handle(), t.id), t.text) << t.page << " " << t.id;
  }
  const HWND general = dialog.Page(0).Handle();
  EXPECT_EQ(ComboItems(GetDlgItem(general, IDC_WALL_POSITION_RATIO_DRAWING)),
            (std::vector<std::wstring>{L"中央", L"上寄せ", L"右寄せ", L"下寄せ", L"左寄せ", L"左上寄せ",
                                       L"右上寄せ", L"右下寄せ", L"左下寄せ"}));
  for (auto [page, id] : {std::pair{1, IDC_INTERVAL_UNIT}, std::pair{2, IDC_RANDOM_INTERVAL_UNIT}}) {
    EXPECT_EQ(ComboItems(GetDlgItem(dialog.Page(page).Handle(), id)),
              (std::vector<std::wstring>{L"秒", L"分", L"時間"}));
  }
  EXPECT_EQ(ComboItems(GetDlgItem(dialog.Page(5).Handle(), IDC_CAPTURE_FILE_EXT)),
            (std::vector<std::wstring>{L"bmp", L"jpg", L"png"}));
  // Column captions.
  auto header = [&](int page, int id, int column) {
    wchar_t text[64] = {};
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT;
    c.pszText = text;
    c.cchTextMax = 64;
    ListView_GetColumn(GetDlgItem(dialog.Page(page).Handle(), id), column, &c);
    return std::wstring(text);
  };
  EXPECT_EQ(header(7, IDC_INVALID_CONDITION_APPLICATION_LIST, 0), L"EXEファイルパス");
  EXPECT_EQ(header(8, IDC_FORMAT_LIST, 0), L"拡張子");
  EXPECT_EQ(header(8, IDC_FORMAT_LIST, 1), L"形式名");
  EXPECT_EQ(header(8, IDC_FORMAT_LIST, 2), L"プラグイン名");
  // The hints of the list's buttons.
  const HWND invalid = dialog.Page(7).Handle();
  HWND tips = nullptr;
  for (HWND w : ThreadWindows(false)) {
    if (ClassName(w) == L"tooltips_class32" && GetWindow(w, GW_OWNER) == invalid) tips = w;
  }
  ASSERT_NE(tips, nullptr);
  for (auto [id, hint] :
       {std::pair{IDC_APPLICATION_LIST_ADD, L"追加"}, std::pair{IDC_APPLICATION_LIST_DELETE, L"削除"},
        std::pair{IDC_APPLICATION_LIST_UP, L"上へ"}, std::pair{IDC_APPLICATION_LIST_DOWN, L"下へ"}}) {
    wchar_t text[32] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = invalid;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(invalid, id));
    tool.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 32, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(text), hint);
  }
}

// Record values the controls cannot show: a list shows nothing and keeps
// the value; a radio group or the monitor list checks its first item, and a
// spin edit its limit, and OK takes what they show.
TEST_F(SettingsDialogTest, ValuesTheControlsDoNotHave) {
  SettingsDraft draft;
  draft.record.IntervalUnit = 5;
  draft.record.CaptureFileExt = -3;
  draft.record.WallPositionRatioDrawing = 9;
  draft.record.WallSelect = static_cast<app::SelectionMethod>(7);
  draft.record.WallPosition = static_cast<app::PositionMode>(-2);
  draft.record.MonitorMode = static_cast<app::MonitorLayout>(4);
  draft.record.IntervalValue = 0;
  draft.record.RandomIntervalValue = 123456;
  draft.record.InvalidConditionCPUValue = 250;
  EXPECT_TRUE(Show(draft, [](HWND frame) { PostMessageW(frame, WM_COMMAND, IDOK, 0); }));
  EXPECT_EQ(draft.record.IntervalUnit, 5);
  EXPECT_EQ(draft.record.CaptureFileExt, -3);
  EXPECT_EQ(draft.record.WallPositionRatioDrawing, 9);
  EXPECT_EQ(draft.record.WallSelect, app::SelectionMethod::Next);
  EXPECT_EQ(draft.record.WallPosition, app::PositionMode::Center);
  EXPECT_EQ(draft.record.MonitorMode, app::MonitorLayout::Same);
  EXPECT_EQ(draft.record.IntervalValue, 1);
  EXPECT_EQ(draft.record.RandomIntervalValue, 99999);
  EXPECT_EQ(draft.record.InvalidConditionCPUValue, 100);
}

}  // namespace
}  // namespace tapestrel::testing
