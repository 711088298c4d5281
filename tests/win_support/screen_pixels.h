// What the screen shows of an area, for tests that look at the pixels of a
// window and for screenshots kept as build artefacts.
#pragma once

#include <windows.h>

#include "app/win32/screen_capture.h"
#include "imaging/bitmap.h"

namespace tapestrel::testing {

// The screen's pixels of `area` (screen coordinates).
inline imaging::Bitmap ScreenPixels(const RECT& area) {
  HDC screen = GetDC(nullptr);
  imaging::Bitmap picture =
      app::CopyFromDc(screen, area.right - area.left, area.bottom - area.top, SRCCOPY, area.left, area.top);
  ReleaseDC(nullptr, screen);
  return picture;
}

inline RECT WindowArea(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

}  // namespace tapestrel::testing
