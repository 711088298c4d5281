#include "imaging/win32/plugin_host.h"

namespace tapestrel::imaging {

PluginHost::PluginHost() : splugin_(host_), spis_(host_, PictureFormats()) {}

PluginHost::PluginHost(const std::string& executableFolder, PictureFormatRegistry& registry)
    : host_(executableFolder), splugin_(host_), spis_(host_, registry) {}

}  // namespace tapestrel::imaging
