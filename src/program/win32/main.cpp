// Program entry: the one place that wires Tapestrel together.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <ole2.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/registry_keys.h"
#include "app/settings_store.h"
#include "app/startup_rules.h"
#include "app/win32/susie_plugin_pictures.h"
#include "platform/ansi_text.h"
#include "platform/error_guard.h"
#include "platform/win32/ansi_path.h"
#include "platform/win32/clock_and_locale.h"
#include "platform/win32/desktop.h"
#include "platform/win32/file_system.h"
#include "platform/win32/handles.h"
#include "platform/win32/profile_file.h"
#include "platform/win32/registry.h"
#include "platform/win32/text.h"
#include "program/win32/main_window.h"
#include "settings_ui/win32/wallpaper_folder_dialog.h"

using namespace tapestrel;

namespace {

std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> args;
  for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
  return args;
}

// Asks for a wallpaper folder when the stored one does not exist. False when
// the user cancels: the program then ends without saving anything.
bool EnsureWallpaperFolder(app::MainWindow& form, const app::AppPorts& ports) {
  app::SettingsRecord& settings = form.Settings();
  if (ports.files.DirectoryExists(settings.WallPaperFolder)) return true;

  const std::string proposal = ports.registry.ReadString(app::kShellFoldersKey, "My Pictures").value_or("");
  settings.WallPaperFolder = proposal;
  const app::FolderPrompt prompt = app::FolderPromptFor(ports.profile.Exists());
  MessageBoxW(nullptr, platform::Utf8ToWide(prompt.message).c_str(), L"Tapestrel",
              MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);

  settings_ui::WallpaperFolderDialog dialog;
  dialog.SetCaption(platform::Utf8ToWide(prompt.caption));
  dialog.SetPath(proposal);
  if (dialog.ShowModal(nullptr) != 1) return false;
  settings.WallPaperFolder = dialog.Path();
  form.SetBrowserFolder(settings.WallPaperFolder);
  return true;
}

int RunMessageLoop(app::MainWindow& form) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (form.Actions().TranslateShortcut(form.Handle(), message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

int Run() {
  // One instance only: a second start ends at once, silently.
  platform::UniqueKernelHandle mutex(CreateMutexA(nullptr, FALSE, "Tapestrel"));
  if (!mutex || WaitForSingleObject(mutex.Get(), 0) == WAIT_TIMEOUT) return 0;

  platform::SetAnsiCodePage(GetACP());
  // The settings live beside the program, and are read and written by ANSI
  // name: a folder that has none (not even a short one) cannot hold them.
  if (!platform::ModulePathToAnsi(nullptr)) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    platform::TellNameUnusable(nullptr, path);
    return 1;
  }
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  OleInitialize(nullptr);  // COM, and OLE for the browser's drag and drop

  platform::ProfileFile profile(platform::ExecutableFolder() + app::kIniFileName);
  platform::UserLocale locale;
  platform::LocalClock clock;
  platform::WindowsFileSystem files;
  platform::CurrentUserRegistry registry;
  const std::vector<std::string> args = CommandLineArguments();
  const app::CommandLineSwitches switches = app::ParseSwitches(args);
  // A run that ends after its change does not wait for Windows to take the
  // new wallpaper before tearing down its windows, only before it ends.
  using Handover = platform::WindowsDesktop::Handover;
  platform::WindowsDesktop desktop(app::EndsAfterChange(switches) ? Handover::Background : Handover::Waited);
  app::SusiePluginPictures plugins;
  const app::AppPorts ports{profile,  locale,  clock,   files,
                            registry, desktop, plugins, platform::ExecutableFolder()};

  app::MainWindow form(ports, args);

  if (!EnsureWallpaperFolder(form, ports)) return 0;

  const bool startInTray = app::ReadTaskTrayResiding(form.Ini());
  if (switches.change) {
    // Outside the message loop: an error here must not keep a "/wallchange"
    // start from ending.
    platform::Guarded([&] { form.ChangeWallpaper(app::ChangeMode::Ordinary); });
  }
  switch (app::DecideStartAction(switches, startInTray)) {
    case app::StartAction::ExitAfterChange:
      return 0;
    case app::StartAction::StartHidden:
      break;
    case app::StartAction::ShowWindow:
      form.ShowAtStart();
      break;
  }
  const int result = RunMessageLoop(form);
  OleUninitialize();
  return result;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return platform::Guarded<int>(1, [] { return Run(); });
}
