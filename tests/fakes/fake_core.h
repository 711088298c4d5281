// The wallpaper change over in-memory ports and a private folder of real
// picture files, for native tests.
#pragma once

#include <string>
#include <vector>

#include "app/ini_file.h"
#include "app/plugin_pictures.h"
#include "app/registry_keys.h"
#include "app/settings_record.h"
#include "app/wallpaper_changer.h"
#include "app/wallpaper_renderer.h"
#include "browser/picture_list.h"
#include "fakes/fake_ports.h"
#include "fakes/picture_files.h"

namespace tapestrel::testing {

class FakePictureList : public browser::PictureList {
 public:
  std::vector<std::string> paths;
  int Count() const override { return static_cast<int>(paths.size()); }
  std::string Path(int i) const override { return paths.at(static_cast<size_t>(i)); }
};

// Plug-ins that read files ending in `extension` (none by default).
class FakePlugins : public app::PluginPictures {
 public:
  std::string extension;
  imaging::Bitmap picture = SolidPicture(6, 3, 0x00FF00);
  int FindPlugin(const std::string& path) override {
    const bool ends = !extension.empty() && path.size() > extension.size() &&
                      path.compare(path.size() - extension.size(), extension.size(), extension) == 0;
    return ends ? 0 : -1;
  }
  imaging::Bitmap LoadPicture(const std::string&) override { return picture; }
};

struct FakeCore {
  FakeProfile profile;
  FakeLocale locale;
  FakeClock clock;
  FakeFileSystem files;
  FakeRegistry registry;
  FakeDesktop desktop;
  FakePlugins plugins;
  PictureFolder folder;
  FakePictureList pictures;
  app::SeededRandom random{7};
  app::SettingsRecord settings;
  app::IniFile ini{profile, locale};
  app::WallpaperRenderer renderer{settings, {registry, desktop, files, plugins, folder.Path()}};
  app::WallpaperChanger changer{settings, ini, pictures, random, renderer, {clock, files, registry}};

  // A picture file of one color in the folder, known to the file system and,
  // when asked, listed.
  std::string Picture(const std::string& name, uint32_t color, bool listed = true, int width = 8,
                      int height = 8) {
    const std::string path = folder.WriteBmp(name, SolidPicture(width, height, color));
    files.files.insert(path);
    if (listed) pictures.paths.push_back(path);
    return path;
  }
  std::string Registry(const char* key, const char* name) const {
    auto it = registry.values.find({key, name});
    return it == registry.values.end() ? "<missing>" : it->second;
  }
};

}  // namespace tapestrel::testing
