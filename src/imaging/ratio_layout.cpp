#include "imaging/ratio_layout.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/auto_colour.h"
#include "imaging/stretch_bilinear.h"

namespace tapestrel::imaging {

std::optional<RatioRect> RatioExpansionRect(int pictureW, int pictureH, int screenW, int screenH,
                                            int anchor) {
  const double x = static_cast<double>(pictureW) / screenW;
  const double y = static_cast<double>(pictureH) / screenH;
  if (x == y) return std::nullopt;
  RatioRect r;
  if (x >= y) {
    // Relatively wider than the screen: full width, bars above and below.
    r.width = screenW;
    r.height = static_cast<int>(screenW * (static_cast<double>(pictureH) / pictureW));
    switch (anchor) {
      case kAnchorTop:
      case kAnchorTopLeft:
      case kAnchorTopRight:
        r.y = 0;
        break;
      case kAnchorBottom:
      case kAnchorBottomRight:
      case kAnchorBottomLeft:
        r.y = screenH - r.height;
        break;
      default:
        r.y = (screenH - r.height) / 2;
        break;
    }
  } else {
    r.height = screenH;
    r.width = static_cast<int>(screenH * (static_cast<double>(pictureW) / pictureH));
    switch (anchor) {
      case kAnchorLeft:
      case kAnchorTopLeft:
      case kAnchorBottomLeft:
        r.x = 0;
        break;
      case kAnchorRight:
      case kAnchorTopRight:
      case kAnchorBottomRight:
        r.x = screenW - r.width;
        break;
      default:
        r.x = (screenW - r.width) / 2;
        break;
    }
  }
  return r;
}

std::optional<TABitmap> RenderRatioExpansion(const Bitmap& picture, int screenW, int screenH, int anchor,
                                             std::optional<ColorValue> blank) {
  if (picture.Empty()) throw ImageError("ratio drawing needs a picture");
  if (screenW <= 0 || screenH <= 0) throw ImageError("ratio drawing needs a screen size");
  const auto rect = RatioExpansionRect(picture.Width(), picture.Height(), screenW, screenH, anchor);
  if (!rect) return std::nullopt;

  const ColorValue color = blank ? *blank : AutoBlankColor(picture);
  // The picture covers its rectangle wherever it lies on the canvas, so only
  // the rest is filled; nothing is written twice.
  TABitmap canvas(Bitmap::ForOverwrite(screenW, screenH, PixelFormat::Bits32));
  const uint8_t fill[4] = {BlueOf(color), GreenOf(color), RedOf(color), 0};
  std::vector<uint8_t> blankRow(size_t{4} * static_cast<size_t>(screenW));
  for (size_t i = 0; i < blankRow.size(); i += 4) std::memcpy(&blankRow[i], fill, 4);
  const int left = std::clamp(rect->x, 0, screenW), right = std::clamp(rect->x + rect->width, left, screenW);
  const int top = std::clamp(rect->y, 0, screenH), bottom = std::clamp(rect->y + rect->height, top, screenH);
  for (int y = 0; y < screenH; ++y) {
    uint8_t* row = canvas.Row(y);
    if (y < top || y >= bottom) {
      std::memcpy(row, blankRow.data(), blankRow.size());
    } else {
      std::memcpy(row, blankRow.data(), size_t{4} * static_cast<size_t>(left));
      std::memcpy(row + size_t{4} * static_cast<size_t>(right), blankRow.data(),
                  size_t{4} * static_cast<size_t>(screenW - right));
    }
  }
  // The picture is read in its own format: widening a photograph to 32 bits
  // first would cost more than the drawing.
  StretchBilinear(picture.Width(), picture.Height(), rect->width, 0, 0, rect->x, rect->y, rect->height,
                  picture, canvas);
  return canvas;
}

}  // namespace tapestrel::imaging
