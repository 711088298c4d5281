#include "app/win32/screen_capture.h"

#include <algorithm>
#include <stdexcept>

#include "platform/win32/handles.h"
#include "platform/win32/message_pump.h"

namespace tapestrel::app {

bool IsWindows2000OrLater() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = 148;
  if (!GetVersionExA(&version)) return false;
  return version.dwMajorVersion > 4;
}

HWND GetFocusedWindowOfForeground() {
  const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  const DWORD ownThread = GetCurrentThreadId();
  if (foregroundThread == ownThread || !AttachThreadInput(ownThread, foregroundThread, TRUE))
    return GetFocus();
  const HWND focus = GetFocus();
  AttachThreadInput(ownThread, foregroundThread, FALSE);
  return focus;
}

imaging::Bitmap CopyFromDc(HDC source, int width, int height, DWORD rasterOperation, int left, int top) {
  imaging::Bitmap::CheckSize(width, height, imaging::PixelFormat::Bits24);
  imaging::Bitmap picture(width, height, imaging::PixelFormat::Bits24);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, as the bitmap holds its rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  platform::UniqueGdiObject section(CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  platform::UniqueMemoryDc memory(CreateCompatibleDC(source));
  if (!section || !memory || !bits) throw std::runtime_error("cannot create the capture bitmap");
  const HGDIOBJ previous = SelectObject(memory.Get(), section.Get());
  const BOOL copied = BitBlt(memory.Get(), 0, 0, width, height, source, left, top, rasterOperation);
  GdiFlush();
  SelectObject(memory.Get(), previous);
  if (!copied) throw std::runtime_error("cannot copy the screen");
  const auto* from = static_cast<const uint8_t*>(bits);
  for (int y = 0; y < height; ++y) {
    std::copy_n(from + picture.Stride() * static_cast<size_t>(y), picture.Stride(), picture.Row(y));
  }
  return picture;
}

imaging::Bitmap WindowsScreenCapture::CaptureScreen() {
  platform::WindowDc screen(nullptr);
  const DWORD operation = IsWindows2000OrLater() ? (SRCCOPY | CAPTUREBLT) : SRCCOPY;
  // The virtual screen: every monitor, those left of or above the primary one included.
  return CopyFromDc(screen.Get(), GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                    operation, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN));
}

imaging::Bitmap WindowsScreenCapture::CaptureActiveWindow() {
  const HWND window = GetFocusedWindowOfForeground();
  RECT bounds{};
  if (!window || !GetWindowRect(window, &bounds)) throw std::runtime_error("no active window to capture");
  const HDC dc = GetWindowDC(window);
  if (!dc) throw std::runtime_error("no device context for the active window");
  struct Release {
    HWND w;
    HDC dc;
    ~Release() { ReleaseDC(w, dc); }
  } release{window, dc};
  return CopyFromDc(dc, bounds.right - bounds.left, bounds.bottom - bounds.top, SRCCOPY);
}

void WindowsScreenCapture::ProcessMessages() { platform::ProcessPendingMessages(); }

}  // namespace tapestrel::app
