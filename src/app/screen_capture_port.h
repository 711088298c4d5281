// Copies of what the screen shows.
#pragma once

#include "imaging/bitmap.h"

namespace tapestrel::app {

class ScreenCapturePort {
 public:
  virtual ~ScreenCapturePort() = default;
  // The whole virtual screen, all monitors.
  virtual imaging::Bitmap CaptureScreen() = 0;
  // The window with the keyboard focus in the foreground application, frame
  // and title bar included.
  virtual imaging::Bitmap CaptureActiveWindow() = 0;
  // Lets pending window messages run before the copy.
  virtual void ProcessMessages() = 0;
};

}  // namespace tapestrel::app
