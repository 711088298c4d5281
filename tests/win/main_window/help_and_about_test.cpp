// The help commands of the main window: the about box (modal, the one version
// number, its licence window, its link), "help.htm" opened through the shell
// by the real program, and a help page that names every command as the menus
// show it.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/help_url.h"
#include "app/view_options.h"
#include "main_window_ids.h"
#include "program/win32/actions.h"
#include "ui_driver.h"
#include "win_support/main_window_fixture.h"
#include "win_support/tapestrel_process.h"

namespace tapestrel::testing {
namespace {

// A file of the source tree, as Wine shows it.
std::string SourceFile(const std::string& name) {
  std::string path = std::string("Z:") + TAPESTREL_SOURCE_DIR + "/" + name;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// The first line of the file VERSION, which the build turns into the version.
std::wstring SourceVersion() {
  std::string text = ReadFile(SourceFile("VERSION"));
  text = text.substr(0, text.find_first_of("\r\n"));
  return platform::Utf8ToWide(text);
}

// A text file of the source tree as an edit control shows it: UTF-16, CR LF.
std::wstring SourceText(const std::string& name) {
  std::wstring text;
  for (wchar_t c : platform::Utf8ToWide(ReadFile(SourceFile(name)))) {
    if (c == L'\n') text += L'\r';
    text += c;
  }
  return text;
}

// The dialog of this process with the caption, if one is shown.
HWND ShownDialog(const std::wstring& caption) {
  for (HWND w : WindowsOf(GetCurrentProcessId(), true)) {
    if (ClassName(w) == L"#32770" && WindowText(w) == caption) return w;
  }
  return nullptr;
}

std::string ShippedHelp() { return ReadFile(ThisProgramFolder() + "help.htm"); }

// A caption as a menu shows it: "&" marks the access key and is not drawn;
// the shortcut after the tab is shown apart.
std::string Shown(const std::wstring& caption) {
  std::wstring text = caption.substr(0, caption.find(L'\t'));
  text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
  return platform::WideToUtf8(text);
}

// How the opener's command line names a file: quoted, in UTF-8. The shell
// hands a "file:///" address to the opener as the file's own path.
std::string OpenedArgument(const std::string& ansiPath) {
  return "\"" + platform::AnsiToUtf8(ansiPath) + "\"";
}

// Runs the message loop until `done`: the about box's own loop runs inside.
void PumpUntil(const std::function<bool()>& done, int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  while (!done() && GetTickCount() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(20);
  }
}

TEST(AboutBox, ModalWithNameVersionLicencesAndALinkThatOpensTheHelp) {
  ComScope com;
  MainWindowFixture fixture;
  TempFolder recorder;
  HtmOpener opener(recorder);
  WriteFile(fixture.Folder() / "help.htm", "<!DOCTYPE html>");
  const HWND form = fixture.Form().Handle();

  std::atomic<bool> done{false};
  HWND box = nullptr;
  HWND licences = nullptr;
  std::wstring name, version, licenceText;
  bool ownerDisabled = false, boxDisabledUnderLicences = false;
  std::thread user([&] {
    WaitFor([&] { return (box = ShownDialog(L"バージョン情報")) != nullptr; }, 10000);
    if (box) {
      wchar_t text[256] = {};
      GetDlgItemTextW(box, IDC_ABOUT_NAME, text, 256);
      name = text;
      GetDlgItemTextW(box, IDC_ABOUT_VERSION, text, 256);
      version = text;
      ownerDisabled = !IsWindowEnabled(form) && GetWindow(box, GW_OWNER) == form;
      SaveScreenshot(box, "about-box");
      // A click on the link's text.
      const HWND link = GetDlgItem(box, IDC_ABOUT_LINK);
      RECT area{};
      GetClientRect(link, &area);
      POINT at{6, area.bottom / 2};
      POINT screen = at;
      ClientToScreen(link, &screen);
      SetCursorPos(screen.x, screen.y);
      PostMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
      PostMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
      opener.WaitOpened(15000);
      // The licence button, and the text its window shows.
      wchar_t caption[64] = {};
      GetDlgItemTextW(box, IDC_ABOUT_LICENCE, caption, 64);
      if (std::wstring(caption) == L"ライセンス(&L)...") {
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_LICENCE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDC_ABOUT_LICENCE)));
      }
      WaitFor([&] { return (licences = ShownDialog(L"ライセンス")) != nullptr; }, 10000);
      if (licences) {
        const HWND edit = GetDlgItem(licences, IDC_LICENCE_TEXT);
        licenceText.resize(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1);
        licenceText.resize(static_cast<size_t>(
            GetWindowTextW(edit, licenceText.data(), static_cast<int>(licenceText.size()))));
        boxDisabledUnderLicences = !IsWindowEnabled(box) && GetWindow(licences, GW_OWNER) == box &&
                                   (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY);
        SaveScreenshot(licences, "about-licences");
        PostMessageW(licences, WM_COMMAND, IDOK, 0);
        WaitFor([&] { return IsWindowEnabled(box) != FALSE; }, 10000);
      }
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    done = true;
  });
  PostMessageW(form, WM_COMMAND, app::kActAboutDialog, 0);
  PumpUntil([&] { return done && IsWindowEnabled(form); }, 40000);
  user.join();

