// The application core without its windows: the settings record, the change
// engine and the change record, over the platform ports. The main window owns
// one and forwards its commands here.
#pragma once

#include <string>

#include "app/change_engine.h"
#include "app/ini_file.h"
#include "app/random_source.h"
#include "app/settings_record.h"
#include "browser/picture_list.h"
#include "platform/clock_port.h"
#include "platform/file_system_port.h"
#include "platform/registry_port.h"

namespace tapestrel::app {

struct AppPorts {
  platform::ProfilePort& profile;
  const platform::LocalePort& locale;
  const platform::ClockPort& clock;
  const platform::FileSystemPort& files;
  platform::RegistryPort& registry;
};

extern const char kDesktopKey[];  // "Control Panel\Desktop"

class AppCore : public WallpaperApplier {
 public:
  AppCore(const AppPorts& ports, const browser::PictureList& pictures, RandomSource& random);

  SettingsRecord& Settings() { return settings_; }
  const SettingsRecord& Settings() const { return settings_; }
  IniFile& Ini() { return ini_; }
  const AppPorts& Ports() const { return ports_; }
  const browser::PictureList& Pictures() const { return pictures_; }
  RandomSource& Random() { return random_; }

  // Chooses the next picture by the selection method and applies it.
  void ChangeWallpaper(int mode);
  // Makes the file the wallpaper; nothing at all while urgent evasion is on
  // or when no such file exists.
  void ApplyWallpaper(const std::string& fileName, int mode) override;
  // Moves the change state on: the time always, the registry's record of the
  // source picture always, the index and the "System" keys unless quiet.
  void RecordChange(const std::string& fileName, int mode, const std::string& wallpaperFile);
  // The first entry of the picture list with exactly this path, or Count.
  int IndexInPictureList(const std::string& path) const;

 private:
  AppPorts ports_;
  const browser::PictureList& pictures_;
  RandomSource& random_;
  IniFile ini_;
  SettingsRecord settings_;
};

}  // namespace tapestrel::app
