#include "program/win32/main_window.h"

#include <ctime>

#include "app/picture_extensions.h"
#include "app/startup_rules.h"
#include "app/view_options.h"
#include "imaging/picture_formats.h"
#include "platform/ansi_text.h"
#include "platform/error_guard.h"
#include "platform/win32/file_system.h"
#include "platform/win32/text.h"
#include "program/win32/main_window_registration.h"

namespace tapestrel::app {
namespace {

constexpr wchar_t kMainWindowClass[] = L"TapestrelMainWindow";

// The main menu's "表示(&V)": the view modes, the styles and the sort order.
std::vector<MenuItem> ViewMenuItems() {
  std::vector<MenuItem> items = ViewModeItems();
  items.insert(
      items.end(),
      {{}, {0, "スタイル(&V)", ViewStyleItems()}, {}, {0, "アイコンの整列(&T)", SortItems()}, {kActRefresh}});
  return items;
}

uint64_t ClockSeed() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<uint64_t>(counter.QuadPart) ^ (static_cast<uint64_t>(std::time(nullptr)) << 32) ^
         GetCurrentProcessId();
}

}  // namespace

MainWindow::MainWindow(const AppPorts& ports, const std::vector<std::string>& args)
    : ports_(ports),
      ini_(ports.profile, ports.locale),
      random_(std::make_unique<SeededRandom>(ClockSeed())),  // seeded once, here
      renderer_(settings_,
                {ports.registry, ports.desktop, ports.files, ports.plugins, ports.executableFolder}),
      changer_(settings_, ini_, pictures_, *random_, renderer_, {ports.clock, ports.files, ports.registry}) {
  CreateActions();
  HMENU menu = BuildMenu(actions_,
                         {
                             {0, "システム(&S)", {{kActGoToTaskTray}, {kActApplicationExit}}},
                             {0, "編集(&E)", EditItems()},
                             {0, "表示(&V)", ViewMenuItems()},
                             {kActCustomize},
                             {0, "ヘルプ(&H)", {{kActTapestrelHelp}, {kActAboutDialog}}},
                         },
                         false);
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
  // Until the INI file gives it a place, the size is the system's scale's.
  dpi_ = platform::SystemDpi();
  const platform::DpiScale px(dpi_);
  Create(kMainWindowClass, L"Tapestrel", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, CW_USEDEFAULT,
         CW_USEDEFAULT, px(800), px(600), nullptr, menu, icon);
  CreateBrowser();
  CreateBars();
  CreateViewInput();
  FollowDpi(platform::WindowDpi(Handle()));  // a monitor of another scale than the system's
  LayOut();
  CreateServices();
  CreateRegistration();
  FormCreate(args);
  CreateSettingsDialog();
}

MainWindow::~MainWindow() {
  if (Handle()) KillTimer(Handle(), kSchedulerTimer);
  pictures_.Attach(nullptr);
}

