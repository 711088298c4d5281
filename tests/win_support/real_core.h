// The application core on the real Windows adapters, with an INI file and a
// picture folder of its own.
#pragma once

#include "app/app_core.h"
#include "browser/folder_picture_list.h"
#include "platform/win32/clock_and_locale.h"
#include "platform/win32/desktop.h"
#include "platform/win32/file_system.h"
#include "platform/win32/profile_file.h"
#include "platform/win32/registry.h"
#include "win_support/program_runner.h"

namespace tapestrel::testing {

struct RealCore {
  TempFolder appFolder;
  TempFolder pictures;
  platform::ProfileFile profile{appFolder / "Tapestrel.ini"};
  platform::UserLocale locale;
  platform::LocalClock clock;
  platform::WindowsFileSystem files;
  platform::CurrentUserRegistry registry;
  platform::WindowsDesktop desktop;
  app::NoPluginPictures plugins;
  browser::FolderPictureList list{files};
  app::SeededRandom random{3};
  app::AppCore core{{profile, locale, clock, files, registry, desktop, plugins, appFolder.Path() + "\\"}, list,
                    random};

  // Lists the picture folder's files of these extensions.
  void ListPictures(std::vector<std::string> extensions) {
    list.SetExtensions(std::move(extensions));
    list.SetFolder(pictures.Path());
  }
};

}  // namespace tapestrel::testing
