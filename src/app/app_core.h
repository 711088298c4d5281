// The application core without its windows: the settings record, the change
// engine and the change record, over the platform ports. The main window owns
// one and forwards its commands here.
#pragma once

#include <optional>
#include <string>

#include "app/change_engine.h"
#include "app/ini_file.h"
#include "app/plugin_pictures.h"
#include "app/random_source.h"
#include "app/settings_record.h"
#include "browser/picture_list.h"
#include "imaging/bitmap.h"
#include "imaging/pixel_convert.h"
#include "platform/clock_port.h"
#include "platform/desktop_port.h"
#include "platform/file_system_port.h"
#include "platform/registry_port.h"

namespace tapestrel::app {

struct AppPorts {
  platform::ProfilePort& profile;
  const platform::LocalePort& locale;
  const platform::ClockPort& clock;
  const platform::FileSystemPort& files;
  platform::RegistryPort& registry;
  platform::DesktopPort& desktop;
  PluginPictures& plugins;
  std::string executableFolder;  // with its trailing backslash
};

extern const char kDesktopKey[];       // "Control Panel\Desktop"
extern const char kColorsKey[];        // "Control Panel\Colors"
extern const char kShellFoldersKey[];  // the Explorer's "Shell Folders"

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
  // Makes the picture file the wallpaper: decodes it, writes the wallpaper
  // file, prepares it for the position mode and hands it to Windows (or, at
  // the end of the session, to the registry for the next logon). Nothing at
  // all while urgent evasion is on or when no such file exists; an
  // undecodable picture throws after the tile and style values are written.
  void ApplyWallpaper(const std::string& fileName, int mode) override;
  // The record's blank colour, or the picture's automatic colour.
  imaging::ColorValue GetBlankColor(const imaging::Bitmap& picture) const;
  // Position mode 3: the picture scaled onto a screen-sized canvas and
  // written as the wallpaper file (the picture itself when its proportions
  // already match the screen's).
  void RenderRatioExpansion(const imaging::Bitmap& picture, const std::string& wallpaperFile);
  // Where the wallpaper file goes: below "Local AppData", or beside the
  // executable when that folder is unknown.
  std::string WallpaperFilePath() const;
  // Moves the change state on: the time always, the registry's record of the
  // source picture always, the index and the "System" keys unless quiet.
  void RecordChange(const std::string& fileName, int mode, const std::string& wallpaperFile);
  // The first entry of the picture list with exactly this path, or Count.
  int IndexInPictureList(const std::string& path) const;

 private:
  // Empty when no decoder takes the file's extension.
  std::optional<imaging::Bitmap> DecodePicture(const std::string& fileName);
  void ApplyBlankColour(const imaging::Bitmap& picture, int mode);
  void HandToWindows(const std::string& wallpaperFile, int mode);
  // A system colour value resolved to its current RGB.
  imaging::ColorValue PlainRgb(imaging::ColorValue colour) const;

  AppPorts ports_;
  const browser::PictureList& pictures_;
  RandomSource& random_;
  IniFile ini_;
  SettingsRecord settings_;
};

}  // namespace tapestrel::app
