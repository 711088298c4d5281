// The program's picture plug-ins as the wallpaper code sees them.
#pragma once

#include "app/plugin_pictures.h"
#include "imaging/win32/plugin_host.h"

namespace tapestrel::app {

class SusiePluginPictures : public PluginPictures {
 public:
  void LoadAtStartup() override { host_.LoadAtStartup(); }
  int FindPlugin(const std::string& path) override { return host_.SPlugin().FindPlugin(path); }
  imaging::Bitmap LoadPicture(const std::string& path) override;
  imaging::TSPlugin* ThumbnailPlugins() override { return &host_.SPlugin(); }
  imaging::PluginHost& Host() { return host_; }

 private:
  imaging::PluginHost host_;
};

}  // namespace tapestrel::app
