// Photos carrying a camera's orientation, and the eight done by hand.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/bitmap.h"

namespace tapestrel::testing {

// Exif TIFF data whose first directory holds the orientation tag alone.
inline std::vector<uint8_t> OrientationTiff(int orientation, bool bigEndian = false) {
  const auto o = static_cast<uint8_t>(orientation);
  if (bigEndian)
    return {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, o, 0, 0, 0, 0, 0, 0};
  return {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, o, 0, 0, 0, 0, 0, 0, 0};
}

// `jpeg` with an APP1 "Exif" segment of `tiff` straight after its start marker.
inline std::vector<uint8_t> WithExifBlock(std::vector<uint8_t> jpeg, const std::vector<uint8_t>& tiff) {
  const size_t length = tiff.size() + 8;
  std::vector<uint8_t> segment = {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length), 'E', 'x', 'i', 'f',
                                  0,    0};
  segment.insert(segment.end(), tiff.begin(), tiff.end());
  jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
  return jpeg;
}

// A 24-bit picture mirrored left-right where the value says so, then turned
// clockwise by quarters.
inline imaging::Bitmap TurnedByHand(imaging::Bitmap picture, int orientation) {
  const bool mirror = orientation == 2 || orientation == 4 || orientation == 5 || orientation == 7;
  const int quarters[9] = {0, 0, 0, 2, 2, 3, 1, 1, 3};
  for (int step = mirror ? -1 : 0; step < quarters[orientation]; ++step) {
    const int w = picture.Width(), h = picture.Height();
    imaging::Bitmap next(step < 0 ? w : h, step < 0 ? h : w, imaging::PixelFormat::Bits24);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)  // (x, y) mirrored, or turned a quarter clockwise
        std::memcpy(step < 0 ? next.Row(y) + 3 * (w - 1 - x) : next.Row(x) + 3 * (h - 1 - y),
                    picture.Row(y) + 3 * x, 3);
    picture = std::move(next);
  }
  return picture;
}

}  // namespace tapestrel::testing
