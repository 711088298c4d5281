// A color value as Windows draws it: a system color is looked up when it
// is drawn, so that it follows the user's scheme.
#pragma once

#include <windows.h>

#include "imaging/color_value.h"

namespace tapestrel::imaging {

inline COLORREF ResolveColor(ColorValue color) {
  if (color & kSystemColorFlag) return GetSysColor(static_cast<int>(color & 0xFF));
  return color & 0xFFFFFF;
}

}  // namespace tapestrel::imaging
