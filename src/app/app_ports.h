// The operating-system ports the application core runs on, handed to the
// main window by program entry (and by tests, with fakes).
#pragma once

#include <string>

#include "app/plugin_pictures.h"
#include "platform/clock_port.h"
#include "platform/desktop_port.h"
#include "platform/file_system_port.h"
#include "platform/locale_port.h"
#include "platform/profile_port.h"
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

}  // namespace tapestrel::app
