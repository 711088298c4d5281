// The rules of the pages on the real controls: the spin edit, the general
// page's dependent controls, the shortened paths, the color dialog and the
// application list.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include <memory>

#include "app/settings_store.h"
#include "modal.h"
#include "platform/win32/clock_and_locale.h"
#include "platform/win32/profile_file.h"
#include "platform/win32/text.h"
#include "settings_dialog_ids.h"
#include "settings_ui/win32/settings_dialog.h"
#include "win_support/files.h"
#include "win_support/names_outside_code_page.h"
#include "win_support/test_plugins.h"

namespace tapestrel::testing {
namespace {

using settings_ui::SettingsDraft;
using settings_ui::SettingsDialog;

std::wstring Text(HWND w) { return WindowText(w); }

class PagesTest : public ::testing::Test {
 protected:
  TempFolder folder;
  platform::ProfileFile profile{folder / "Tapestrel.ini"};
  platform::UserLocale locale;
  app::IniFile ini{profile, locale};
  SettingsDialog dialog{[this](const app::CustomColors& c) { app::WriteCustomColors(ini, c); }, nullptr};
  SettingsDraft draft;

  // Shows the dialog on page `index` and runs `body` there; OK afterwards.
  bool OnPage(int index, std::function<void(HWND page)> body) {
    WhileModal modal(
        [this] { return dialog.Frame() && IsWindowVisible(dialog.Frame()) ? dialog.Frame() : nullptr; },
        [&](HWND frame) {
          HTREEITEM item = TreeView_GetRoot(dialog.Tree());
          for (int i = 0; i < index; ++i) item = TreeView_GetNextSibling(dialog.Tree(), item);
          TreeView_SelectItem(dialog.Tree(), item);
          body(dialog.Page(index).Handle());
          PostMessageW(frame, WM_COMMAND, IDOK, 0);
        });
    return dialog.ShowModal(draft);
  }
};

void Type(HWND edit, wchar_t c) {
  SendMessageW(edit, WM_CHAR, c, 1);
  SendMessageW(edit, WM_KEYUP, LOBYTE(VkKeyScanW(c)), 0xC0000001);
}
void Key(HWND edit, UINT vk) {
  SendMessageW(edit, WM_KEYDOWN, vk, 1);
  SendMessageW(edit, WM_KEYUP, vk, 0xC0000001);
}
void Click(HWND w, int x, int y) {
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

TEST_F(PagesTest, SpinEditKeysButtonAndCorrection) {
  draft.record.InvalidConditionCPUValue = 50;
  EXPECT_TRUE(OnPage(7, [&](HWND page) {
    settings_ui::TWinSpinEdit& spin = dialog.InvalidCondition().CpuValue();
    const HWND edit = spin.Edit(), other = GetDlgItem(page, IDC_INVALID_CONDITION_CPU_ENABLED);
    // Keyboard entry selects the whole text, so typing replaces it.
    SetFocus(other);
    SetFocus(edit);
    Type(edit, L'7');
    Type(edit, L'x');  // dropped, with a beep
    EXPECT_EQ(Text(edit), L"7");
    Type(edit, L'0');
    Type(edit, L'0');  // 700, shown as 100 once the key is up
    EXPECT_EQ(Text(edit), L"100");
    Key(edit, VK_UP);
    Key(edit, VK_DOWN);
    EXPECT_EQ(Text(edit), L"99");
    // The button: upper half up, lower half down.
    RECT r;
    GetClientRect(spin.Button(), &r);
    Click(spin.Button(), r.right / 2, r.bottom / 4);
    Click(spin.Button(), r.right / 2, r.bottom * 3 / 4);
    Click(spin.Button(), r.right / 2, r.bottom * 3 / 4);
    EXPECT_EQ(Text(edit), L"98");
    // Emptied, it stays so while typing; leaving it shows the minimum.
    SetFocus(other);
    SetFocus(edit);
    Type(edit, L'\b');
    EXPECT_EQ(Text(edit), L"");
    SetFocus(other);
    EXPECT_EQ(Text(edit), L"1");
    // A mouse click puts the caret without selecting.
    SetWindowTextW(edit, L"64");
    Click(edit, 2, 4);
    DWORD start = 0, end = 1;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, end);
  }));
  EXPECT_EQ(draft.record.InvalidConditionCPUValue, 64);
}

TEST_F(PagesTest, SpinEditTakesDigitsTypedWithTheJapaneseInputMethod) {
  EXPECT_TRUE(OnPage(7, [&](HWND page) {
    const HWND edit = dialog.InvalidCondition().CpuValue().Edit();
    const HWND other = GetDlgItem(page, IDC_INVALID_CONDITION_CPU_ENABLED);
    SetFocus(edit);
    Type(edit, L'１');
    SendMessageW(edit, WM_IME_CHAR, L'０', 1);  // as an input method hands it over
    EXPECT_EQ(Text(edit), L"10");
    // Composed text put in whole is read as it stands and shown plainly on leaving.
    SetWindowTextW(edit, L"６４");
    SetFocus(other);
    EXPECT_EQ(Text(edit), L"64");
    SetWindowTextW(edit, L"３２");
  }));
  EXPECT_EQ(draft.record.InvalidConditionCPUValue, 32);
}

TEST_F(PagesTest, SpinEditShape) {
  EXPECT_TRUE(OnPage(1, [&](HWND) {
    settings_ui::TWinSpinEdit& spin = dialog.Interval().Value();
    RECT edit, button, outer;
    GetClientRect(spin.Edit(), &edit);
    GetWindowRect(spin.Button(), &button);
    MapWindowPoints(nullptr, spin.Edit(), reinterpret_cast<POINT*>(&button), 2);
    // The button inside, at the right edge; the text ends before it.
    EXPECT_TRUE(button.right == edit.right && button.top == 0 && button.bottom == edit.bottom);
    const DWORD margins = static_cast<DWORD>(SendMessageW(spin.Edit(), EM_GETMARGINS, 0, 0));
    EXPECT_GE(HIWORD(margins), button.right - button.left);
    // As high as its font needs: 13 + 13 / 4 + 4 + 2 pixels at Wine's default.
    GetWindowRect(spin.Edit(), &outer);
    EXPECT_GE(outer.bottom - outer.top, 22);
    // Read-only: the arrows only beep.
    SendMessageW(spin.Edit(), EM_SETREADONLY, TRUE, 0);
    Key(spin.Edit(), VK_UP);
    EXPECT_EQ(Text(spin.Edit()), L"1");
  }));
}

TEST_F(PagesTest, GeneralPageFollowsItsSwitches) {
  draft.record.WallPosition = app::PositionMode::Center;
  draft.record.WallBlankAutoColor = true;
  EXPECT_TRUE(OnPage(0, [&](HWND page) {
    const HWND ratio = GetDlgItem(page, IDC_WALL_POSITION_RATIO_DRAWING);
    EXPECT_FALSE(IsWindowEnabled(ratio));
    for (auto [id, enabled] :
         {std::pair{IDC_WALL_POSITION_RATIO_EXPANSION, true}, std::pair{IDC_WALL_POSITION_ARRANGES, false},
          std::pair{IDC_WALL_POSITION_RATIO_EXPANSION, true},
          std::pair{IDC_WALL_POSITION_EXPANSION, false}}) {
      SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0);
      EXPECT_EQ(IsWindowEnabled(ratio) != FALSE, enabled) << id;
    }
    EXPECT_EQ(SendMessageW(ratio, CB_GETCURSEL, 0, 0), 0);  // keeps its index either way
    const HWND swatch = GetDlgItem(page, IDC_WALL_BLANK_COLOR_PANEL);
    const HWND change = GetDlgItem(page, IDC_WALL_BLANK_COLOR_SELECT);
    EXPECT_FALSE(IsWindowEnabled(swatch));
    EXPECT_FALSE(IsWindowEnabled(change));
    SendMessageW(GetDlgItem(page, IDC_WALL_BLANK_AUTO_COLOR), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(swatch));
    EXPECT_TRUE(IsWindowEnabled(change));
    SendMessageW(GetDlgItem(page, IDC_EXIF_ORIENTATION), BM_CLICK, 0, 0);  // on by default
    // The portrait preference goes with a picture per monitor only.
    const HWND monitors = GetDlgItem(page, IDC_MONITOR_MODE);
    const HWND match = GetDlgItem(page, IDC_MATCH_ORIENTATION);
    EXPECT_FALSE(IsWindowEnabled(match));
    for (auto [index, text] :
         {std::pair{2, L"すべてのモニタに1枚を広げる"}, std::pair{1, L"モニタごとに別のピクチャ"}}) {
      wchar_t item[64] = {};
      SendMessageW(monitors, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item));
      EXPECT_EQ(std::wstring(item), text);
      SendMessageW(monitors, CB_SETCURSEL, index, 0);
      SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_MONITOR_MODE, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(monitors));
      EXPECT_EQ(IsWindowEnabled(match) != FALSE, index == 1);
    }
  }));
  EXPECT_EQ(draft.record.WallPosition, app::PositionMode::Stretch);
  EXPECT_FALSE(draft.record.WallBlankAutoColor);
  EXPECT_FALSE(draft.record.ExifOrientation);
  EXPECT_EQ(draft.record.MonitorMode, app::MonitorLayout::PerMonitor);
}

