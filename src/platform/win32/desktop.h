// The desktop port on the Windows API.
#pragma once

#include <thread>

#include "platform/desktop_port.h"

namespace tapestrel::platform {

class WindowsDesktop : public DesktopPort {
 public:
  // How long SetWallpaper waits for Windows to take the file. Taking a large
  // file costs Windows about as long as decoding it did; a run that ends
  // after its one change lets that overlap its own ending.
  enum class Handover {
    Waited,      // SetWallpaper returns when Windows has the file
    Background,  // on a thread of its own, waited for before the next
                 // wallpaper and when the desktop object ends
  };
  explicit WindowsDesktop(Handover handover = Handover::Waited) : handover_(handover) {}
  WindowsDesktop(const WindowsDesktop&) = delete;
  WindowsDesktop& operator=(const WindowsDesktop&) = delete;
  ~WindowsDesktop() override;

  void ScreenSize(int& width, int& height) const override;
  std::vector<ScreenRect> Monitors() const override;
  bool SetWallpaper(const std::string& bitmapFile) override;
  void SetBackgroundColor(uint32_t rgb) override;
  uint32_t SystemColor(int index) const override;
  bool PlaySoundFile(const std::string& path) override;
  void DefaultBeep() override;

 private:
  void WaitForHandover();

  Handover handover_;
  std::thread handing_;
};

}  // namespace tapestrel::platform
