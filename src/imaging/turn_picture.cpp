#include "imaging/turn_picture.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "imaging/pixel_convert.h"

namespace tapestrel::imaging {
namespace {

// Where the shown pixel (x, y) comes from: stored x = ax * x + bx * y + cx,
// stored y = ay * x + by * y + cy.
struct SourceMap {
  int ax, bx, cx, ay, by, cy;
};

SourceMap MapFor(ExifOrientation o, int w, int h) {
  switch (o) {
    case ExifOrientation::MirrorLeftRight:
      return {-1, 0, w - 1, 0, 1, 0};
    case ExifOrientation::TurnHalf:
      return {-1, 0, w - 1, 0, -1, h - 1};
    case ExifOrientation::MirrorTopBottom:
      return {1, 0, 0, 0, -1, h - 1};
    case ExifOrientation::Transpose:
      return {0, 1, 0, 1, 0, 0};
    case ExifOrientation::TurnClockwise:
      return {0, 1, 0, -1, 0, h - 1};
    case ExifOrientation::Transverse:
      return {0, -1, w - 1, -1, 0, h - 1};
    case ExifOrientation::TurnAnticlockwise:
      return {0, -1, w - 1, 1, 0, 0};
    default:
      return {1, 0, 0, 0, 1, 0};
  }
}

}  // namespace

Bitmap TurnAsRecorded(Bitmap picture, ExifOrientation orientation) {
  if (orientation == ExifOrientation::AsStored || picture.Empty()) return picture;
  if (picture.BitsPerPixel() < 8) picture = ConvertTo24(picture);
  const int w = picture.Width(), h = picture.Height();
  const bool swaps = SwapsAxes(orientation);
  Bitmap shown = Bitmap::ForOverwrite(swaps ? h : w, swaps ? w : h, picture.Format());
  shown.Palette() = picture.Palette();
  const SourceMap m = MapFor(orientation, w, h);
  const size_t bytes = static_cast<size_t>((picture.BitsPerPixel() + 7) / 8);  // 15 bits take two
  const ptrdiff_t stride = static_cast<ptrdiff_t>(picture.Stride());
  // One step right in the shown picture is a fixed step in the stored one.
  const ptrdiff_t step = m.ax * static_cast<ptrdiff_t>(bytes) + m.ay * stride;
  // In tiles, so that the columns a quarter turn reads stay in the cache.
  constexpr int kTile = 64;
  const uint8_t* stored = picture.Pixels();
  for (int top = 0; top < shown.Height(); top += kTile) {
    for (int left = 0; left < shown.Width(); left += kTile) {
      const int right = std::min(left + kTile, shown.Width());
      for (int y = top; y < std::min(top + kTile, shown.Height()); ++y) {
        uint8_t* out = shown.Row(y) + static_cast<size_t>(left) * bytes;
        ptrdiff_t at = (m.ay * left + m.by * y + m.cy) * stride +
                       (m.ax * left + m.bx * y + m.cx) * static_cast<ptrdiff_t>(bytes);
        for (int x = left; x < right; ++x, out += bytes, at += step) std::memcpy(out, stored + at, bytes);
      }
    }
  }
  return shown;
}

}  // namespace tapestrel::imaging