TEST_F(PagesTest, PathsAreShownShortenedToTheirFields) {
  const std::string deep =
      "C:\\Users\\somebody\\Pictures\\wallpapers\\collected over the years\\2023\\summer";
  draft.record.WallPaperFolder = deep;
  draft.record.SoundFile = "C:\\Windows\\Media\\ding.wav";
  draft.record.UrgentEvasionFileName =
      deep + "\\a very long file name that does not fit anywhere at all at all.bmp";
  EXPECT_TRUE(OnPage(0, [&](HWND general) {
    const std::wstring shown = Text(GetDlgItem(general, IDC_WALLPAPER_FOLDER2));
    EXPECT_EQ(shown.substr(0, 7), L"C:\\...\\");
    EXPECT_EQ(shown.substr(shown.size() - 7), L"\\summer");
    // It fits: one folder more would not.
    HWND field = GetDlgItem(general, IDC_WALLPAPER_FOLDER2);
    HDC dc = GetDC(field);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(general, WM_GETFONT, 0, 0)));
    SIZE size;
    GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(field, dc);
    RECT client;
    GetClientRect(field, &client);
    EXPECT_LE(size.cx, client.right);
    EXPECT_GT(shown.size(), std::wstring(L"C:\\...\\summer").size());
    // Every change of the path updates it; the full path is what counts.
    SetDlgItemTextW(general, IDC_WALLPAPER_FOLDER1, L"D:\\Walls");
    EXPECT_EQ(Text(field), L"D:\\Walls");
    const HWND sound = dialog.Page(9).Handle();
    EXPECT_EQ(Text(GetDlgItem(sound, IDC_SOUND_FILE2)), L"C:\\Windows\\Media\\ding.wav");
    EXPECT_EQ(Text(GetDlgItem(dialog.Page(6).Handle(), IDC_URGENT_EVASION_FILE_NAME2)),
              L"a very long file name that does not fit anywhere at all at all.bmp");
  }));
  EXPECT_EQ(draft.record.WallPaperFolder, "D:\\Walls");
}

