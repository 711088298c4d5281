// TForm1, the main window: a browser over the wallpaper folder that owns the
// settings record, the change engine and every command. It is created hidden;
// program entry decides whether it is shown.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_core.h"
#include "app/scheduler.h"
#include "app/settings_store.h"
#include "app/startup_rules.h"
#include "app/urgent_evasion.h"
#include "app/win32/actions.h"
#include "app/win32/application_probe.h"
#include "browser/folder_picture_list.h"
#include "browser/win32/picture_list_view.h"
#include "platform/win32/cpu_usage_meter.h"
#include "platform/win32/handles.h"
#include "platform/win32/hook_hot_key.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/screen_capture.h"
#include "platform/win32/tray_icon.h"
#include "platform/win32/window.h"

namespace tapestrel::app {

class TForm1 : public platform::Window, public SettingsHost, public ChangeRequester {
 public:
  // Creates the window (hidden) and runs FormCreate.
  TForm1(const AppPorts& ports, const std::vector<std::string>& args);
  ~TForm1() override;

  AppCore& Core() { return core_; }
  SettingsRecord& Settings() { return core_.Settings(); }
  ActionList& Actions() { return actions_; }
  browser::FolderPictureList& Pictures() { return pictures_; }

  void LoadSettings();
  void SaveSettings(bool includeWindow);
  void ChangeWallpaper(int mode) override { core_.ChangeWallpaper(mode); }
  void ApplyWallpaper(const std::string& fileName, int mode) { core_.ApplyWallpaper(fileName, mode); }

  // The window-state commands.
  void GoToTaskTrayExecute();
  void WindowShowExecute();
  void ApplicationExitExecute();
  void TrayIcon1DblClick();
  // Tray menu "壁紙を変更(&D)" and "緊急回避モード(&U)".
  void N22Click();
  void N24Click();
  // The four global hot keys: 0 change, 1 capture the screen, 2 capture the
  // active window, 3 urgent evasion.
  void HookHotKey1HotKey(int index);
  // Captures the whole screen or the active window into the wallpaper
  // folder and makes it the wallpaper.
  void CaptureToWallpaper(bool activeWindow);
  void ToggleUrgentEvasion();

  platform::TTrayIcon& TrayIcon1() { return *trayIcon_; }
  HMENU TrayMenu() const { return trayMenu_.Get(); }
  platform::THookHotKey& HookHotKey1() { return *hotKeys_; }
  Scheduler& Scheduler1() { return *scheduler_; }
  // Shows the window at start-up (normal or maximised as loaded).
  void ShowAtStart();
  void Terminate();

  // The filter of the add-pictures dialog, built at start-up.
  const std::string& OpenPictureFilter() const { return openPictureFilter_; }

  // SettingsHost: what loading applies and saving reads back.
  void SetWindowGeometry(const WindowGeometry& geometry) override;
  WindowGeometry GetWindowGeometry() const override;
  void RunViewAction(int mode) override;
  void RunStyleAction(int style) override;
  void RunSortAction(int kind) override;
  void SetSortDescending(bool descending) override;
  int CheckedViewMode() const override;
  int CheckedViewStyle() const override;
  int SortKind() const override { return sortKind_; }
  bool SortDescending() const override { return sortDescending_; }
  void SetBrowserFolder(const std::string& folder) override;
  void ApplyTrayResiding() override;
  void RegisterHotKeys() override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static constexpr UINT_PTR kTimer1 = 1;

  void FormCreate(const std::vector<std::string>& args);
  void CreateServices();
  HMENU BuildTrayMenu();
  void TaskTrayMenuPopup();
  void TrayMenuCommand(UINT command);
  void CreateActions();
  void BuildPictureExtensions();
  void FormClose();
  LRESULT WMQueryEndSession();
  void IconSort(int kind);
  void TapestrelHelpExecute();
  void LayOut();

  AppPorts ports_;
  browser::FolderPictureList pictures_;
  std::unique_ptr<RandomSource> random_;
  AppCore core_;
  ActionList actions_;
  std::unique_ptr<browser::PictureListView> view_;
  std::unique_ptr<platform::TCpuUsage> cpuUsage_;
  std::unique_ptr<platform::THookHotKey> hotKeys_;
  std::unique_ptr<platform::TTrayIcon> trayIcon_;
  platform::UniqueMenu trayMenu_;
  WindowsApplicationProbe applicationProbe_;
  platform::WindowsKeyboard keyboard_;
  platform::WindowsScreenCapture screenCapture_;
  std::unique_ptr<UrgentEvasion> evasion_;
  std::unique_ptr<Scheduler> scheduler_;
  std::string openPictureFilter_;
  int sortKind_ = 0;
  bool sortDescending_ = false;
  bool maximized_ = false;
};

}  // namespace tapestrel::app
