// The wallpaper change on the real Windows adapters, with an INI file and a
// picture folder of its own.
#pragma once

#include <string>
#include <vector>

#include "app/ini_file.h"
#include "app/registry_keys.h"
#include "app/settings_record.h"
#include "app/wallpaper_changer.h"
#include "app/wallpaper_renderer.h"
#include "browser/folder_picture_list.h"
#include "platform/win32/clock_and_locale.h"
#include "platform/win32/desktop.h"
#include "platform/win32/file_system.h"
#include "platform/win32/profile_file.h"
#include "platform/win32/registry.h"
#include "win_support/files.h"

namespace tapestrel::testing {

// The real desktop, with a note of every sound asked for: a beep cannot be
// heard from a test.
class ObservedDesktop : public platform::WindowsDesktop {
 public:
  std::vector<std::string> sounds;
  int beeps = 0;
  bool PlaySoundFile(const std::string& path) override {
    sounds.push_back(path);
    return WindowsDesktop::PlaySoundFile(path);
  }
  void DefaultBeep() override {
    ++beeps;
    WindowsDesktop::DefaultBeep();
  }
};

struct RealCore {
  TempFolder appFolder;
  TempFolder pictures;
  platform::ProfileFile profile{appFolder / "Tapestrel.ini"};
  platform::UserLocale locale;
  platform::LocalClock clock;
  platform::WindowsFileSystem files;
  platform::CurrentUserRegistry registry;
  ObservedDesktop desktop;
  app::NoPluginPictures plugins;
  browser::FolderPictureList list{files};
  app::SeededRandom random{3};
  app::SettingsRecord settings;
  app::IniFile ini{profile, locale};
  app::WallpaperRenderer renderer{settings, {registry, desktop, files, plugins, appFolder.Path() + "\\"}};
  app::WallpaperChanger changer{settings, ini, list, random, renderer, {clock, files, registry}};

  // Lists the picture folder's files of these extensions.
  void ListPictures(std::vector<std::string> extensions) {
    list.SetExtensions(std::move(extensions));
    list.SetFolder(pictures.Path());
  }
};

}  // namespace tapestrel::testing
