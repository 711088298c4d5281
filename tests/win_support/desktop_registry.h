// What the program leaves for Windows: the desktop's registry values and the
// wallpaper file they name.
#pragma once

#include <string>

#include "platform/win32/registry.h"

namespace tapestrel::testing {

inline std::string DesktopValue(const char* name) {
  return platform::CurrentUserRegistry().ReadString("Control Panel\\Desktop", name).value_or("");
}

// Where the program writes the wallpaper bitmap: below "Local AppData".
inline std::string WallpaperFile() {
  const auto local = platform::CurrentUserRegistry().ReadString(
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Local AppData");
  return local.value_or("") + "\\Microsoft\\Wallpaper1.bmp";
}

}  // namespace tapestrel::testing
