// Pictures and checks for wallpapers of several monitors, shared by both test
// suites.
#pragma once

#include <cstdint>

#include "imaging/bitmap.h"
#include "imaging/tabitmap.h"
#include "platform/screen_rect.h"

namespace tapestrel::testing {

// 24 bits, every pixel unlike its neighbours, so that a drawing moved,
// mirrored or cut in the wrong place shows.
inline imaging::Bitmap PatternPicture(int width, int height, int seed) {
  imaging::Bitmap b(width, height, imaging::PixelFormat::Bits24);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = b.Row(y) + 3 * x;
      p[0] = static_cast<uint8_t>(x * 7 + seed * 50);
      p[1] = static_cast<uint8_t>(y * 5);
      p[2] = static_cast<uint8_t>(seed * 40 + x + y);
    }
  }
  return b;
}

// How many pixels of the monitor `at` differ between what Windows shows, the
// wallpaper file tiled from the primary monitor's corner, and `alone`, the
// picture drawn by itself over `drawnOver` (the monitor, or for one picture
// spread over all of them, their bounding rectangle).
inline int PixelsNotAsDrawnAlone(const imaging::TABitmap& file, const platform::ScreenRect& at,
                                 const imaging::TABitmap& alone, const platform::ScreenRect& drawnOver) {
  auto rgb = [](const imaging::TABitmap& b, int x, int y) {
    const uint8_t* p = b.Row(y) + 4 * x;
    return p[0] | p[1] << 8 | p[2] << 16;
  };
  const int w = file.Width(), h = file.Height();
  int wrong = 0;
  for (int y = at.top; y < at.top + at.height; ++y) {
    for (int x = at.left; x < at.left + at.width; ++x) {
      wrong += rgb(file, ((x % w) + w) % w, ((y % h) + h) % h) !=
               rgb(alone, x - drawnOver.left, y - drawnOver.top);
    }
  }
  return wrong;
}

}  // namespace tapestrel::testing
