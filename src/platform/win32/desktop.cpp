#include "platform/win32/desktop.h"

#include <windows.h>

#include <mmsystem.h>

#include "platform/win32/handles.h"
#include "platform/win32/late_bound.h"

namespace tapestrel::platform {

void WindowsDesktop::ScreenSize(int& width, int& height) const {
  WindowDc dc(GetDesktopWindow());
  width = GetDeviceCaps(dc.Get(), HORZRES);
  height = GetDeviceCaps(dc.Get(), VERTRES);
}

bool WindowsDesktop::SetWallpaper(const std::string& bitmapFile) {
  std::string path = bitmapFile;
  return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE) != FALSE;
}

void WindowsDesktop::SetBackgroundColour(uint32_t rgb) {
  const INT element = COLOR_BACKGROUND;
  const COLORREF colour = rgb;
  SetSysColors(1, &element, &colour);
}

uint32_t WindowsDesktop::SystemColour(int index) const { return GetSysColor(index); }

bool WindowsDesktop::PlaySoundFile(const std::string& path) {
  static const auto play = LateBound<decltype(&sndPlaySoundA)>("winmm.dll", "sndPlaySoundA");
  return play && play(path.c_str(), SND_ASYNC) != FALSE;
}

void WindowsDesktop::DefaultBeep() { MessageBeep(0); }

}  // namespace tapestrel::platform
