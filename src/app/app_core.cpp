#include "app/app_core.h"

#include "app/settings_store.h"

namespace tapestrel::app {

const char kDesktopKey[] = "Control Panel\\Desktop";
const char kColorsKey[] = "Control Panel\\Colors";
const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

AppCore::AppCore(const AppPorts& ports, const browser::PictureList& pictures, RandomSource& random)
    : ports_(ports), pictures_(pictures), random_(random), ini_(ports.profile, ports.locale) {}

void AppCore::ChangeWallpaper(int mode) {
  app::ChangeWallpaper(settings_.WallSlelct, settings_.LastWallIndex, pictures_, random_, *this, mode);
}

void AppCore::RecordChange(const std::string& fileName, int mode, const std::string& wallpaperFile) {
  settings_.LastChangTime = ports_.clock.Now();
  ports_.registry.WriteString(kDesktopKey, "ConvertedWallpaper", fileName);
  if (mode == kChangeQuiet) return;
  settings_.LastWallIndex = IndexInPictureList(fileName);
  WriteChangeState(ini_, settings_.LastWallIndex, fileName, settings_.LastChangTime);
}

int AppCore::IndexInPictureList(const std::string& path) const {
  const int count = pictures_.Count();
  for (int i = 0; i < count; ++i) {
    if (pictures_.Path(i) == path) return i;
  }
  return count;
}

}  // namespace tapestrel::app