void MainWindow::CreateActions() {
  auto add = [this](UINT id, const char* name, const char* caption, const char* shortcut = "",
                    ActionGroup group = kNoGroup) {
    actions_.Add({id, name, caption, shortcut, group});
  };
  add(kActImage, "Image", "縮小版(&H)", "", kGroupViewMode);
  add(kActCustom, "Custom", "並べて表示(&S)", "", kGroupViewMode);
  add(kActIcon, "Icon", "アイコン(&N)", "", kGroupViewMode);
  add(kActSmallIcon, "SmallIcon", "小アイコン(&M))", "", kGroupViewMode);
  add(kActList, "List", "一覧(&L)", "", kGroupViewMode);
  add(kActReport, "Report", "詳細(&D)", "", kGroupViewMode);
  add(kActViewStyle1, "ViewStyle1", "Style1(&1)", "", kGroupViewStyle);
  add(kActViewStyle2, "ViewStyle2", "Style2(&2)", "", kGroupViewStyle);
  add(kActViewStyle3, "ViewStyle3", "Style3(&3)", "", kGroupViewStyle);
  add(kActViewStyle4, "ViewStyle4", "Style4(&4)", "", kGroupViewStyle);
  add(kActViewStyle5, "ViewStyle5", "Style5(&5)", "", kGroupViewStyle);
  add(kActViewStyle6, "ViewStyle6", "Style6(&6)", "", kGroupViewStyle);
  add(kActCustomize, "Customize", "設定(&C)...");
  add(kActLoadFile, "LoadFile", "ファイル読み込み(&L)...", "Ctrl+L");
  add(kActLoadFolder, "LoadFolder", "フォルダ読み込み(&F)...", "Ctrl+F");
  add(kActCut, "Cut", "切り取り(&T)", "Ctrl+X");
  add(kActCopy, "Copy", "コピー(&C)", "Ctrl+C");
  add(kActPaste, "Paste", "貼り付け(&P)", "Ctrl+V");
  add(kActSelectAll, "SelectAll", "すべて選択(&A)", "Ctrl+A");
  add(kActChangeSelect, "ChangeSelect", "選択の切り替え(&I))");
  add(kActRefresh, "Refresh", "最新の情報に更新(&R)", "F5");
  add(kActIconSortForName, "IconSortForName", "名前(&N)");
  add(kActIconSortForSize, "IconSortForSize", "サイズ(&S)");
  add(kActIconSortForType, "IconSortForType", "種類(&T)");
  add(kActIconSortForDate, "IconSortForDate", "更新日時(&M)");
  add(kActGoToTaskTray, "GoToTaskTray", "タスクトレイへ(&T)");
  add(kActWindowShow, "WindowShow", "Tapestrelの表示(&W)");
  add(kActApplicationExit, "ApplicationExit", "終了(&X)");
  add(kActTapestrelHelp, "TapestrelHelp", "Tapestrel ヘルプ(&W)");
  add(kActAboutDialog, "AboutDialog", "バージョン情報(&A)...");

  actions_.SetHandler(kActGoToTaskTray, [this] { GoToTaskTrayExecute(); });
  actions_.SetHandler(kActWindowShow, [this] { WindowShowExecute(); });
  actions_.SetHandler(kActApplicationExit, [this] { ApplicationExitExecute(); });
  actions_.SetHandler(kActTapestrelHelp, [this] { TapestrelHelpExecute(); });
  actions_.SetHandler(kActAboutDialog, [this] { AboutDialogExecute(); });
  actions_.SetHandler(kActRefresh, [this] { view_->ReloadFolder(); });
  actions_.SetHandler(kActIconSortForName, [this] { SortBy(0); });
  actions_.SetHandler(kActIconSortForSize, [this] { SortBy(1); });
  actions_.SetHandler(kActIconSortForType, [this] { SortBy(2); });
  actions_.SetHandler(kActIconSortForDate, [this] { SortBy(3); });
  CreateViewCommands();
}

void MainWindow::FormCreate(const std::vector<std::string>& args) {
  // The program-wide error handler is the guard in every window procedure;
  // the generator was seeded in the constructor. Plug-ins come before the
  // settings, so that their formats are in the picture list.
  ports_.plugins.LoadAtStartup();
  CreateThumbnails();
  // The browser's filter before its folder: the folder is read once.
  BuildPictureExtensions();
  const CommandLineSwitches switches = ParseSwitches(args);
  endsAfterChange_ = EndsAfterChange(switches);
  LoadSettings();

  if (ShouldChangeOnNewDay(settings_, switches, ports_.clock.Now())) {
    // A picture that fails here is dropped like any other error: the
    // program still starts.
    platform::Guarded([&] { ChangeWallpaper(ChangeMode::Ordinary); });
  }
  settings_.LastChangeTime = ports_.clock.Now();
}

void MainWindow::BuildPictureExtensions() {
  const imaging::PictureFormatRegistry& formats = imaging::PictureFormats();
  const std::vector<std::string> extensions = BuildPictureExtensionList(formats.FileMask());
  const std::string displayed = BuildDisplayedExtensions(extensions);
  if (displayed.empty()) return;
  SetBrowserExtensions(displayed);
  pictureMask_ = displayed;
  openPictureFilter_ = BuildOpenPictureFilter(formats.Filter(), displayed);
}

void MainWindow::LoadSettings() { app::LoadSettings(settings_, ini_, ports_.clock, *this); }

void MainWindow::SaveSettings(bool includeWindow) {
  if (includeWindow) settings_.Window = GetWindowGeometry();
  settings_.ViewMode = CheckedViewMode();
  settings_.ViewStyle = CheckedViewStyle();
  settings_.SortType = SortKind();
  settings_.SortDescending = SortDescending();
  app::SaveSettings(settings_, ini_, includeWindow);
}