TEST_F(PagesTest, ApplicationListAddDeleteAndMoves) {
  draft.record.ApplicationList = {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe", "C:\\d.exe", "C:\\e.exe"};
  EXPECT_TRUE(OnPage(7, [&](HWND page) {
    const HWND list = GetDlgItem(page, IDC_INVALID_CONDITION_APPLICATION_LIST);
    auto select = [&](std::initializer_list<int> rows) {
      ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
      for (int row : rows) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    };
    auto selected = [&] {
      std::vector<int> rows;
      for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0;
           i = ListView_GetNextItem(list, i, LVNI_SELECTED))
        rows.push_back(i);
      return rows;
    };
    auto click = [&](int id) { SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0); };
    select({1, 2});
    click(IDC_APPLICATION_LIST_UP);
    EXPECT_EQ(selected(), (std::vector<int>{0, 1}));
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 1);
    EXPECT_EQ(GetFocus(), list);
    click(IDC_APPLICATION_LIST_UP);  // the first row is selected: nothing moves
    EXPECT_EQ(selected(), (std::vector<int>{0, 1}));
    select({4});
    click(IDC_APPLICATION_LIST_DOWN);  // the last row: nothing moves
    select({0});
    click(IDC_APPLICATION_LIST_DOWN);
    EXPECT_EQ(selected(), (std::vector<int>{1}));
    dialog.InvalidCondition().AddApplications({"C:\\A.EXE", "C:\\f.exe", "C:\\notes.txt"});
    EXPECT_EQ(ListView_GetItemCount(list), 6);
    select({2, 5});
    click(IDC_APPLICATION_LIST_DELETE);
  }));
  EXPECT_EQ(draft.record.ApplicationList,
            (std::vector<std::string>{"C:\\c.exe", "C:\\b.exe", "C:\\d.exe", "C:\\e.exe"}));
}

