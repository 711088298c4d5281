// The main window's settings command: the settings dialog created at start-up
// and CustomizeExecute, the one way every setting is changed.
#include <algorithm>

#include "imaging/spi/spis.h"
#include "platform/win32/ansi_path.h"
#include "program/win32/main_window.h"
#include "settings_ui/win32/settings_dialog.h"
#include "settings_ui/win32/shell_link_shortcuts.h"

namespace tapestrel::app {
namespace {

// What OK changes on the main window's side.
class MainWindowCustomizeHost : public settings_ui::CustomizeHost {
 public:
  explicit MainWindowCustomizeHost(MainWindow& form) : form_(form) {}

  // A folder without an ANSI path differs from every folder of the settings.
  std::string BrowserFolder() const override {
    return platform::PathToAnsi(form_.View().FolderPath()).value_or(std::string());
  }
  void OpenFolder(const std::string& folder) override { form_.SetBrowserFolder(folder); }
  void ApplyTrayResiding() override { form_.ApplyTrayResiding(); }
  void SetChangeBlock(bool on) override {
    // As the tray menu item does it: the flag and the icon only.
    if (form_.Settings().UrgentEvasionMode != on) form_.OnUrgentEvasionCommand();
  }
  void SaveSettings() override { form_.SaveSettings(false); }
  void RegisterHotKeys() override { form_.RegisterHotKeys(); }

 private:
  MainWindow& form_;
};

// The loaded plug-ins, in load order, for the page "対応ピクチャファイル形式".
std::vector<settings_ui::FormatRow> FormatRows() {
  std::vector<settings_ui::PluginListing> plugins;
  if (const imaging::TSPIs* spis = imaging::TSPIs::Instance()) {
    for (int i = 0; i < spis->Count(); ++i) {
      const imaging::TSPIsItem& spi = spis->Items(i);
      plugins.push_back({spi.Masks(), spi.Descriptions(), spi.FileName()});
    }
  }
  return settings_ui::BuildFormatRows(plugins);
}

std::string ExecutablePath() {
  return platform::ModulePathToAnsi(nullptr).value_or("");
}

// Whatever ends the command, a main window that sat in the tray leaves no
// task-bar button behind.
class KeepHidden {
 public:
  explicit KeepHidden(HWND form) : form_(form), hidden_(!IsWindowVisible(form)) {}
  KeepHidden(const KeepHidden&) = delete;
  KeepHidden& operator=(const KeepHidden&) = delete;
  ~KeepHidden() {
    if (hidden_) ShowWindow(form_, SW_HIDE);
  }

 private:
  HWND form_;
  bool hidden_;
};

}  // namespace

void MainWindow::CreateSettingsDialog() {
  // The color dialog's custom colors are kept at once, even when the
  // settings dialog is then cancelled.
  settingsDialog_ = std::make_shared<settings_ui::SettingsDialog>(
      [this](const CustomColors& colors) {
        settings_.ColorDialogColors = colors;
        WriteCustomColors(ini_, colors);
      },
      Handle());
  actions_.SetHandler(kActCustomize, [this] { CustomizeExecute(); });
}

void MainWindow::CustomizeExecute() {
  KeepHidden keepHidden(Handle());
  MainWindowCustomizeHost host(*this);
  settings_ui::ShellLinkShortcuts shortcuts(Handle());
  settings_ui::StartupShortcut shortcut(shortcuts, ExecutablePath());
  settings_.ColorDialogColors = ReadCustomColors(ini_);
  settings_ui::CustomizeExecute(
      {settings_, host, shortcut, *settingsDialog_, ports_.clock, openPictureFilter_, FormatRows()});
  FollowPictureSettings();
}

}  // namespace tapestrel::app
