// CustomizeExecute in the main window: reached from both menus, the write-back
// with its side effects, Cancel, the plug-in list, and the Startup shortcut
// in the prefix's real Startup folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

#include "imaging/win32/plugin_host.h"
#include "modal.h"
#include "platform/error_guard.h"
#include "platform/win32/text.h"
#include "program/win32/actions.h"
#include "settings_dialog_ids.h"
#include "shell_link_reader.h"
#include "win_support/main_window_fixture.h"
#include "win_support/registry_override.h"
#include "win_support/test_plugins.h"

namespace tapestrel::testing {
namespace {

HWND SettingsFrame() { return ThreadWindowTitled(L"Tapestrel 設定"); }

// Selects the node at `index` and answers the page it shows.
HWND ShowPage(HWND frame, int index) {
  const HWND tree = GetDlgItem(frame, IDC_SETTINGS_TREE);
  HTREEITEM item = TreeView_GetRoot(tree);
  for (int i = 0; i < index; ++i) item = TreeView_GetNextSibling(tree, item);
  TreeView_SelectItem(tree, item);
  const HWND panel = FindWindowExW(frame, nullptr, L"TapestrelFormPanel", nullptr);
  return FindWindowExW(panel, nullptr, L"#32770", nullptr);
}

// Opens the dialog through the main window's command and runs `body` in it.
void Customize(app::MainWindow& form, std::function<void(HWND frame)> body) {
  WhileModal modal(&SettingsFrame, std::move(body));
  SendMessageW(form.Handle(), WM_COMMAND, app::kActCustomize, 0);
  EXPECT_TRUE(modal.Ran());
}

void Ok(HWND frame) { PostMessageW(frame, WM_COMMAND, IDOK, 0); }
void Tick(HWND page, int id, bool on) { CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED); }

bool MenuItemEnabled(HMENU menu, UINT id) {
  const UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

TEST(Customize, BothMenusOpenTheDialog) {
  MainWindowFixture fixture;
  app::MainWindow& form = fixture.Form();
  EXPECT_TRUE(MenuItemEnabled(GetMenu(form.Handle()), app::kActCustomize));
  EXPECT_TRUE(MenuItemEnabled(form.TrayMenu(), app::kActCustomize));

  Customize(form, [&](HWND frame) {
    // Chosen again from the tray menu meanwhile: the open dialog stays as it is.
    const HWND name = GetDlgItem(ShowPage(frame, 5), IDC_CAPTURE_FILE_NAME);
    SetWindowTextW(name, L"Typed");
    form.TrayIcon().OnMenuCommand(app::kActCustomize);
    EXPECT_EQ(WindowText(name), L"Typed");
    EXPECT_EQ(ThreadWindows().size(), 1u);
    PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
  });
  // The tray menu hands its choice to the same command.
  WhileModal modal(&SettingsFrame, [](HWND frame) { PostMessageW(frame, WM_COMMAND, IDCANCEL, 0); });
  form.TrayIcon().OnMenuCommand(app::kActCustomize);
  EXPECT_TRUE(modal.Ran());
  // Opened while the window sits in the tray, it leaves no window behind.
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  EXPECT_TRUE(ThreadWindows().empty());
}

TEST(Customize, OkWritesTheRecordBackAndFollowsWithItsSideEffects) {
  TempFolder pictures, others;
  MainWindowFixture fixture("[Whole]\r\nWallPaperFolder=" + pictures.Path() +
                            "\r\nTaskTrayResiding=1\r\nWallSlelct=7\r\n"
                            "[Window]\r\nWindowPosX=0x20\r\n"
                            "[Interval]\r\nIntervalEnabled=0\r\nIntervalValue=0\r\n"
                            "[InvalidCondition]\r\nInvalidConditionCPUValue=250\r\n");
  app::MainWindow& form = fixture.Form();
  app::SettingsRecord& record = form.Settings();
  record.LastChangeTime = 40000;
  Customize(form, [&](HWND frame) {
    const HWND general = ShowPage(frame, 0);
    SetDlgItemTextW(general, IDC_WALLPAPER_FOLDER1, platform::AnsiToWide(others.Path()).c_str());
    Tick(general, IDC_TASK_TRAY_RESIDING, false);
    Tick(ShowPage(frame, 1), IDC_INTERVAL_ENABLED, true);
    const HWND shortcut = ShowPage(frame, 3);
    Tick(shortcut, IDC_WALL_CHANGE_SHORTCUT_ENABLED, true);
    SendDlgItemMessageW(shortcut, IDC_WALL_CHANGE_SHORTCUT_KEY, HKM_SETHOTKEY,
                        MAKEWORD(VK_F9, HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
    Tick(ShowPage(frame, 6), IDC_URGENT_EVASION_MODE, true);
    Ok(frame);
  });
  EXPECT_EQ(platform::WideToAnsi(form.View().FolderPath()), others.Path());
  EXPECT_EQ(record.WallPaperFolder, others.Path());
  EXPECT_FALSE(form.TrayIcon().Visible());
  EXPECT_FALSE(form.Actions().Find(app::kActGoToTaskTray)->enabled);
  EXPECT_GT(record.LastChangeTime, 40000);  // counted from the OK
  EXPECT_TRUE(record.UrgentEvasionMode);
  EXPECT_EQ(form.TrayIcon().ResourceIconID(), 1);
  EXPECT_EQ(record.WallSelect, app::SelectionMethod::Next);
  const std::string ini = fixture.Ini();
  EXPECT_EQ(IniValue(ini, "Whole", "WallSlelct"), "0");
  EXPECT_EQ(IniValue(ini, "Whole", "TaskTrayResiding"), "0");
  EXPECT_EQ(IniValue(ini, "Interval", "IntervalEnabled"), "1");
  EXPECT_EQ(IniValue(ini, "Interval", "IntervalValue"), "1");
  EXPECT_EQ(IniValue(ini, "InvalidCondition", "InvalidConditionCPUValue"), "100");
  EXPECT_EQ(IniValue(ini, "ShortCut", "WallChangeShortCutKey"), "Shift+Ctrl+F9");
  EXPECT_EQ(IniValue(ini, "Window", "WindowPosX"), "0x20");  // never written here
  EXPECT_EQ(IniValue(ini, "Window", "WindowWidth"), "<missing>");
  EXPECT_EQ(IniValue(ini, "System", "UrgentEvasionMode"), "<missing>");  // the tray item's way
  // The hot key is registered at once: nobody else can take it.
  EXPECT_FALSE(RegisterHotKey(nullptr, 0x7000, MOD_CONTROL | MOD_SHIFT, VK_F9));
}

TEST(Customize, TheColorDialogsCustomColorsSurviveACancel) {
  TempFolder pictures;
  MainWindowFixture fixture("[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\nColorA=123456\r\n");
  Customize(fixture.Form(), [&](HWND frame) {
    const HWND general = ShowPage(frame, 0);
    WhileModal colors([&] { return ThreadDialog(frame); },
                       [](HWND chooser) { PostMessageW(chooser, WM_COMMAND, IDOK, 0); });
    SendMessageW(GetDlgItem(general, IDC_WALL_BLANK_COLOR_SELECT), BM_CLICK, 0, 0);
    EXPECT_TRUE(colors.Ran());
    PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(IniValue(fixture.Ini(), "Whole", "ColorA"), "123456");
  EXPECT_EQ(IniValue(fixture.Ini(), "Whole", "ColorP"), "000000");
  EXPECT_EQ(IniValue(fixture.Ini(), "Whole", "WallSlelct"), "<missing>");
}

TEST(Customize, ThePluginPageListsTheBuiltInFormatsAndEveryLoadedPlugin) {
  PluginStage stage;
  stage.Put("tsp_in", true);
  stage.Put("tsp_alt", true);
  imaging::PictureFormatRegistry registry;
  imaging::PluginHost plugins(stage.AppFolder(), registry);
  plugins.LoadAtStartup();
  MainWindowFixture fixture;
  std::vector<std::vector<std::wstring>> rows;
  Customize(fixture.Form(), [&](HWND frame) {
    const HWND list = GetDlgItem(ShowPage(frame, 8), IDC_FORMAT_LIST);
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
      rows.emplace_back();
      for (int column = 0; column < 3; ++column) {
        wchar_t text[256] = {};
        ListView_GetItemText(list, row, column, text, 256);
        rows.back().push_back(text);
      }
    }
    PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
  });
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[1], (std::vector<std::wstring>{L"*.jpg;*.jpeg", L"JPEG イメージファイル", L""}));
  // Then the plug-ins in load order (the folder's listing order), their own
  // Shift-JIS texts included.
  std::sort(rows.begin() + 3, rows.end(), [](const auto& a, const auto& b) { return a[2] < b[2]; });
  EXPECT_EQ(rows[3],
            (std::vector<std::wstring>{L"*.tsq", L"Tapestrel alternative picture", PluginFileW("tsp_alt")}));
  EXPECT_EQ(rows[4],
            (std::vector<std::wstring>{L"*.tsp;*.ts1;*.ts2;*.ts3", L"Tapestrel sample picture / テスト画像",
                                       PluginFileW("tsp_in")}));
}

class StartupShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    link_ = StartupShortcutPath();
    DeleteFileA(link_.c_str());
  }
  void TearDown() override {
    DeleteFileA(link_.c_str());
    CoUninitialize();
  }
  std::string link_;
};

TEST_F(StartupShortcutTest, AnUnreadableShortcutEndsTheCommandBeforeTheFileIsWritten) {
  WriteFile(link_, "not a shell link");
  TempFolder pictures;
  MainWindowFixture fixture("[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\n");
  const std::string before = ReadFile(fixture.Ini());
  WhileModal modal(
      &SettingsFrame, [](HWND frame) { Ok(frame); }, 2000);
  SendMessageW(fixture.Form().Handle(), WM_COMMAND, app::kActCustomize, 0);
  EXPECT_FALSE(modal.Ran());  // the shortcut is read before the dialog opens
  EXPECT_EQ(ReadFile(fixture.Ini()), before);
}

// A real key press as the keyboard sends it: an arrow, Insert, Delete, Home,
// End, Page Up or Page Down flagged as extended; the same virtual key without
// the flag, from the same scan code, is its numeric-keypad twin.
void PressWithCtrl(WORD key, bool extended) {
  INPUT inputs[4] = {};
  const WORD keys[4] = {VK_CONTROL, key, key, VK_CONTROL};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i];
    inputs[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(keys[i], MAPVK_VK_TO_VSC));
    inputs[i].ki.dwFlags =
        (i >= 2 ? KEYEVENTF_KEYUP : 0) | (keys[i] == key && extended ? KEYEVENTF_EXTENDEDKEY : 0);
  }
  SendInput(4, inputs, sizeof(INPUT));
}