// Six hexadecimal digits, different for each letter.
std::string CustomColorText(char letter) {
  char text[8];
  std::snprintf(text, sizeof text, "%06X", 0x102030 + (letter - 'A') * 0x010101);
  return text;
}

TEST_F(PagesTest, TheColorDialogWritesTheSixteenCustomColorsAtOnce) {
  for (char letter = 'A'; letter <= 'P'; ++letter) {
    ini.WriteString("Whole", std::string("Color") + letter, letter == 'C' ? "ff" : CustomColorText(letter));
  }
  draft.record.ColorDialogColors = app::ReadCustomColors(ini);
  EXPECT_TRUE(OnPage(0, [&](HWND page) {
    WhileModal colors(
        [&] { return ThreadDialog(dialog.Frame()); },
        [&](HWND chooser) {
          // The current color in the dialog's red, green and blue fields.
          for (auto [id, text] : {std::pair{706, L"1"}, std::pair{707, L"2"}, std::pair{708, L"3"}}) {
            SetDlgItemTextW(chooser, id, text);
          }
          PostMessageW(chooser, WM_COMMAND, IDOK, 0);
        });
    SendMessageW(GetDlgItem(page, IDC_WALL_BLANK_COLOR_SELECT), BM_CLICK, 0, 0);
    EXPECT_TRUE(colors.Ran());
  }));
  EXPECT_EQ(draft.record.WallBlankColor, 0x030201u);
  for (char letter = 'A'; letter <= 'P'; ++letter) {
    const std::string expected = letter == 'C' ? "0000FF" : CustomColorText(letter);
    EXPECT_EQ(IniValue(profile.Path(), "Whole", std::string("Color") + letter), expected) << letter;
  }
}

}  // namespace
}  // namespace tapestrel::testing

