// A rectangle of the virtual screen, the desktop across all monitors; the
// primary monitor starts at 0, 0, so others may lie at negative coordinates.
#pragma once

namespace tapestrel::platform {

struct ScreenRect {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

}  // namespace tapestrel::platform
