// The hot-key component and the notification-area icon against the real
// Windows API.
#include <gtest/gtest.h>

#include "platform/error_guard.h"
#include "platform/win32/clock_and_locale.h"
#include "platform/win32/hook_hot_key.h"
#include "platform/win32/text.h"
#include "platform/win32/tray_icon.h"
#include "win_support/waiting.h"
#include "win_support/window_search.h"
#include "win_support/tray_icon_size.h"

namespace tapestrel::testing {
namespace {

// The errors the program-wide handler dropped while an instance lives.
class DroppedErrors {
 public:
  DroppedErrors() {
    seen().clear();
    platform::SetErrorObserver([](const char* what) { seen().push_back(what); });
  }
  ~DroppedErrors() { platform::SetErrorObserver(nullptr); }
  static std::vector<std::string>& seen() {
    static std::vector<std::string> errors;
    return errors;
  }
};

void PumpFor(int milliseconds) {
  WaitFor(
      [] {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        return false;
      },
      milliseconds);
}

TEST(HookHotKey, RegistersFromTheStoredTextAndReportsByIndex) {
  platform::UserLocale locale;
  platform::THookHotKey hotKeys;
  std::vector<int> pressed;
  hotKeys.OnHotKey = [&](platform::THookHotKey&, int index) { pressed.push_back(index); };

  const platform::HotKeyValue value = platform::TextToHotKey("Ctrl+Alt+W", locale);
  // Enabling unregisters first, which fails the first time: the answer is
  // false although the key is now registered.
  EXPECT_FALSE(hotKeys.SetKey(2, value, true));
  EXPECT_TRUE(hotKeys.SetKey(2, value, true));
  // Another window cannot take the same combination while we hold it.
  EXPECT_FALSE(RegisterHotKey(nullptr, 77, MOD_CONTROL | MOD_ALT, 'W'));

  PostMessageW(hotKeys.Handle(), WM_HOTKEY, 2, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'W'));
  PumpFor(200);
  EXPECT_EQ(pressed, std::vector<int>{2});

  EXPECT_TRUE(hotKeys.SetKey(2, value, false));
  EXPECT_TRUE(RegisterHotKey(nullptr, 77, MOD_CONTROL | MOD_ALT, 'W'));  // free again
  UnregisterHotKey(nullptr, 77);
  EXPECT_FALSE(hotKeys.SetKey(3, 0, false));  // never registered: reported, not raised

  // An error in the handler stops at the window procedure.
  DroppedErrors errors;
  hotKeys.OnHotKey = [](platform::THookHotKey&, int) { throw std::runtime_error("handler failed"); };
  PostMessageW(hotKeys.Handle(), WM_HOTKEY, 1, 0);
  PumpFor(100);
  EXPECT_EQ(DroppedErrors::seen(), std::vector<std::string>{"handler failed"});
}

// Asks the shell whether it knows an icon: modifying an unknown one fails
// (a hidden icon is known too).
bool ShellHasIcon(HWND window, UINT id) {
  NOTIFYICONDATAA probe{};
  probe.cbSize = NOTIFYICONDATAA_V2_SIZE;
  probe.hWnd = window;
  probe.uID = id;
  return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

// Whether an icon is on show. Without a notification area on the X display,
// Wine shows icons in a tray window of its own, visible while it holds one.
bool TrayShowsAnIcon() {
  PumpFor(200);
  bool shown = false;
  EnumWindows(
      [](HWND w, LPARAM found) WINAPI -> BOOL {
        if (ClassName(w) == L"__winex11_standalone_tray" && IsWindowVisible(w))
          *reinterpret_cast<bool*>(found) = true;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&shown));
  return shown;
}

// The record's published sizes, for shell 5.0 and later and for older
// shells: 488 and 88 bytes in a 32-bit program, 504 and 104 in a 64-bit one,
// whose handles are 8 bytes wide and aligned.
constexpr UINT kModernTrayRecordSize = sizeof(void*) == 8 ? 504 : 488;
constexpr UINT kOldTrayRecordSize = sizeof(void*) == 8 ? 104 : 88;

TEST(TrayIcon, ShowsTheIconWithItsTipAndSurvivesAShellRestart) {
  platform::TTrayIcon tray;
  tray.SetResourceIconList({"TTICON", "TFICON"});
  tray.SetTipHelp("Tapestrel");
  const HWND window = tray.Inner().Handle();
  EXPECT_EQ(ClassName(window), L"TaskTrayHandle");
  EXPECT_FALSE(ShellHasIcon(window, 1));

  EXPECT_FALSE(TrayShowsAnIcon());
  tray.SetVisible(true);
  ASSERT_TRUE(tray.Inner().Added());
  EXPECT_TRUE(ShellHasIcon(window, 1));
  EXPECT_TRUE(TrayShowsAnIcon());
  const NOTIFYICONDATAA& record = tray.Inner().Record();
  EXPECT_EQ(record.cbSize,
            platform::ShellVersion() >= MAKELONG(0, 5) ? kModernTrayRecordSize : kOldTrayRecordSize);
  EXPECT_STREQ(record.szTip, "Tapestrel");
  EXPECT_EQ(record.uCallbackMessage, 1224u);
  EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));