std::vector<int> HotKeysPressedBy(app::MainWindow& form, WORD key, bool extended) {
  std::vector<int> pressed;
  form.HotKeys().OnHotKey = [&](platform::THookHotKey&, int index) { pressed.push_back(index); };
  PressWithCtrl(key, extended);
  const DWORD end = GetTickCount() + 300;
  while (static_cast<LONG>(GetTickCount() - end) < 0) {
    PumpMessages();
    Sleep(10);
  }
  form.HotKeys().OnHotKey = nullptr;
  return pressed;
}

TEST(Customize, HotKeysOnExtendedKeysSurviveReopeningAndAnswerThatKeyNotItsKeypadTwin) {
  // The four hot-key fields: page, enabling box, field, and where the key is stored.
  const struct {
    int page, enable, field;
    const char *section, *key;
  } fields[] = {
      {3, IDC_WALL_CHANGE_SHORTCUT_ENABLED, IDC_WALL_CHANGE_SHORTCUT_KEY, "ShortCut",
       "WallChangeShortCutKey"},
      {5, IDC_CAPTURE_ENABLED, IDC_ALL_CAPTURE_HOT_KEY, "Capture", "AllCaptureHotKey"},
      {5, IDC_CAPTURE_ENABLED, IDC_ACTIVE_CAPTURE_HOT_KEY, "Capture", "ActiveCaptureHotKey"},
      {6, IDC_URGENT_EVASION_ENABLED, IDC_URGENT_EVASION_HOT_KEY, "UrgentEvasion", "UrgentEvasionHotKey"}};
  // Three rounds of four keys; F9 and W have no keypad twin.
  const struct {
    WORD key;
    const char* stored;
  } keys[3][4] = {
      {{VK_LEFT, "Ctrl+Left"}, {VK_UP, "Ctrl+Up"}, {VK_RIGHT, "Ctrl+Right"}, {VK_DOWN, "Ctrl+Down"}},
      {{VK_INSERT, "Ctrl+Ins"}, {VK_DELETE, "Ctrl+Del"}, {VK_HOME, "Ctrl+Home"}, {VK_END, "Ctrl+End"}},
      {{VK_PRIOR, "Ctrl+PgUp"}, {VK_NEXT, "Ctrl+PgDn"}, {VK_F9, "Ctrl+F9"}, {'W', "Ctrl+W"}}};
  TempFolder pictures;
  MainWindowFixture fixture("[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\n");
  app::MainWindow& form = fixture.Form();
  for (const auto& round : keys) {
    const auto control = [&](int i) {
      const bool twin = round[i].key != VK_F9 && round[i].key != 'W';
      return static_cast<WORD>(MAKEWORD(round[i].key, HOTKEYF_CONTROL | (twin ? HOTKEYF_EXT : 0)));
    };
    Customize(form, [&](HWND frame) {
      for (int i = 0; i < 4; ++i) {
        const HWND page = ShowPage(frame, fields[i].page);
        Tick(page, fields[i].enable, true);
        SendDlgItemMessageW(page, fields[i].field, HKM_SETHOTKEY, control(i), 0);
      }
      Ok(frame);
    });
    WORD shown[4] = {};
    Customize(form, [&](HWND frame) {
      for (int i = 0; i < 4; ++i)
        shown[i] = static_cast<WORD>(
            SendDlgItemMessageW(ShowPage(frame, fields[i].page), fields[i].field, HKM_GETHOTKEY, 0, 0));
      PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
    });
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(round[i].stored);
      EXPECT_EQ(IniValue(fixture.Ini(), fields[i].section, fields[i].key), round[i].stored);
      EXPECT_EQ(shown[i], control(i));
      const bool twin = HIBYTE(control(i)) & HOTKEYF_EXT;
      EXPECT_EQ(HotKeysPressedBy(form, round[i].key, true), std::vector<int>{i});
      EXPECT_EQ(HotKeysPressedBy(form, round[i].key, false), twin ? std::vector<int>{} : std::vector<int>{i});
    }
  }
}

