// A picture of one color, the one such helper of both test suites.
#pragma once

#include <cstdint>
#include <string>

#include "imaging/bitmap.h"
#include "imaging/bmp_file.h"
#include "imaging/color_value.h"

namespace tapestrel::testing {

// 24 bits per pixel, every pixel `color` (0x00BBGGRR, as the program stores
// colors).
inline imaging::Bitmap SolidPicture(int width, int height, imaging::ColorValue color) {
  imaging::Bitmap b(width, height, imaging::PixelFormat::Bits24);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = b.Row(y);
    for (int x = 0; x < width; ++x) {
      row[x * 3] = imaging::BlueOf(color);
      row[x * 3 + 1] = imaging::GreenOf(color);
      row[x * 3 + 2] = imaging::RedOf(color);
    }
  }
  return b;
}

// The same as a 24-bit bottom-up BMP file.
inline void WriteSolidBmp(const std::string& path, int width, int height, imaging::ColorValue color) {
  imaging::WriteBmpFile(path, SolidPicture(width, height, color));
}

}  // namespace tapestrel::testing
