// Screen capture: the whole screen or the active window saved as the next
// numbered picture file in the wallpaper folder, then made the wallpaper.
#pragma once

#include <functional>
#include <string>

#include "app/screen_capture_port.h"
#include "app/settings_record.h"
#include "app/wallpaper_changer.h"
#include "platform/file_system_port.h"

namespace tapestrel::app {

enum class CaptureArea { WholeScreen, ActiveWindow };

// The usual extension of the program's own format that "CaptureFileExt"
// indexes (".bmp", ".jpg", ".png"); empty for any other value.
std::string CaptureExtension(int format);

// The folder, a backslash, the base name, the first number (at least three
// digits) whose file does not exist, and the extension.
std::string NextCaptureFileName(const platform::FileSystemPort& files, const std::string& folder,
                                const std::string& baseName, const std::string& extension);

class WallpaperCapture {
 public:
  WallpaperCapture(const SettingsRecord& settings, const platform::FileSystemPort& files,
                   ScreenCapturePort& screen, WallpaperChanger& changer)
      : settings_(settings), files_(files), screen_(screen), changer_(changer) {}

  // Captures, saves and applies; returns the file's path. A save that fails
  // throws and nothing is applied. `fileAdded` runs between saving and
  // applying, so that the picture list can take in the new file first.
  std::string CaptureToWallpaper(CaptureArea area, const std::function<void()>& fileAdded = {});

 private:
  const SettingsRecord& settings_;
  const platform::FileSystemPort& files_;
  ScreenCapturePort& screen_;
  WallpaperChanger& changer_;
};

}  // namespace tapestrel::app