  ASSERT_NE(box, nullptr);
  EXPECT_EQ(name, L"Tapestrel");
  EXPECT_EQ(version, L"バージョン " + SourceVersion() + (sizeof(void*) == 8 ? L" (x64)" : L" (x86)"));
  EXPECT_TRUE(ownerDisabled);
  ASSERT_NE(licences, nullptr) << "no licence window";
  EXPECT_TRUE(boxDisabledUnderLicences);
  // Our licence and every third-party notice, whole, the IJG's required sentence among them.
  EXPECT_NE(licenceText.find(SourceText("LICENSE")), std::wstring::npos);
  EXPECT_NE(licenceText.find(SourceText("THIRD-PARTY-NOTICES.txt")), std::wstring::npos);
  EXPECT_NE(licenceText.find(L"This software is based in part on the work of the Independent JPEG Group."),
            std::wstring::npos);
  EXPECT_NE(opener.Opened().find(OpenedArgument(fixture.Folder() / "help.htm")), std::string::npos)
      << opener.Opened();
  EXPECT_TRUE(IsWindowEnabled(form));
}

TEST(AboutBox, OfferedInTheMainAndTrayMenus) {
  ComScope com;
  MainWindowFixture fixture;
  for (HMENU menu : {GetMenu(fixture.Form().Handle()), fixture.Form().TrayMenu()}) {
    fixture.Form().Actions().UpdateMenu(menu);
    const UINT state = GetMenuState(menu, app::kActAboutDialog, MF_BYCOMMAND);
    ASSERT_NE(state, static_cast<UINT>(-1));
    EXPECT_FALSE(state & (MF_GRAYED | MF_DISABLED));
  }
}

TEST(HelpPage, ShippedBesideTheProgramAndNamesEveryCommandAsTheMenusShowIt) {
  ComScope com;
  const std::string help = ShippedHelp();
  ASSERT_FALSE(help.empty()) << "help.htm is missing beside the programs";
  EXPECT_EQ(help, ReadFile(SourceFile("resources/help.htm"))) << "the copy beside the programs is stale";

  MainWindowFixture fixture;
  std::vector<std::wstring> captions;
  for (UINT id = app::kActImage; id <= app::kCmdUrgentEvasion; ++id) {
    if (const app::Action* action = fixture.Form().Actions().Find(id))
      captions.push_back(platform::Utf8ToWide(action->caption));
  }
  // The menus' own captions, submenus included.
  std::function<void(HMENU)> collect = [&](HMENU menu) {
    for (const std::wstring& caption : MainWindowFixture::MenuCaptions(menu)) {
      if (caption != L"-") captions.push_back(caption);
    }
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      if (HMENU sub = GetSubMenu(menu, i)) collect(sub);
    }
  };
  collect(GetMenu(fixture.Form().Handle()));
  collect(fixture.Form().TrayMenu());
  ASSERT_GT(captions.size(), 40u);
  for (const std::wstring& caption : captions) {
    EXPECT_NE(help.find(Shown(caption)), std::string::npos) << Shown(caption);
  }
}

TEST(ViewModes, TheTableFollowsTheActionsOrder) {
  ComScope com;
  MainWindowFixture fixture;
  for (int mode = 0; mode < app::kViewModeCount; ++mode) {
    const app::Action* action = fixture.Form().Actions().Find(app::kActImage + static_cast<UINT>(mode));
    ASSERT_NE(action, nullptr);
    EXPECT_STREQ(action->name, app::kViewModes[static_cast<size_t>(mode)].actionName);
  }
}

TEST(HelpCommand, TheRealProgramOpensTheHelpBesideItselfThroughTheShell) {
  ComScope com;
  TempFolder app, pictures, recorder;
  HtmOpener opener(recorder);
  TapestrelProcess program(app);
  CopyFileA((ThisProgramFolder() + "help.htm").c_str(), (app / "help.htm").c_str(), FALSE);
  WriteFile(program.Ini(), "[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\nTaskTrayResiding=0\r\n");
  ASSERT_TRUE(program.Start());
  const HWND window = program.MainWindow(20000);
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_COMMAND, app::kActTapestrelHelp, 0);
  ASSERT_TRUE(opener.WaitOpened(20000));
  EXPECT_NE(opener.Opened().find(OpenedArgument(app / "help.htm")), std::string::npos) << opener.Opened();
  EXPECT_TRUE(program.Running());
}

TEST(HelpCommand, TheAddressLeadsToTheFileFromAnyFolderName) {
  ComScope com;
  TempFolder app, recorder;
  HtmOpener opener(recorder);
  // A fragment mark, and "表", whose Shift-JIS trail byte is the byte of "\\".
  const std::string folder = app / platform::Utf8ToAnsi("図表#1");
  CreateDirectoryA(folder.c_str(), nullptr);
  WriteFile(folder + "\\help.htm", "<!DOCTYPE html>");
  const std::string url = app::HelpFileUrl(folder + "\\");
  ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  ASSERT_TRUE(opener.WaitOpened(20000)) << url;
  EXPECT_NE(opener.Opened().find(OpenedArgument(folder + "\\help.htm")), std::string::npos)
      << opener.Opened();
}

}  // namespace
}  // namespace tapestrel::testing
