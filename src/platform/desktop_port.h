// The desktop: its size, its wallpaper and background color, and the
// change sound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/screen_rect.h"

namespace tapestrel::platform {

class DesktopPort {
 public:
  virtual ~DesktopPort() = default;
  // Width and height of the screen in pixels (the desktop window's device).
  virtual void ScreenSize(int& width, int& height) const = 0;
  // The monitors the desktop spans, in virtual-screen coordinates, the
  // primary one first (at 0, 0).
  virtual std::vector<ScreenRect> Monitors() const = 0;
  // Makes Windows show the bitmap file as the wallpaper; true when Windows
  // took it (or started to, for a desktop that hands it over in the
  // background).
  virtual bool SetWallpaper(const std::string& bitmapFile) = 0;
  // The desktop background color (plain 0x00BBGGRR).
  virtual void SetBackgroundColor(uint32_t rgb) = 0;
  // The current value of a Windows system color by its index.
  virtual uint32_t SystemColor(int index) const = 0;
  // Plays a wave file without waiting; false when it cannot.
  virtual bool PlaySoundFile(const std::string& path) = 0;
  virtual void DefaultBeep() = 0;
};

}  // namespace tapestrel::platform