  const HICON normal = TrayIconResource("TTICON");
  const HICON urgent = TrayIconResource("TFICON");
  ASSERT_NE(normal, nullptr);
  ASSERT_NE(urgent, nullptr);
  EXPECT_EQ(record.hIcon, normal);
  tray.SetResourceIconID(5);  // clamped to the last name
  EXPECT_EQ(tray.ResourceIconID(), 1);
  EXPECT_EQ(tray.Inner().Record().hIcon, urgent);
  tray.SetResourceIconID(0);
  EXPECT_EQ(tray.Inner().Record().hIcon, normal);

  // The shell restarts and forgets the icon; its broadcast brings it back.
  NOTIFYICONDATAA gone = record;
  Shell_NotifyIconA(NIM_DELETE, &gone);
  EXPECT_FALSE(ShellHasIcon(window, 1));
  SendMessageW(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(ShellHasIcon(window, 1));

  tray.SetTipHelp(std::string(200, 'x'));
  EXPECT_EQ(std::string(tray.Inner().Record().szTip).size(),
            record.cbSize == kModernTrayRecordSize ? 127u : 63u);

  tray.SetVisible(false);
  EXPECT_FALSE(TrayShowsAnIcon());
  tray.SetVisible(true);
  EXPECT_TRUE(TrayShowsAnIcon());
}

TEST(TrayIcon, AnIconTheShellRefusedAtFirstComesWithTheShellOrTheNextChange) {
  platform::TTrayIcon tray;
  tray.SetResourceIconList({"TTICON", "TFICON"});
  tray.SetTipHelp("Tapestrel");
  // Another icon under the same window and id: the shell refuses the add,
  // and not for a time-out.
  NOTIFYICONDATAA squatter{};
  squatter.cbSize = NOTIFYICONDATAA_V2_SIZE;
  squatter.hWnd = tray.Inner().Handle();
  squatter.uID = 1;
  squatter.uFlags = NIF_ICON;
  squatter.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &squatter));
  EXPECT_THROW(tray.SetVisible(true), std::runtime_error);
  EXPECT_FALSE(tray.Inner().Added());

  // The shell restarts (and forgets the other icon): the wanted one comes.
  Shell_NotifyIconA(NIM_DELETE, &squatter);
  EXPECT_FALSE(TrayShowsAnIcon());
  DroppedErrors errors;
  SendMessageW(tray.Inner().Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(tray.Inner().Added());
  EXPECT_TRUE(TrayShowsAnIcon());
  EXPECT_TRUE(DroppedErrors::seen().empty());

  // Refused again at the next start of the shell: the error reaches the
  // program-wide handler, and the next change of the icon adds it.
  Shell_NotifyIconA(NIM_DELETE, const_cast<NOTIFYICONDATAA*>(&tray.Inner().Record()));
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &squatter));
  SendMessageW(tray.Inner().Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_EQ(DroppedErrors::seen(), std::vector<std::string>{"タスクトレイにアイコンを登録できません。"});
  Shell_NotifyIconA(NIM_DELETE, &squatter);
  tray.SetResourceIconID(1);
  EXPECT_TRUE(tray.Inner().Added());
  EXPECT_TRUE(TrayShowsAnIcon());
}

bool g_menuSeen = false;

// Runs inside the menu's modal loop: notes the menu and closes it.
void CALLBACK CloseOpenMenu(HWND, UINT, UINT_PTR, DWORD) {
  if (FindWindowW(L"#32768", nullptr)) {
    g_menuSeen = true;
    EndMenu();
  }
}

TEST(TrayIcon, RightButtonOpensTheMenuAndDoubleClickReports) {
  platform::TTrayIcon tray;
  tray.SetResourceIconList({"TTICON", "TFICON"});
  tray.SetTipHelp("Tapestrel");
  tray.SetVisible(true);
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 10, L"一");
  AppendMenuW(menu, MF_STRING, 11, L"二");
  tray.RButtonPopupMenu = menu;
  int doubleClicks = 0;
  bool popupPrepared = false;
  tray.OnDblClick = [&] { ++doubleClicks; };
  tray.OnPopup = [&] { popupPrepared = true; };

  g_menuSeen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, &CloseOpenMenu);
  SendMessageW(tray.Inner().Handle(), 1224, 1, WM_RBUTTONDOWN);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(popupPrepared);
  EXPECT_TRUE(g_menuSeen);

  SendMessageW(tray.Inner().Handle(), 1224, 1, WM_LBUTTONDBLCLK);
  SendMessageW(tray.Inner().Handle(), 1224, 1, WM_LBUTTONDOWN);  // no menu, no event
  EXPECT_EQ(doubleClicks, 1);
  DestroyMenu(menu);
}

}  // namespace
}  // namespace tapestrel::testing
