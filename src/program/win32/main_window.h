// The main window: a browser over the wallpaper folder that owns the settings
// record, the wallpaper change and every command. It is created hidden;
// program entry decides whether it is shown.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_ports.h"
#include "app/change_engine.h"
#include "app/hot_key_slots.h"
#include "app/ini_file.h"
#include "app/scheduler.h"
#include "app/screen_capture.h"
#include "app/settings_store.h"
#include "app/urgent_evasion.h"
#include "app/wallpaper_changer.h"
#include "app/wallpaper_renderer.h"
#include "app/win32/application_probe.h"
#include "app/win32/screen_capture.h"
#include "browser/win32/img_list_view.h"
#include "browser/win32/view_picture_list.h"
#include "platform/file_drop_list.h"
#include "platform/win32/cpu_usage_meter.h"
#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"
#include "platform/win32/hook_hot_key.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/tray_icon.h"
#include "platform/win32/window.h"
#include "program/win32/actions.h"
#include "program/win32/main_window_thumbnails.h"

namespace tapestrel::platform {
class FileClipboard;
}

namespace tapestrel::settings_ui {
class SettingsDialog;
}

namespace tapestrel::app {

class RegistrationProgressWindow;

class MainWindow : public platform::Window, public SettingsHost, public ChangeRequester {
 public:
  // Creates the window (hidden) and runs FormCreate.
  MainWindow(const AppPorts& ports, const std::vector<std::string>& args);
  ~MainWindow() override;

  SettingsRecord& Settings() { return settings_; }
  IniFile& Ini() { return ini_; }
  WallpaperChanger& Changer() { return changer_; }
  ActionList& Actions() { return actions_; }
  browser::TImgListView& View() { return *view_; }
  const browser::PictureList& Pictures() const { return pictures_; }

  void LoadSettings();
  void SaveSettings(bool includeWindow);
  void ChangeWallpaper(ChangeMode mode) override { changer_.ChangeWallpaper(mode); }
  void ApplyWallpaper(const std::string& fileName, ChangeMode mode) {
    changer_.ApplyWallpaper(fileName, mode);
  }

  // The window-state commands.
  void GoToTaskTrayExecute();
  void WindowShowExecute();
  void ApplicationExitExecute();
  void OnTrayIconDoubleClick();
  // Tray menu "壁紙を変更(&D)" and "緊急回避モード(&U)".
  void OnChangeWallpaperCommand();
  void OnUrgentEvasionCommand();
  void OnHotKey(HotKeySlot slot);
  // Captures the whole screen or the active window into the wallpaper
  // folder and makes it the wallpaper.
  void CaptureToWallpaper(CaptureArea area);
  void ToggleUrgentEvasion();
  // "設定(&C)...": the settings dialog, and on OK everything that follows.
  void CustomizeExecute();

  platform::TTrayIcon& TrayIcon() { return *trayIcon_; }
  HMENU TrayMenu() const { return trayMenu_.Get(); }
  platform::THookHotKey& HotKeys() { return *hotKeys_; }
  Scheduler& ChangeScheduler() { return *scheduler_; }
  // Shows the window at start-up (normal or maximised as loaded).
  void ShowAtStart();
  void Terminate();

  // The filter of the add-pictures dialog, built at start-up.
  const std::string& OpenPictureFilter() const { return openPictureFilter_; }

  // Adding pictures and the file clipboard (main_window_registration.cpp).
  void LoadFileExecute();
  void LoadFolderExecute();
  void PasteExecute();
  void CutExecute();
  void CopyExecute();
  // Files dropped on the browser: registered here, never by the view's own drop.
  void OnFileDragDrop(const std::vector<std::string>& files, bool& accept);
  // Copies pictures into the wallpaper folder; answers how many were copied.
  int RegisterPictures(const std::vector<std::string>& entries);
  platform::FileClipboard& Clipboard();
  RegistrationProgressWindow& RegistrationWindow();

  // What a save takes into the record's "Window" and "List" fields: the
  // window's place, the checked view mode and style (0 when none of 1..5 is
  // checked), the browser's sort kind and direction.
  WindowGeometry GetWindowGeometry() const;
  int CheckedViewMode() const;
  int CheckedViewStyle() const;
  int SortKind() const;
  bool SortDescending() const;

  // SettingsHost: what loading applies.
  void SetWindowGeometry(const WindowGeometry& geometry) override;
  void RunViewAction(int mode) override;
  void RunStyleAction(int style) override;
  void RunSortAction(int kind) override;
  void SetSortDescending(bool descending) override;
  void SetBrowserFolder(const std::string& folder) override;
  void ApplyTrayResiding() override;
  void RegisterHotKeys() override;

