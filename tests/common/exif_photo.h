// Photos that carry a camera's orientation, made on the spot from a JPEG the
// program's encoder writes, and the eight orientations done by hand the way
// the Exif standard words them, to compare the program's turning against.
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
  std::vector<uint8_t> segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
  segment.insert(segment.end(), tiff.begin(), tiff.end());
  segment[2] = static_cast<uint8_t>((segment.size() - 2) >> 8);
  segment[3] = static_cast<uint8_t>(segment.size() - 2);
  jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
  return jpeg;
}

// A 24-bit picture as it is to be shown: mirrored left-right first where the
// value says so, then turned clockwise by quarters.
inline imaging::Bitmap TurnedByHand(imaging::Bitmap picture, int orientation) {
  static constexpr struct {
    bool mirror;
    int quarters;
  } kSteps[9] = {{},        {false, 0}, {true, 0}, {false, 2}, {true, 2},
                 {true, 3}, {false, 1}, {true, 1}, {false, 3}};
  auto copy = [](imaging::Bitmap& to, int tx, int ty, const imaging::Bitmap& from, int x, int y) {
    std::memcpy(to.Row(ty) + 3 * tx, from.Row(y) + 3 * x, 3);
  };
  const int quarters = kSteps[orientation].quarters;
  for (int step = kSteps[orientation].mirror ? -1 : 0; step < quarters; ++step) {
    const int w = picture.Width(), h = picture.Height();
    imaging::Bitmap next(step < 0 ? w : h, step < 0 ? h : w, imaging::PixelFormat::Bits24);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        if (step < 0)
          copy(next, w - 1 - x, y, picture, x, y);
        else
          copy(next, h - 1 - y, x, picture, x, y);  // a quarter clockwise
      }
    picture = std::move(next);
  }
  return picture;
}

}  // namespace tapestrel::testing
