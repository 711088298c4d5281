// Every window and settings page at 96, 120, 144 and 192 dpi. Wine takes the
// scale from the registry's "LogPixels" when a program starts (no restart of
// the Wine server is needed), so this program sets it and runs itself once
// per scale; each run opens every window in turn and measures it.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/picture_registration.h"
#include "app/win32/about_box.h"
#include "app/win32/registration_progress_window.h"
#include "app/win32/screen_capture.h"
#include "fit_checks.h"
#include "imaging/bmp_file.h"
#include "settings_ui/win32/settings_dialog.h"
#include "settings_ui/win32/wallpaper_folder_dialog.h"
#include "win/settings_ui/modal.h"
#include "win_support/main_window_fixture.h"

namespace tapestrel::testing {
namespace {

constexpr char kScaleVariable[] = "TAPESTREL_TEST_DPI";
constexpr char kShotsVariable[] = "TAPESTREL_DPI_SHOTS";  // a folder: screenshots of every window go there

// A value of the current user's registry for as long as this lives; what was
// there before comes back.
class TemporaryValue {
 public:
  TemporaryValue(const wchar_t* key, const wchar_t* name) : name_(name) {
    RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    DWORD size = 0;
    if (RegQueryValueExW(key_, name, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
      previous_.resize(size);
      RegQueryValueExW(key_, name, nullptr, &type_, previous_.data(), &size);
      had_ = true;
    }
  }
  TemporaryValue(const TemporaryValue&) = delete;
  ~TemporaryValue() {
    if (had_) {
      RegSetValueExW(key_, name_, 0, type_, previous_.data(), static_cast<DWORD>(previous_.size()));
    } else {
      RegDeleteValueW(key_, name_);
    }
    RegCloseKey(key_);
  }
  void Set(DWORD value) { RegSetValueExW(key_, name_, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value); }
  void Set(const std::wstring& text) {
    RegSetValueExW(key_, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

 private:
  HKEY key_ = nullptr;
  const wchar_t* name_;
  DWORD type_ = 0;
  std::vector<BYTE> previous_;
  bool had_ = false;
};

// Runs this program's checks at one scale; its output, and whether they passed.
bool RunAtScale(int dpi, std::string& output) {
  SetEnvironmentVariableA(kScaleVariable, std::to_string(dpi).c_str());
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command =
      "\"" + std::string(self) + "\" --gtest_also_run_disabled_tests --gtest_filter=AtOneScale.*";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  CreatePipe(&read, &write, &inherit, 0);
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = write;
  PROCESS_INFORMATION pi{};
  const bool started =
      CreateProcessA(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(write);
  SetEnvironmentVariableA(kScaleVariable, nullptr);
  if (!started) {
    CloseHandle(read);
    output = "not started";
    return false;
  }
  char buffer[4096];
  DWORD n = 0;
  while (::ReadFile(read, buffer, sizeof buffer, &n, nullptr) && n > 0) output.append(buffer, n);
  CloseHandle(read);
  DWORD code = 1;
  WaitForSingleObject(pi.hProcess, 60000);
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code == 0;
}

TEST(HighDpi, EveryWindowAndPageFitsAtEveryScale) {
  // The scale, as the display settings write it.
  TemporaryValue logPixels(L"Control Panel\\Desktop", L"LogPixels");
  // Without a window manager, Wine waits two seconds for one at every
  // window it hides, unless the program's windows are its own to manage.
  TemporaryValue unmanaged(L"Software\\Wine\\AppDefaults\\win_dpi.exe\\X11 Driver", L"Managed");
  unmanaged.Set(L"N");
  for (int dpi : {96, 120, 144, 192}) {
    logPixels.Set(static_cast<DWORD>(dpi));
    std::string output;
    EXPECT_TRUE(RunAtScale(dpi, output)) << "at " << dpi << " dpi:\n" << output;
  }
}

// ---- one scale, in the program started by the test above

void Shot(HWND window, const std::wstring& name, int dpi) {
  const char* folder = std::getenv(kShotsVariable);
  if (!folder) return;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT r{};
  GetWindowRect(window, &r);
  const HDC dc = GetWindowDC(window);
  const imaging::Bitmap shot = app::CopyFromDc(dc, r.right - r.left, r.bottom - r.top, SRCCOPY);
  ReleaseDC(window, dc);
  imaging::WriteBmpFile(std::string(folder) + "\\" + std::to_string(dpi) + "-" + platform::WideToUtf8(name) + ".bmp",
                        shot);
}

// Runs `check` on the dialog `show` opens on this thread, then closes it.
void WhileShown(const std::function<void()>& show, const std::function<void(HWND)>& check) {
  WhileModal modal([] { return ThreadDialog(); }, check);
  show();
  EXPECT_TRUE(modal.Ran());
}

TEST(AtOneScale, DISABLED_EveryWindowAndPage) {
  const char* wanted = std::getenv(kScaleVariable);
  ASSERT_NE(wanted, nullptr);
  const int dpi = std::atoi(wanted);
  ASSERT_EQ(platform::SystemDpi(), dpi) << "the registry's scale did not take";
  OleInitialize(nullptr);
  const platform::DpiScale px(dpi);
  FitReport report;

  // The main window: its tool bar, status bar, tray icon and view at the scale.
  {
    MainWindowFixture fixture;
    app::MainWindow& form = fixture.Form();
    const auto buttons = static_cast<DWORD>(SendMessageW(form.ToolBar(), TB_GETBUTTONSIZE, 0, 0));
    EXPECT_EQ(LOWORD(buttons), px(33));
    EXPECT_EQ(HIWORD(buttons), px(31));
    const std::map<int, int> imageSizes{{96, 25}, {120, 31}, {144, 38}, {192, 50}};
    const std::map<int, int> traySizes{{96, 16}, {120, 20}, {144, 24}, {192, 32}};
    int cx = 0, cy = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageW(form.ToolBar(), TB_GETIMAGELIST, 0, 0)), &cx,
                          &cy);
    EXPECT_EQ(cx, imageSizes.at(dpi));
    int parts[2] = {};
    SendMessageW(form.StatusBar(), SB_GETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    EXPECT_EQ(parts[0], px(200));
    ICONINFO tray{};
    ASSERT_TRUE(GetIconInfo(form.TrayIcon().CurrentIcon(), &tray));
    BITMAP mask{};
    GetObjectW(tray.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, traySizes.at(dpi));
    DeleteObject(tray.hbmMask);
    if (tray.hbmColor) DeleteObject(tray.hbmColor);
    form.RunViewAction(0);  // thumbnails: the cell keeps its pixels, the gap grows
    const auto spacing = static_cast<DWORD>(ListView_GetItemSpacing(form.View().ListView(), FALSE));
    EXPECT_EQ(static_cast<int>(LOWORD(spacing)), form.View().CellSizeNow().width + px(15));
    ShowWindow(form.Handle(), SW_SHOW);
    Shot(form.Handle(), L"main", dpi);
    ShowWindow(form.Handle(), SW_HIDE);
  }

  TempFolder folder;
  const HWND owner =
      CreateWindowExW(0, L"Static", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);

  // The settings dialog and each of its pages.
  {
    platform::ProfileFile profile{folder / "Tapestrel.ini"};
    platform::UserLocale locale;
    app::IniFile ini{profile, locale};
    settings_ui::SettingsDialog dialog{ini, owner};
    settings_ui::PageValues values = settings_ui::FillPageValues(app::SettingsRecord(), {});
    values.wallpaperFolder = folder.Path();
    WhileModal modal([&] { return dialog.Frame() && IsWindowVisible(dialog.Frame()) ? dialog.Frame() : nullptr; },
                     [&](HWND frame) {
                       report.CheckControls(L"設定", frame, dpi);
                       const HWND tree = dialog.Tree();
                       for (HTREEITEM node = TreeView_GetRoot(tree); node; node = TreeView_GetNextSibling(tree, node)) {
                         TreeView_SelectItem(tree, node);
                         const HWND page = dialog.Panel()->HostedForm();
                         const std::wstring name = WindowText(page);
                         report.CheckControls(L"設定/" + name, page, dpi);
                         Shot(frame, L"設定-" + name, dpi);
                       }
                     });
    dialog.ShowModal(values);
    EXPECT_TRUE(modal.Ran());
  }

  app::AboutBox about{[] {}};
  WhileShown([&] { about.ShowModal(owner); },
             [&](HWND box) {
               report.CheckControls(L"バージョン情報", box, dpi);
               Shot(box, L"about", dpi);
             });

  settings_ui::WallpaperFolderDialog first;
  first.SetCaption(L"初期設定");
  first.SetPath(folder.Path());
  WhileShown([&] { first.ShowModal(owner); },
             [&](HWND box) {
               report.CheckControls(L"初期設定", box, dpi);
               Shot(box, L"folder", dpi);
             });

  {
    app::RegistrationProgressWindow progress(owner);
    progress.SetState(app::kStateCopying);
    progress.SetFileName("C:\\Users\\someone\\Pictures\\a rather long folder name\\picture 0001.jpg");
    progress.SetCount("12345/12345");
    progress.Open();
      report.CheckControls(L"ピクチャの登録", progress.Handle(), dpi);
      Shot(progress.Handle(), L"registration", dpi);
    progress.Close();
  }

  app::OverwriteQuestionDialog question([&] { return owner; });
  WhileShown([&] { question.Ask("a picture with a rather long name 0001.jpg"); },
             [&](HWND box) {
               report.CheckControls(L"情報", box, dpi);
               Shot(box, L"overwrite", dpi);
             });

  DestroyWindow(owner);
  for (const std::wstring& problem : report.Problems()) ADD_FAILURE() << platform::WideToUtf8(problem);
}

}  // namespace
}  // namespace tapestrel::testing
