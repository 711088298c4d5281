// Copies of the screen and of the active window through GDI.
#pragma once

#include <windows.h>

#include "app/screen_capture_port.h"

namespace tapestrel::app {

// Windows 2000 or later: the layered-window flag of BitBlt is known.
bool IsWindows2000OrLater();
// The window with the keyboard focus in the foreground application (often a
// child control of it).
HWND GetFocusedWindowOfForeground();

class WindowsScreenCapture : public ScreenCapturePort {
 public:
  imaging::Bitmap CaptureScreen() override;
  imaging::Bitmap CaptureActiveWindow() override;
  void ProcessMessages() override;
};

// The pixels of a device context's area (from left, top) as a 24-bit bitmap.
imaging::Bitmap CopyFromDc(HDC source, int width, int height, DWORD rasterOperation, int left = 0,
                           int top = 0);

}  // namespace tapestrel::app
