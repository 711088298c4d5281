#include "platform/win32/desktop.h"

#include <windows.h>

#include <mmsystem.h>

#include <exception>
#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/late_bound.h"

namespace tapestrel::platform {

void WindowsDesktop::ScreenSize(int& width, int& height) const {
  WindowDc dc(GetDesktopWindow());
  width = GetDeviceCaps(dc.Get(), HORZRES);
  height = GetDeviceCaps(dc.Get(), VERTRES);
}

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT r, LPARAM list) {
  const ScreenRect rect{r->left, r->top, r->right - r->left, r->bottom - r->top};
  auto& found = *reinterpret_cast<std::vector<ScreenRect>*>(list);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY)) {
    found.insert(found.begin(), rect);
  } else {
    found.push_back(rect);
  }
  return TRUE;
}

}  // namespace

std::vector<ScreenRect> WindowsDesktop::Monitors() const {
  std::vector<ScreenRect> monitors;
  EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

namespace {

bool HandToWindows(std::string& path) {
  return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE) != FALSE;
}

}  // namespace

WindowsDesktop::~WindowsDesktop() { WaitForHandover(); }

void WindowsDesktop::WaitForHandover() {
  if (handing_.joinable()) handing_.join();
}

bool WindowsDesktop::SetWallpaper(const std::string& bitmapFile) {
  WaitForHandover();  // one after the other, so that the last one asked for stays
  if (handover_ == Handover::Background) {
    try {
      // Nothing in the thread allocates or throws: the path is its own copy.
      handing_ = std::thread([path = bitmapFile]() mutable { HandToWindows(path); });
      return true;
    } catch (const std::exception&) {
      // No thread to be had: Windows takes it while the caller waits.
    }
  }
  std::string path = bitmapFile;
  return HandToWindows(path);
}

void WindowsDesktop::SetBackgroundColor(uint32_t rgb) {
  const INT element = COLOR_BACKGROUND;
  const COLORREF color = rgb;
  SetSysColors(1, &element, &color);
}

uint32_t WindowsDesktop::SystemColor(int index) const { return GetSysColor(index); }

bool WindowsDesktop::PlaySoundFile(const std::string& path) {
  static const auto play = LateBound<decltype(&sndPlaySoundA)>("winmm.dll", "sndPlaySoundA");
  return play && play(path.c_str(), SND_ASYNC) != FALSE;
}

void WindowsDesktop::DefaultBeep() { MessageBeep(0); }

}  // namespace tapestrel::platform
