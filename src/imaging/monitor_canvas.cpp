#include "imaging/monitor_canvas.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "imaging/ratio_layout.h"
#include "imaging/stretch_bilinear.h"

namespace tapestrel::imaging {
namespace {

size_t Bytes(int pixels) { return size_t{4} * static_cast<size_t>(pixels); }

// a mod m for any sign of a, m > 0.
int Wrap(int a, int m) { return ((a % m) + m) % m; }

TABitmap BlankCanvas(int width, int height, ColorValue blank) {
  TABitmap canvas(Bitmap::ForOverwrite(width, height, PixelFormat::Bits32));
  const uint8_t fill[4] = {BlueOf(blank), GreenOf(blank), RedOf(blank), 0};
  uint8_t* first = canvas.Row(0);
  for (int x = 0; x < width; ++x) std::memcpy(first + Bytes(x), fill, 4);
  for (int y = 1; y < height; ++y) std::memcpy(canvas.Row(y), first, Bytes(width));
  return canvas;
}

TABitmap Stretched(const Bitmap& picture, int width, int height) {
  TABitmap canvas(Bitmap::ForOverwrite(width, height, PixelFormat::Bits32));
  StretchBilinear(picture.Width(), picture.Height(), width, 0, 0, 0, 0, height, picture, canvas);
  return canvas;
}

// The picture's pixels with its top-left corner at (x, y) of the canvas; with
// `repeat`, again and again to the canvas's right and bottom edges.
void Place(const TABitmap& picture, TABitmap& canvas, int x, int y, bool repeat) {
  const int w = picture.Width(), h = picture.Height();
  for (int row = 0; row < canvas.Height(); ++row) {
    const int source = repeat ? row % h : row - y;
    if (source < 0 || source >= h) continue;
    const uint8_t* from = picture.Row(source);
    uint8_t* to = canvas.Row(row);
    for (int left = repeat ? 0 : x; left < canvas.Width(); left += w) {
      const int start = std::max(left, 0), end = std::min(left + w, canvas.Width());
      if (start < end) std::memcpy(to + Bytes(start), from + Bytes(start - left), Bytes(end - start));
      if (!repeat) break;
    }
  }
}

// Whether the parts cover the bounds without gaps or overlaps.
bool TileExactly(const ScreenRect& bounds, std::span<const ScreenRect> parts) {
  int64_t area = 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    const ScreenRect& a = parts[i];
    area += int64_t{a.width} * a.height;
    for (size_t j = i + 1; j < parts.size(); ++j) {
      const ScreenRect& b = parts[j];
      const bool apart = a.left + a.width <= b.left || b.left + b.width <= a.left ||
                         a.top + a.height <= b.top || b.top + b.height <= a.top;
      if (!apart) return false;
    }
  }
  return area == int64_t{bounds.width} * bounds.height;
}

}  // namespace

ScreenRect BoundingRect(std::span<const ScreenRect> monitors) {
  if (monitors.empty()) return {};
  int left = monitors[0].left, top = monitors[0].top;
  int right = left + monitors[0].width, bottom = top + monitors[0].height;
  for (const ScreenRect& m : monitors) {
    left = std::min(left, m.left);
    top = std::min(top, m.top);
    right = std::max(right, m.left + m.width);
    bottom = std::max(bottom, m.top + m.height);
  }
  return {left, top, right - left, bottom - top};
}

TABitmap RenderForScreen(const Bitmap& picture, int width, int height, ScreenFit fit, int anchor,
                         ColorValue blank) {
  if (picture.Empty()) throw ImageError("a screen's wallpaper needs a picture");
  if (width <= 0 || height <= 0) throw ImageError("a screen's wallpaper needs a screen size");
  const bool sameSize = picture.Width() == width && picture.Height() == height;
  if (sameSize) return TABitmap(picture);
  switch (fit) {
    case ScreenFit::Stretch:
      return Stretched(picture, width, height);
    case ScreenFit::Ratio:
      if (auto canvas = RenderRatioExpansion(picture, width, height, anchor, blank))
        return std::move(*canvas);
      return Stretched(picture, width, height);
    case ScreenFit::Tile: {
      TABitmap canvas(Bitmap::ForOverwrite(width, height, PixelFormat::Bits32));
      Place(TABitmap(picture), canvas, 0, 0, true);
      return canvas;
    }
    case ScreenFit::Centre:
    default: {
      TABitmap canvas = BlankCanvas(width, height, blank);
      Place(TABitmap(picture), canvas, (width - picture.Width()) / 2, (height - picture.Height()) / 2, false);
      return canvas;
    }
  }
}

VirtualScreenCanvas::VirtualScreenCanvas(const ScreenRect& bounds, std::span<const ScreenRect> drawn)
    : bounds_(bounds),
      canvas_(TileExactly(bounds, drawn) ? Bitmap::ForOverwrite(bounds.width, bounds.height, PixelFormat::Bits32)
                                         : Bitmap(bounds.width, bounds.height, PixelFormat::Bits32)) {}

void VirtualScreenCanvas::Draw(const TABitmap& drawing, const ScreenRect& at) {
  const int w = bounds_.width, h = bounds_.height;
  const int width = std::min(at.width, w);
  const int x = Wrap(at.left, w), first = std::min(width, w - x);
  for (int row = 0; row < std::min(at.height, h); ++row) {
    const uint8_t* from = drawing.Row(row);
    uint8_t* to = canvas_.Row(Wrap(at.top + row, h));
    std::memcpy(to + Bytes(x), from, Bytes(first));
    std::memcpy(to, from + Bytes(first), Bytes(width - first));
  }
}

}  // namespace tapestrel::imaging
