// The program's picture plug-ins: the Windows host and the two managers over
// it, created once with the main window and loaded at start-up.
//
//   imaging::PluginHost plugins;           // owns SPlugin and Plugins()
//   plugins.LoadAtStartup();               // before the settings are loaded
//   plugins.SPlugin().FindPlugin(path)     // -1: no plug-in reads the file
//   imaging::TSPIBitmap bitmap(reader);    // decodes through Plugins()
//
// Only one PluginHost may exist at a time (Plugins() is process-wide).
#pragma once

#include <string>

#include "imaging/picture_formats.h"
#include "imaging/spi/spis.h"
#include "imaging/spi/splugin.h"
#include "imaging/win32/spi_library.h"

namespace tapestrel::imaging {

class PluginHost {
 public:
  // Plug-ins are looked for beside the running executable; their
  // extensions go to the program's picture-format registry.
  PluginHost();
  // For tests: another folder standing for the executable's, another registry.
  PluginHost(const std::string& executableFolder, PictureFormatRegistry& registry);

  // SPlugin from the executable's, Windows, system and "SPlugin\" folders;
  // Plugins() searched for "*.spi" or "*.sph" (registering the extensions). Never throws for
  // a bad plug-in: it is skipped.
  void LoadAtStartup() { LoadPluginsAtStartup(host_, splugin_, spis_); }

  TSPlugin& SPlugin() { return splugin_; }
  TSPIs& Plugins() { return spis_; }
  SpiHostPort& Host() { return host_; }

 private:
  WindowsSpiHost host_;
  TSPlugin splugin_;
  TSPIs spis_;
};

}  // namespace tapestrel::imaging
