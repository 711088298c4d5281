// The desktop port on the Windows API.
#pragma once

#include "platform/desktop_port.h"

namespace tapestrel::platform {

class WindowsDesktop : public DesktopPort {
 public:
  void ScreenSize(int& width, int& height) const override;
  std::vector<ScreenRect> Monitors() const override;
  bool SetWallpaper(const std::string& bitmapFile) override;
  void SetBackgroundColor(uint32_t rgb) override;
  uint32_t SystemColor(int index) const override;
  bool PlaySoundFile(const std::string& path) override;
  void DefaultBeep() override;
};

}  // namespace tapestrel::platform
