// The wallpaper change on the real Windows adapters, with an INI file and a
// picture folder of its own, listed by the program's own thumbnail view.
#pragma once

#include <ole2.h>

#include <memory>
#include <string>
#include <vector>

#include "app/ini_file.h"
#include "app/registry_keys.h"
#include "app/settings_record.h"
#include "app/wallpaper_changer.h"
#include "app/wallpaper_renderer.h"
#include "browser/win32/img_list_view.h"
#include "browser/win32/view_picture_list.h"
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

// A hidden window with the view over one folder, sorted by name.
class PictureFolderView {
 public:
  PictureFolderView(const std::string& folder, const std::vector<std::string>& extensions) {
    OleInitialize(nullptr);
    host_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    view_ = std::make_unique<browser::TImgListView>(host_);
    std::string ext;
    for (const std::string& e : extensions) ext += "*" + e + ";";
    view_->View.DispTypes.Ext = ext;
    view_->View.DispTypes.Folders = false;
    view_->OpenFolder(folder);
  }
  ~PictureFolderView() {
    view_.reset();
    DestroyWindow(host_);
    OleUninitialize();
  }
  browser::TImgListView& View() { return *view_; }

 private:
  HWND host_ = nullptr;
  std::unique_ptr<browser::TImgListView> view_;
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
  browser::ViewPictureList list;
  app::SeededRandom random{3};
  app::SettingsRecord settings;
  app::IniFile ini{profile, locale};
  app::WallpaperRenderer renderer{settings, {registry, desktop, files, plugins, appFolder.Path() + "\\"}};
  app::WallpaperChanger changer{settings, ini, list, random, renderer, {clock, files, registry}};
  std::unique_ptr<PictureFolderView> folderView;

  ~RealCore() { list.Attach(nullptr); }

  // Lists the picture folder's files of these extensions.
  void ListPictures(std::vector<std::string> extensions) {
    folderView = std::make_unique<PictureFolderView>(pictures.Path(), extensions);
    list.Attach(&folderView->View());
  }
  // Reads the folder again, as the view does when a file is added.
  void RefreshPictures() { folderView->View().RefreshFolder(); }
};

}  // namespace tapestrel::testing