  // The bars and the view's own menu, for tests and screenshots.
  HWND ToolBar() const { return toolBar_; }
  HWND StatusBar() const { return statusBar_; }
  HMENU ViewMenu() const { return viewMenu_.Get(); }
  // Opens a tool-bar drop-down menu (IDC_TOOL_VIEW_MODE, IDC_TOOL_VIEW_STYLE).
  void PopUpToolMenu(UINT button);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static constexpr UINT_PTR kSchedulerTimer = 1;

  void FormCreate(const std::vector<std::string>& args);
  void CreateServices();
  HMENU BuildTrayMenu();
  void TaskTrayMenuPopup();
  void CreateActions();
  void CreateBrowser();
  void CreateThumbnails();
  void SetBrowserExtensions(const std::string& displayed);
  // The thumbnails follow the record's photo orientation (a change re-makes them).
  void FollowPictureSettings();
  void BuildPictureExtensions();
  void FormClose();
  LRESULT WMQueryEndSession();
  void SortBy(int kind);
  void MeasurePlacementOffset();
  void TapestrelHelpExecute();
  void AboutDialogExecute();
  void ShowTrayIcon(TrayIconImage image);
  void LayOut();
  void CreateSettingsDialog();
  // Tool bar and status bar (main_window_bars.cpp).
  void CreateBars();
  RECT LayOutBars(RECT client);  // the area left between the bars
  bool OnBarsNotify(const NMHDR& header, LRESULT& result);
  bool OnBarsCommand(UINT id);
  void UpdateToolBar();
  void SetToolImages();
  void ScaleBars();
  // WM_DPICHANGED: everything laid out again for the new scale.
  void FollowDpi(int dpi);
  void ShowSelectionText();
  void ShowLoadingText(const std::wstring& text);
  // The view's double click, Enter, context menu and selection commands
  // (main_window_input.cpp).
  void CreateViewInput();
  void ApplySelectedPicture(ChangeMode mode);
  // View modes, styles and tile drawing (main_window_view.cpp).
  void CreateViewCommands();
  void HookTileDrawing();
  void ViewModeExecute(int mode);
  void ViewStyleExecute(int style);
  void DrawTile(HDC dc, int index, const RECT& iconRect);
  struct Registration;
  void CreateRegistration();
  void PlaceSelectionOnClipboard(platform::DropEffect effect);
  std::vector<std::string> SelectedPicturePaths() const;

  AppPorts ports_;
  SettingsRecord settings_;
  IniFile ini_;
  browser::ViewPictureList pictures_;  // the view's, once it exists
  std::unique_ptr<RandomSource> random_;
  WallpaperRenderer renderer_;
  WallpaperChanger changer_;
  ActionList actions_;
  std::unique_ptr<browser::TImgListView> view_;
  std::unique_ptr<MainWindowThumbnails> thumbnails_;
  std::unique_ptr<platform::TCpuUsage> cpuUsage_;
  std::unique_ptr<platform::THookHotKey> hotKeys_;
  std::unique_ptr<platform::TTrayIcon> trayIcon_;
  platform::UniqueMenu trayMenu_;
  WindowsApplicationProbe applicationProbe_;
  platform::WindowsKeyboard keyboard_;
  WindowsScreenCapture screenCapture_;
  std::unique_ptr<UrgentEvasion> evasion_;
  std::unique_ptr<WallpaperCapture> capture_;
  std::unique_ptr<Scheduler> scheduler_;
  std::string openPictureFilter_;
  std::shared_ptr<settings_ui::SettingsDialog> settingsDialog_;  // its pages live until exit
  std::string pictureMask_;  // "*.bmp;*.jpg;...", which files registration takes
  std::unique_ptr<Registration> registration_;
  bool maximized_ = false;
  bool shownOnce_ = false;
  bool endsAfterChange_ = false;  // "/wallchange" alone: no tray icon, no hot keys
  POINT placementOffset_{0, 0};  // screen minus placement coordinates
  int dpi_ = platform::kDefaultDpi;  // the scale the window is laid out for
  platform::UniqueGdiObject barFont_;  // the status bar's, once the scale changed
  HWND toolBar_ = nullptr;    // children: destroyed with the window
  HWND statusBar_ = nullptr;
  std::unique_ptr<_IMAGELIST, decltype(&ImageList_Destroy)> toolImages_{nullptr, &ImageList_Destroy};
  platform::UniqueMenu viewModeMenu_;
  platform::UniqueMenu viewStyleMenu_;
  platform::UniqueMenu viewMenu_;
  bool tileLayout_ = false;      // set by view mode 1 only
  platform::UniqueGdiObject tileBoldFont_;
  HFONT tileFontSource_ = nullptr;  // the view font the bold one was made from
};

}  // namespace tapestrel::app
