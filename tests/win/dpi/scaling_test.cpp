// Every window and settings page at 96, 120, 144 and 192 dpi: each control
// inside its window and clear of the others, each text within its control
// in the control's own font. Wine takes the scale from the registry when a
// program starts (no new Wine server needed), so this program sets it and
// runs itself once per scale.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "app/picture_registration.h"
#include "platform/win32/dpi.h"
#include "program/win32/about_box.h"
#include "program/win32/registration_progress_window.h"
#include "settings_ui/win32/settings_dialog.h"
#include "settings_ui/win32/wallpaper_folder_dialog.h"
#include "win/settings_ui/modal.h"
#include "win_support/main_window_fixture.h"
#include "win_support/registry_override.h"

namespace tapestrel::testing {
namespace {

TEST(HighDpi, EveryWindowAndPageFitsAtEveryScale) {
  RegistryOverride logPixels(L"Control Panel\\Desktop", L"LogPixels");
  // Without a window manager Wine waits two seconds for one whenever a
  // window it leaves to it hides: this program manages its own.
  RegistryOverride managed(L"Software\\Wine\\AppDefaults\\win_dpi.exe\\X11 Driver", L"Managed");
  managed.Set(REG_SZ, L"N", 4);
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  for (DWORD dpi : {96, 120, 144, 192}) {
    logPixels.Set(REG_DWORD, &dpi, sizeof dpi);
    const std::string command = "\"\"" + std::string(self) +
                                "\" --gtest_also_run_disabled_tests --gtest_filter=AtOneScale.* " +
                                std::to_string(dpi) + " 2>&1\"";
    std::string output;
    FILE* run = _popen(command.c_str(), "r");
    ASSERT_NE(run, nullptr);
    for (char buffer[4096]; fgets(buffer, sizeof buffer, run);) output += buffer;
    EXPECT_EQ(_pclose(run), 0) << "at " << dpi << " dpi:\n" << output;
  }
}

// ---- one scale, in the program the test above runs

SIZE TextSize(HWND control, const std::wstring& text, int wrapWidth = 0) {
  const HDC dc = GetDC(control);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT r{0, 0, wrapWidth, 0};
  DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | (wrapWidth ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return {r.right, r.bottom};
}

// The room a control's text needs, or {0, 0} where no text is measured: edits
// and lists show data, and texts cut with "..." are cut by design.
SIZE NeededSize(HWND c, const platform::DpiScale& px) {
  const std::wstring cls = ClassName(c), text = WindowText(c);
  const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
  if (cls == L"Button" && !text.empty()) {
    const SIZE t = TextSize(c, text);
    switch (style & BS_TYPEMASK) {
      case BS_GROUPBOX: return {t.cx + px(16), t.cy};
      case BS_AUTOCHECKBOX: case BS_AUTORADIOBUTTON:
        return {platform::SystemMetricForDpi(SM_CXMENUCHECK, px.Dpi()) + px(4) + t.cx, t.cy};
      default: return {t.cx + px(6), t.cy + px(4)};
    }
  }
  if (cls == L"Static" && !text.empty() && (style & SS_TYPEMASK) <= SS_RIGHT && !(style & SS_ELLIPSISMASK)) {
    RECT client;
    GetClientRect(c, &client);
    return (style & SS_CENTERIMAGE) ? TextSize(c, text) : SIZE{0, TextSize(c, text, client.right).cy};
  }
  if (cls == L"SysLink") {
    std::wstring shown;  // the text without its markup
    bool tag = false;
    for (wchar_t ch : text) {
      if (ch == L'<' || ch == L'>') tag = ch == L'<';
      else if (!tag) shown += ch;
    }
    return TextSize(c, shown);
  }
  SIZE widest{};
  for (int i = 0; cls == L"ComboBox" && i < SendMessageW(c, CB_GETCOUNT, 0, 0); ++i) {
    wchar_t item[128] = {};
    SendMessageW(c, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    widest.cx = std::max<LONG>(widest.cx, TextSize(c, item).cx + platform::SystemMetricForDpi(SM_CXVSCROLL, px.Dpi()));
  }
  for (HTREEITEM n = cls == WC_TREEVIEWW ? TreeView_GetRoot(c) : nullptr; n; n = TreeView_GetNextSibling(c, n)) {
    RECT r{};
    TreeView_GetItemRect(c, n, &r, TRUE);
    widest.cx = std::max(widest.cx, r.right);
  }
  return widest;
}

void ExpectFits(const std::wstring& where, HWND window, const platform::DpiScale& px) {
  RECT area, inside;
  GetClientRect(window, &area);
  std::vector<std::pair<HWND, RECT>> placed;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    RECT r, client;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    GetClientRect(c, &client);
    const std::string name = platform::WideToUtf8(where + L" #" + std::to_wstring(GetDlgCtrlID(c)) + L" \"" +
                                                  WindowText(c) + L"\"");
    UnionRect(&inside, &r, &area);
    EXPECT_TRUE(EqualRect(&inside, &area)) << name << " sticks out";
    const SIZE needed = NeededSize(c, px);
    EXPECT_LE(needed.cx, client.right) << name << " is too narrow";
    EXPECT_LE(needed.cy, client.bottom) << name << " is too low";
    const bool groupBox = ClassName(c) == L"Button" && (GetWindowLongPtrW(c, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
    for (const auto& [other, at] : placed) {
      EXPECT_TRUE(groupBox || !IntersectRect(&inside, &r, &at)) << name << " overlaps #" << GetDlgCtrlID(other);
    }
    if (!groupBox) placed.emplace_back(c, r);  // a group box holds others
  }
}

TEST(AtOneScale, DISABLED_EveryWindowAndPage) {
  const int dpi = std::atoi(::testing::internal::GetArgvs().back().c_str());
  ASSERT_EQ(platform::SystemDpi(), dpi) << "the registry's scale did not take";
  const platform::DpiScale px(dpi);
  OleInitialize(nullptr);
  {
    // The tool bar's buttons and images, the status bar, the tray icon and
    // the gap between thumbnails follow the scale; the thumbnails do not.
    MainWindowFixture fixture;
    app::MainWindow& form = fixture.Form();
    EXPECT_EQ(SendMessageW(form.ToolBar(), TB_GETBUTTONSIZE, 0, 0), MAKELONG(px(33), px(31)));
    int image = 0, parts[2] = {};
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageW(form.ToolBar(), TB_GETIMAGELIST, 0, 0)), &image,
                          &image);
    EXPECT_EQ(image, (std::map<int, int>{{96, 25}, {120, 31}, {144, 38}, {192, 50}}.at(dpi)));
    SendMessageW(form.StatusBar(), SB_GETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    EXPECT_EQ(parts[0], px(200));
    ICONINFO tray{};
    BITMAP mask{};
    ASSERT_TRUE(GetIconInfo(form.TrayIcon().CurrentIcon(), &tray));
    GetObjectW(tray.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, (std::map<int, int>{{96, 16}, {120, 20}, {144, 24}, {192, 32}}.at(dpi)));
    form.RunViewAction(0);
    EXPECT_EQ(LOWORD(ListView_GetItemSpacing(form.View().ListView(), FALSE)),
              form.View().CellSizeNow().width + px(15));
  }
  TempFolder folder;
  const HWND owner = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
  settings_ui::SettingsDialog settings{nullptr, owner};
  settings_ui::SettingsDraft draft;
  app::AboutBox about{[] {}};
  settings_ui::WallpaperFolderDialog first;
  first.SetPath(folder.Path());
  app::OverwriteQuestionDialog question([&] { return owner; });
  const std::pair<std::function<void()>, std::function<void(HWND)>> dialogs[] = {
      {[&] { settings.ShowModal(draft); },
       [&](HWND frame) {
         ExpectFits(L"設定", frame, px);
         for (HTREEITEM node = TreeView_GetRoot(settings.Tree()); node;
              node = TreeView_GetNextSibling(settings.Tree(), node)) {
           TreeView_SelectItem(settings.Tree(), node);
           ExpectFits(WindowText(settings.Panel()->HostedForm()), settings.Panel()->HostedForm(), px);
         }
       }},
      {[&] { about.ShowModal(owner); }, [&](HWND box) { ExpectFits(L"バージョン情報", box, px); }},
      {[&] { first.ShowModal(owner); }, [&](HWND box) { ExpectFits(L"初期設定", box, px); }},
      {[&] { question.Ask("a picture with a rather long name 0001.jpg"); },
       [&](HWND box) { ExpectFits(L"情報", box, px); }},
  };
  for (const auto& [show, check] : dialogs) {
    WhileModal modal([] { return ThreadDialog(); }, check);
    show();
    EXPECT_TRUE(modal.Ran());
  }
  app::RegistrationProgressWindow progress(owner);
  progress.SetState(app::kStateCopying);
  progress.SetCount("12345/12345");
  progress.Open();
  ExpectFits(L"ピクチャの登録", progress.Handle(), px);
  progress.Close();
  DestroyWindow(owner);
}

}  // namespace
}  // namespace tapestrel::testing
