// The main window's system services: the notification-area icon and its
// menu, the global hot keys and the one-second scheduler tick.
#include "program/win32/main_window.h"

#include "platform/error_guard.h"

namespace tapestrel::app {

void MainWindow::CreateServices() {
  cpuUsage_ = std::make_unique<platform::TCpuUsage>();
  hotKeys_ = std::make_unique<platform::THookHotKey>(Handle());
  hotKeys_->Activate = false;
  hotKeys_->OnHotKey = [this](platform::THookHotKey&, int index) {
    OnHotKey(static_cast<HotKeySlot>(index));
  };

  trayMenu_.Reset(BuildTrayMenu());
  trayIcon_ = std::make_unique<platform::TTrayIcon>();
  trayIcon_->SetResourceIconList({"TTICON", "TFICON"});
  trayIcon_->SetTipHelp("Tapestrel");
  trayIcon_->RButtonPopupMenu = trayMenu_.Get();
  trayIcon_->OnDblClick = [this] { OnTrayIconDoubleClick(); };
  trayIcon_->OnPopup = [this] { TaskTrayMenuPopup(); };
  trayIcon_->OnMenuCommand = [this](UINT command) { actions_.Execute(command); };

  evasion_ = std::make_unique<UrgentEvasion>(settings_, ini_, changer_,
                                             UrgentEvasion::Ports{ports_.desktop, ports_.files, keyboard_},
                                             [this](TrayIconImage image) { ShowTrayIcon(image); });
  capture_ = std::make_unique<WallpaperCapture>(settings_, ports_.files, screenCapture_, changer_);
  scheduler_ =
      std::make_unique<Scheduler>(settings_, ports_.clock, *random_, *cpuUsage_, applicationProbe_, *this);
  SetTimer(Handle(), kSchedulerTimer, 1000, nullptr);
}

HMENU MainWindow::BuildTrayMenu() {
  actions_.Add({kCmdChangeWallpaper, "ChangeWallpaper", "壁紙を変更(&D)", ""});
  actions_.Add({kCmdUrgentEvasion, "UrgentEvasion", "緊急回避モード(&U)", ""});
  actions_.SetHandler(kCmdChangeWallpaper, [this] { OnChangeWallpaperCommand(); });
  actions_.SetHandler(kCmdUrgentEvasion, [this] { OnUrgentEvasionCommand(); });
  return BuildMenu(actions_,
                   {{kActWindowShow},
                    {kActGoToTaskTray},
                    {},
                    {kActCustomize},
                    {},
                    {kCmdChangeWallpaper},
                    {kCmdUrgentEvasion},
                    {},
                    {kActTapestrelHelp},
                    {kActAboutDialog},
                    {},
                    {kActApplicationExit}},
                   true);
}

void MainWindow::TaskTrayMenuPopup() {
  if (Action* evasion = actions_.Find(kCmdUrgentEvasion)) evasion->checked = settings_.UrgentEvasionMode;
  actions_.UpdateMenu(trayMenu_.Get());
}

void MainWindow::ApplyTrayResiding() {
  actions_.SetEnabled(kActGoToTaskTray, settings_.TaskTrayResiding);
  // A start that changes the wallpaper and ends never shows the icon: it
  // would flash in the notification area, and the shell's two round trips
  // to add and remove it are the dearest part of such a start.
  // A shell that refuses the icon leaves it absent; loading the settings
  // goes on all the same.
  if (settings_.TaskTrayResiding && !endsAfterChange_) {
    platform::Guarded([&] { trayIcon_->SetVisible(true); });
    ShowTrayIcon(TrayIconFor(settings_.UrgentEvasionMode));
  } else {
    platform::Guarded([&] { trayIcon_->SetVisible(false); });
  }
}

void MainWindow::ShowTrayIcon(TrayIconImage image) {
  platform::Guarded([&] { trayIcon_->SetResourceIconID(static_cast<int>(image)); });
}

void MainWindow::RegisterHotKeys() {
  if (endsAfterChange_) return;  // gone before any key could be pressed
  for (const HotKeyAssignment& a : HotKeyAssignments(settings_)) {
    hotKeys_->SetKey(static_cast<int>(a.slot), a.key, a.enabled);
  }
}

void MainWindow::OnHotKey(HotKeySlot slot) {
  switch (slot) {
    case HotKeySlot::WallChange:
      ChangeWallpaper(ChangeMode::Ordinary);
      break;
    case HotKeySlot::CaptureScreen:
      CaptureToWallpaper(CaptureArea::WholeScreen);
      break;
    case HotKeySlot::CaptureActiveWindow:
      CaptureToWallpaper(CaptureArea::ActiveWindow);
      break;
    case HotKeySlot::UrgentEvasion:
      ToggleUrgentEvasion();
      break;
  }
}

void MainWindow::OnTrayIconDoubleClick() { ChangeWallpaper(ChangeMode::Ordinary); }

void MainWindow::OnChangeWallpaperCommand() { ChangeWallpaper(ChangeMode::Ordinary); }

void MainWindow::OnUrgentEvasionCommand() { evasion_->ToggleChangeBlock(); }

void MainWindow::CaptureToWallpaper(CaptureArea area) {
  capture_->CaptureToWallpaper(area, [this] {
    // The new file joins the list first, so that it is recorded at its place.
    view_->RefreshFolder();
  });
}

void MainWindow::ToggleUrgentEvasion() { evasion_->ToggleUrgentEvasion(); }

}  // namespace tapestrel::app