namespace tapestrel::testing {
namespace {

HWND ChildWithText(HWND dialog, const wchar_t* cls, const std::wstring& text) {
  for (HWND w = FindWindowExW(dialog, nullptr, cls, nullptr); w; w = FindWindowExW(dialog, w, cls, nullptr)) {
    if (WindowText(w) == text) return w;
  }
  return nullptr;
}

// The items of a file dialog's file-type list: its filter.
std::vector<std::wstring> FilterItems(HWND dialog) {
  const HWND types = GetDlgItem(dialog, cmb1);
  std::vector<std::wstring> items;
  const int count = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

struct SeenDialog {
  std::wstring title;
  std::vector<std::wstring> filters;
};

// What the tests write into a file named `path`, to know it again.
std::string ReadableName(const std::wstring& path) { return platform::WideToUtf8(path); }

// Clicks `button` on `page`; in the file dialog that opens, types `path`
// (or cancels when empty).
SeenDialog ChooseThrough(HWND frame, HWND page, int button, const std::wstring& path) {
  SeenDialog seen;
  WhileModal chooser([&] { return ThreadDialog(frame); },
                     [&](HWND dialog) {
                       seen.title = WindowText(dialog);
                       seen.filters = FilterItems(dialog);
                       if (path.empty()) return;
                       SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(path.c_str()));
                       PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                     });
  SendMessageW(GetDlgItem(page, button), BM_CLICK, 0, 0);
  EXPECT_TRUE(chooser.Ran());
  return seen;
}
SeenDialog ChooseThrough(HWND frame, HWND page, int button, const std::string& path) {
  return ChooseThrough(frame, page, button, platform::AnsiToWide(path));
}

TEST_F(PagesTest, FileDialogsWithTheirTitlesAndFilters) {
  const std::string wave = folder / "ding.wav";
  const std::string program = folder / "game.exe";
  const std::string picture = folder / "safe.bmp";
  for (const std::string& file : {wave, program, picture}) WriteFile(file, "x");
  draft.pictureFilter = "ビットマップ (*.bmp)|*.bmp";
  EXPECT_TRUE(OnPage(9, [&](HWND sound) {
    const HWND frame = dialog.Frame();
    SeenDialog seen = ChooseThrough(frame, sound, IDC_SOUND_SELECT, wave);
    EXPECT_EQ(seen.filters, std::vector<std::wstring>{L"waveファイル(*.wav)"});
    seen = ChooseThrough(frame, dialog.Page(7).Handle(), IDC_APPLICATION_LIST_ADD, program);
    EXPECT_EQ(seen.filters, std::vector<std::wstring>{L"EXEファイル(*.exe)"});
    seen = ChooseThrough(frame, dialog.Page(6).Handle(), IDC_URGENT_EVASION_FILE_SELECT, picture);
    EXPECT_EQ(seen.title, L"緊急回避用壁紙ファイルの選択");
    EXPECT_EQ(seen.filters, std::vector<std::wstring>{L"ビットマップ (*.bmp)"});
    seen = ChooseThrough(frame, dialog.Page(8).Handle(), IDC_SUSIE_PLUGIN_INSTALL, "");  // cancelled
    EXPECT_EQ(seen.title, L"Susie Plug-in　インストール");
    EXPECT_EQ(seen.filters, std::vector<std::wstring>{L"Susie Plug-in (*" + PluginFileW("") + L")"});
    // The folder browser: its title; cancelled, the folder stays.
    WhileModal browser(
        [&] { return ThreadDialog(frame); },
        [&](HWND dialog) { EXPECT_NE(ChildWithText(dialog, L"Static", L"壁紙フォルダの設定"), nullptr); });
    SendMessageW(GetDlgItem(dialog.Page(0).Handle(), IDC_WALLPAPER_FOLDER_SELECT), BM_CLICK, 0, 0);
    EXPECT_TRUE(browser.Ran());
  }));
  EXPECT_EQ(draft.record.SoundFile, wave);
  EXPECT_EQ(draft.record.ApplicationList, std::vector<std::string>{program});
  EXPECT_EQ(draft.record.UrgentEvasionFileName, picture);
  EXPECT_EQ(draft.record.WallPaperFolder, "");
}

// Files named outside the code page, in a folder named so too, chosen in
// the real dialogs: kept by their short paths; where there are none, a file
// chosen alone or a typed name is refused with a message and nothing is
// taken, and a list leaves the file out.
TEST_F(PagesTest, NamesOutsideTheCodePageAreKeptByShortPathOrRefused) {
  const std::vector<std::wstring>& names = NamesOutsideTheCodePage();
  const std::wstring cafe = platform::AnsiToWide(folder.Path()) + L"\\" + names[0];
  CreateDirectoryW(cafe.c_str(), nullptr);
  const std::wstring wave = cafe + L"\\" + names[1] + L".wav", program = cafe + L"\\" + names[0] + L".exe",
                     picture = cafe + L"\\" + names[2] + L".bmp";
  for (const std::wstring& file : {wave, program, picture, cafe + L"\\marker"}) WriteWide(file, ReadableName(file));
  draft.pictureFilter = "ビットマップ (*.bmp)|*.bmp";
  EXPECT_TRUE(OnPage(9, [&](HWND sound) {
    const HWND frame = dialog.Frame();
    ChooseThrough(frame, sound, IDC_SOUND_SELECT, wave);
    ChooseThrough(frame, dialog.Page(7).Handle(), IDC_APPLICATION_LIST_ADD, program);
    ChooseThrough(frame, dialog.Page(6).Handle(), IDC_URGENT_EVASION_FILE_SELECT, picture);
    WhileModal browser([&] { return ThreadDialog(frame); }, [&](HWND dialog) {
      SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(cafe.c_str()));
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(GetDlgItem(dialog.Page(0).Handle(), IDC_WALLPAPER_FOLDER_SELECT), BM_CLICK, 0, 0);
  }));
  EXPECT_EQ(ReadFile(draft.record.SoundFile), ReadableName(wave));
  ASSERT_EQ(draft.record.ApplicationList.size(), 1u);
  EXPECT_EQ(ReadFile(draft.record.ApplicationList[0]), ReadableName(program));
  EXPECT_EQ(ReadFile(draft.record.UrgentEvasionFileName), ReadableName(picture));
  EXPECT_EQ(ReadFile(draft.record.WallPaperFolder + "\\marker"), ReadableName(cafe + L"\\marker"));

  NoShortNames none;
  const SettingsDraft kept = draft;
  std::vector<std::wstring> told;
  std::wstring shownPage;
  auto tell = [&](std::function<void()> then) {
    return std::make_unique<WhileModal>([] { return ThreadWindowTitled(L"Tapestrel"); }, [&, then](HWND box) {
      told.push_back(WindowText(GetDlgItem(box, 0xFFFF)));
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      then();
    });
  };
  WhileModal modal([this] { return dialog.Frame() && IsWindowVisible(dialog.Frame()) ? dialog.Frame() : nullptr; },
                   [&](HWND frame) {
                     auto atChoice = tell([] {});
                     ChooseThrough(frame, dialog.Page(9).Handle(), IDC_SOUND_SELECT, wave);
                     ChooseThrough(frame, dialog.Page(7).Handle(), IDC_APPLICATION_LIST_ADD, program);
                     SetDlgItemTextW(dialog.Page(5).Handle(), IDC_CAPTURE_FILE_NAME, names[1].c_str());
                     const auto atOk = tell([&, frame] {
                       wchar_t text[64] = {};
                       TVITEMW item{};
                       item.mask = TVIF_TEXT;
                       item.hItem = TreeView_GetSelection(dialog.Tree());
                       item.pszText = text;
                       item.cchTextMax = 64;
                       TreeView_GetItem(dialog.Tree(), &item);
                       shownPage = text;
                       SetDlgItemTextW(dialog.Page(5).Handle(), IDC_CAPTURE_FILE_NAME, L"shot");
                       PostMessageW(frame, WM_COMMAND, IDOK, 0);
                     });
                     SendMessageW(frame, WM_COMMAND, IDOK, 0);  // refused: the message, the page
                   });
  EXPECT_TRUE(dialog.ShowModal(draft));
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[0].rfind(wave, 0), 0u) << platform::WideToUtf8(told[0]);
  EXPECT_EQ(told[1].rfind(names[1], 0), 0u) << platform::WideToUtf8(told[1]);
  EXPECT_NE(told[1].find(L"扱えない文字"), std::wstring::npos);
  EXPECT_EQ(shownPage, L"壁紙キャプチャ変更");
  EXPECT_EQ(draft.record.SoundFile, kept.record.SoundFile);
  EXPECT_EQ(draft.record.ApplicationList, kept.record.ApplicationList);
  EXPECT_EQ(draft.record.CaptureFileName, "shot");
}

}  // namespace
}  // namespace tapestrel::testing