void MainWindow::SetWindowGeometry(const WindowGeometry& g) {
  // The INI file holds the window's edges on the screen: placed by screen
  // coordinates while the window is hidden and normal, it keeps them as its
  // normal place when it is maximised later.
  if (IsZoomed(Handle()) || IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
  SetWindowPos(Handle(), nullptr, g.left, g.top, g.width, g.height, SWP_NOZORDER | SWP_NOACTIVATE);
  MeasurePlacementOffset();
  maximized_ = g.maximized;
}

WindowGeometry MainWindow::GetWindowGeometry() const {
  RECT r{};
  if (IsZoomed(Handle()) || IsIconic(Handle())) {
    // Only the placement knows the normal place now; Windows gives it in
    // work-area coordinates, which a task bar at the top or left shifts.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(Handle(), &placement);
    r = placement.rcNormalPosition;
    OffsetRect(&r, placementOffset_.x, placementOffset_.y);
  } else {
    GetWindowRect(Handle(), &r);
  }
  WindowGeometry g{r.left, r.top, r.right - r.left, r.bottom - r.top, maximized_};
  if (IsWindowVisible(Handle())) g.maximized = IsZoomed(Handle()) != FALSE;
  return g;
}

void MainWindow::MeasurePlacementOffset() {
  // How far the placement's coordinates are from the screen's, read off
  // while the window is in its normal state (and so both rectangles agree).
  if (IsZoomed(Handle()) || IsIconic(Handle())) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  RECT screen{};
  if (!GetWindowPlacement(Handle(), &placement) || !GetWindowRect(Handle(), &screen)) return;
  placementOffset_ = {screen.left - placement.rcNormalPosition.left,
                      screen.top - placement.rcNormalPosition.top};
}

void MainWindow::RunViewAction(int mode) { actions_.Execute(kActImage + static_cast<UINT>(mode)); }

void MainWindow::RunStyleAction(int style) { actions_.Execute(kActViewStyle1 + static_cast<UINT>(style)); }

void MainWindow::RunSortAction(int kind) { actions_.Execute(kActIconSortForName + static_cast<UINT>(kind)); }

int MainWindow::CheckedViewMode() const {
  for (int mode = 5; mode >= 1; --mode) {
    if (actions_.IsChecked(kActImage + static_cast<UINT>(mode))) return mode;
  }
  return 0;
}

int MainWindow::CheckedViewStyle() const {
  for (int style = 5; style >= 1; --style) {
    if (actions_.IsChecked(kActViewStyle1 + static_cast<UINT>(style))) return style;
  }
  return 0;
}

void MainWindow::ShowAtStart() {
  shownOnce_ = true;
  ShowWindow(Handle(), maximized_ ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  UpdateWindow(Handle());
  SetForegroundWindow(Handle());
}

void MainWindow::GoToTaskTrayExecute() {
  if (IsWindowVisible(Handle())) maximized_ = IsZoomed(Handle()) != FALSE;
  ShowWindow(Handle(), SW_HIDE);
}

void MainWindow::WindowShowExecute() {
  // After a start in the tray the window has never been shown: it comes up
  // in the state loaded from the INI file, maximised included.
  if (!shownOnce_) {
    ShowAtStart();
    return;
  }
  if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
}

void MainWindow::ApplicationExitExecute() {
  SaveSettings(true);  // a failed save stops here: the program goes on
  Terminate();
}

void MainWindow::Terminate() { PostQuitMessage(0); }

void MainWindow::FormClose() {
  if (settings_.TaskTrayResiding) {
    GoToTaskTrayExecute();
    return;
  }
  SaveSettings(true);
  ShowWindow(Handle(), SW_HIDE);
  Terminate();
}

LRESULT MainWindow::WMQueryEndSession() {
  // Windows is never refused: a change that fails must not keep the
  // settings from being saved, and neither may hold up the log-off.
  if (settings_.WallOSEndChange) platform::Guarded([&] { ChangeWallpaper(ChangeMode::AtSessionEnd); });
  platform::Guarded([&] { SaveSettings(true); });
  return 1;
}

void MainWindow::LayOut() {
  if (!view_) return;
  RECT client;
  GetClientRect(Handle(), &client);
  view_->SetBounds(LayOutBars(client));
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      LayOut();
      if (wParam == SIZE_MAXIMIZED) maximized_ = true;
      if (wParam == SIZE_RESTORED) {
        maximized_ = false;
        MeasurePlacementOffset();
      }
      return 0;
    case WM_COMMAND:
      if (actions_.Execute(LOWORD(wParam))) return 0;
      if (OnBarsCommand(LOWORD(wParam))) return 0;
      break;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (OnBarsNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return result;
      break;
    }
    case WM_INITMENUPOPUP:
      actions_.UpdateMenu(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kSchedulerTimer) scheduler_->Tick();
      return 0;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_QUERYENDSESSION:
      return WMQueryEndSession();
    case WM_DPICHANGED:
      FollowDpi(platform::TakeSuggestedPlace(Handle(), wParam, lParam));
      return 0;
    case WM_DISPLAYCHANGE:
      platform::Guarded([&] { changer_.RedrawForDisplayChange(); });
      return 0;
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

}  // namespace tapestrel::app