// While this lives the shell finds no Startup folder: the user's value for it
// names a folder below a file, which can be neither found nor created.
class UnfindableStartupFolder {
 public:
  UnfindableStartupFolder() { WriteFile(file_, ""); }

 private:
  TempFolder folder_;
  std::string file_ = folder_ / "not-a-folder";
  RegistryOverride value_{L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", L"Startup",
                          platform::AnsiToWide(file_) + L"\\Startup", REG_EXPAND_SZ};
};

std::vector<std::string>& DroppedErrors() {
  static std::vector<std::string> dropped;
  return dropped;
}

TEST(Customize, WithoutAStartupFolderTheDialogOpensAndOnlyTickingStartWithWindowsFails) {
  UnfindableStartupFolder noStartupFolder;
  platform::SetErrorObserver([](const char* what) { DroppedErrors().push_back(what); });
  DroppedErrors().clear();
  TempFolder pictures;
  MainWindowFixture fixture("[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\n");
  const std::string before = ReadFile(fixture.Ini());

  // Ticked: OK fails on the missing folder before the INI file is written.
  bool shownClear = false;
  Customize(fixture.Form(), [&](HWND frame) {
    const HWND general = ShowPage(frame, 0);
    shownClear = IsDlgButtonChecked(general, IDC_EXE_AUTORUN) == BST_UNCHECKED &&
                 IsDlgButtonChecked(ShowPage(frame, 4), IDC_WALL_OS_START_CHANGE) == BST_UNCHECKED;
    Tick(general, IDC_EXE_AUTORUN, true);
    Tick(ShowPage(frame, 1), IDC_INTERVAL_ENABLED, true);
    Ok(frame);
  });
  EXPECT_TRUE(shownClear);
  EXPECT_EQ(DroppedErrors(), std::vector<std::string>{"no Startup folder"});
  EXPECT_EQ(ReadFile(fixture.Ini()), before);

  // Left clear, everything else is saved.
  Customize(fixture.Form(), [&](HWND frame) {
    Tick(ShowPage(frame, 1), IDC_INTERVAL_ENABLED, true);
    Ok(frame);
  });
  platform::SetErrorObserver(nullptr);
  EXPECT_EQ(DroppedErrors().size(), 1u);
  EXPECT_EQ(IniValue(fixture.Ini(), "Interval", "IntervalEnabled"), "1");
}

}  // namespace
}  // namespace tapestrel::testing
