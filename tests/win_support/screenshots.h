// Pictures of windows for people to look at; no test reads them. They are
// written only when TAPESTREL_SCREENSHOT_DIR names a folder, as
// scripts/screenshots sets it: an ordinary test run writes none and spends no
// time on them.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "imaging/bmp_file.h"
#include "win_support/screen_pixels.h"

namespace tapestrel::testing {

// The folder as this program reaches it (a Unix path through Wine's drive
// Z:), or empty when no screenshots are wanted.
inline std::string ScreenshotFolder() {
  const char* dir = std::getenv("TAPESTREL_SCREENSHOT_DIR");
  if (!dir || !*dir) return {};
  std::string folder = dir[0] == '/' ? std::string("Z:") + dir : dir;
  std::replace(folder.begin(), folder.end(), '/', '\\');
  return folder;
}

inline void SaveScreenshot(const imaging::Bitmap& picture, const std::string& name) {
  const std::string folder = ScreenshotFolder();
  if (folder.empty()) return;
  CreateDirectoryA(folder.c_str(), nullptr);
  imaging::WriteBmpFile(folder + "\\" + name + ".bmp", picture);
}

// What the screen shows of `window` (or of the whole screen when null),
// once the window has painted.
inline void SaveScreenshot(HWND window, const std::string& name) {
  if (ScreenshotFolder().empty()) return;
  if (!window) {
    SaveScreenshot(ScreenPixels({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}), name);
    return;
  }
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(300);  // a window of another thread paints in its own time
  SaveScreenshot(ScreenPixels(WindowArea(window)), name);
}

}  // namespace tapestrel::testing
