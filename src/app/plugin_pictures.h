// Pictures in formats that only a picture plug-in reads.
#pragma once

#include <string>

#include "imaging/bitmap.h"

namespace tapestrel::imaging {
class TSPlugin;
}

namespace tapestrel::app {

class PluginPictures {
 public:
  virtual ~PluginPictures() = default;
  // Finds and loads the plug-ins; their formats join the picture formats.
  virtual void LoadAtStartup() {}
  // The position of a plug-in that accepts the file, or -1.
  virtual int FindPlugin(const std::string& path) = 0;
  // Decodes the file through the plug-ins; throws ImageError when none can.
  virtual imaging::Bitmap LoadPicture(const std::string& path) = 0;
  // The thumbnail maker's own plug-in list, or none.
  virtual imaging::TSPlugin* ThumbnailPlugins() { return nullptr; }
};

// Until plug-ins are loaded: none accepts anything.
class NoPluginPictures : public PluginPictures {
 public:
  int FindPlugin(const std::string&) override { return -1; }
  imaging::Bitmap LoadPicture(const std::string&) override {
    throw imaging::ImageError("Susie Plugins could not decode");
  }
};

}  // namespace tapestrel::app
