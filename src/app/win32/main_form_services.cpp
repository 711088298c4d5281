// The main window's system services: the notification-area icon and its
// menu, the global hot keys and the one-second scheduler tick.
#include "app/win32/main_form.h"

#include "app/screen_capture.h"
#include "platform/error_guard.h"

namespace tapestrel::app {

void TForm1::CreateServices() {
  cpuUsage_ = std::make_unique<platform::TCpuUsage>();
  hotKeys_ = std::make_unique<platform::THookHotKey>(Handle());
  hotKeys_->Activate = false;
  hotKeys_->OnHotKey = [this](platform::THookHotKey&, int index) { HookHotKey1HotKey(index); };

  trayMenu_.Reset(BuildTrayMenu());
  trayIcon_ = std::make_unique<platform::TTrayIcon>();
  trayIcon_->SetResourceIconList({"TTICON", "TFICON"});
  trayIcon_->SetTipHelp("Tapestrel");
  trayIcon_->RButtonPopupMenu = trayMenu_.Get();
  trayIcon_->OnDblClick = [this] { TrayIcon1DblClick(); };
  trayIcon_->OnPopup = [this] { TaskTrayMenuPopup(); };
  trayIcon_->OnMenuCommand = [this](UINT command) { TrayMenuCommand(command); };

  evasion_ = std::make_unique<UrgentEvasion>(core_, keyboard_, [this](int icon) {
    platform::Guarded([&] { trayIcon_->SetResourceIconID(icon); });
  });
  scheduler_ = std::make_unique<Scheduler>(Settings(), ports_.clock, *random_, *cpuUsage_, applicationProbe_, *this);
  SetTimer(Handle(), kTimer1, 1000, nullptr);
}

HMENU TForm1::BuildTrayMenu() {
  actions_.Add({kCmdChangeWallpaper, "N22", "壁紙を変更(&D)", ""});
  actions_.Add({kCmdUrgentEvasion, "N24", "緊急回避モード(&U)", ""});
  actions_.SetHandler(kCmdChangeWallpaper, [this] { N22Click(); });
  actions_.SetHandler(kCmdUrgentEvasion, [this] { N24Click(); });
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

void TForm1::TaskTrayMenuPopup() {
  if (Action* evasion = actions_.Find(kCmdUrgentEvasion)) evasion->checked = Settings().UrgentEvasionMode;
  actions_.UpdateMenu(trayMenu_.Get());
}

void TForm1::TrayMenuCommand(UINT command) { actions_.Execute(command); }

void TForm1::ApplyTrayResiding() {
  // A shell that refuses the icon leaves it absent; loading the settings
  // goes on all the same.
  if (Settings().TaskTrayResiding) {
    platform::Guarded([&] { trayIcon_->SetVisible(true); });
    actions_.SetEnabled(kActGoToTaskTray, true);
    platform::Guarded([&] { trayIcon_->SetResourceIconID(Settings().UrgentEvasionMode ? 1 : 0); });
  } else {
    platform::Guarded([&] { trayIcon_->SetVisible(false); });
    actions_.SetEnabled(kActGoToTaskTray, false);
  }
}

void TForm1::RegisterHotKeys() {
  const SettingsRecord& s = Settings();
  hotKeys_->SetKey(0, s.WallChangeShortCutKey, s.WallChangeShortCutEnabled);
  hotKeys_->SetKey(1, s.AllCaptureHotKey, s.CaptureEnabled);
  hotKeys_->SetKey(2, s.ActiveCaptureHotKey, s.CaptureEnabled);
  hotKeys_->SetKey(3, s.UrgentEvasionHotKey, s.UrgentEvasionEnabled);
}

void TForm1::HookHotKey1HotKey(int index) {
  switch (index) {
    case 0: ChangeWallpaper(kChangeOrdinary); break;
    case 1: CaptureToWallpaper(false); break;
    case 2: CaptureToWallpaper(true); break;
    case 3: ToggleUrgentEvasion(); break;
    default: break;
  }
}

void TForm1::TrayIcon1DblClick() { ChangeWallpaper(kChangeOrdinary); }

void TForm1::N22Click() { ChangeWallpaper(kChangeOrdinary); }

void TForm1::N24Click() { evasion_->N24Click(); }

void TForm1::CaptureToWallpaper(bool activeWindow) {
  app::CaptureToWallpaper(core_, screenCapture_, activeWindow, [this] {
    // The new file joins the list first, so that it is recorded at its place.
    pictures_.Refresh();
    view_->Reload(pictures_);
  });
}

void TForm1::ToggleUrgentEvasion() { evasion_->ToggleUrgentEvasion(); }

}  // namespace tapestrel::app
