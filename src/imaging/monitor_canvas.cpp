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

void Fill(TABitmap& canvas, const ScreenRect& area, ColorValue blank) {
  const uint8_t fill[4] = {BlueOf(blank), GreenOf(blank), RedOf(blank), 0};
  uint8_t* first = canvas.Row(area.top) + Bytes(area.left);
  for (int x = 0; x < area.width; ++x) std::memcpy(first + Bytes(x), fill, 4);
  for (int y = 1; y < area.height; ++y)
    std::memcpy(canvas.Row(area.top + y) + Bytes(area.left), first, Bytes(area.width));
}

void Stretch(const Bitmap& picture, TABitmap& canvas, const ScreenRect& area) {
  StretchBilinear(picture.Width(), picture.Height(), area.width, 0, 0, area.left, area.top, area.height,
                  picture, canvas);
}

// The picture's pixels with its top-left corner at (x, y) of `area`; with
// `repeat`, again and again to the area's right and bottom edges.
void Place(const TABitmap& picture, TABitmap& canvas, const ScreenRect& area, int x, int y, bool repeat) {
  const int w = picture.Width(), h = picture.Height();
  for (int row = 0; row < area.height; ++row) {
    const int source = repeat ? row % h : row - y;
    if (source < 0 || source >= h) continue;
    const uint8_t* from = picture.Row(source);
    uint8_t* to = canvas.Row(area.top + row) + Bytes(area.left);
    for (int left = repeat ? 0 : x; left < area.width; left += w) {
      const int start = std::max(left, 0), end = std::min(left + w, area.width);
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

void DrawForScreen(const Bitmap& picture, TABitmap& canvas, const ScreenRect& area, ScreenFit fit, int anchor,
                   ColorValue blank) {
  if (picture.Empty()) throw ImageError("a screen's wallpaper needs a picture");
  if (area.width <= 0 || area.height <= 0) throw ImageError("a screen's wallpaper needs a screen size");
  const bool sameSize = picture.Width() == area.width && picture.Height() == area.height;
  if (sameSize) return Place(TABitmap(picture), canvas, area, 0, 0, false);
  switch (fit) {
    case ScreenFit::Stretch:
      return Stretch(picture, canvas, area);
    case ScreenFit::Ratio:
      if (!DrawRatioExpansion(picture, canvas, {area.left, area.top, area.width, area.height}, anchor, blank))
        Stretch(picture, canvas, area);
      return;
    case ScreenFit::Tile:
      return Place(TABitmap(picture), canvas, area, 0, 0, true);
    case ScreenFit::Centre:
    default:
      Fill(canvas, area, blank);
      Place(TABitmap(picture), canvas, area, (area.width - picture.Width()) / 2,
            (area.height - picture.Height()) / 2, false);
  }
}

TABitmap RenderForScreen(const Bitmap& picture, int width, int height, ScreenFit fit, int anchor,
                         ColorValue blank) {
  if (picture.Empty()) throw ImageError("a screen's wallpaper needs a picture");
  if (width <= 0 || height <= 0) throw ImageError("a screen's wallpaper needs a screen size");
  if (picture.Width() == width && picture.Height() == height) return TABitmap(picture);
  TABitmap canvas(Bitmap::ForOverwrite(width, height, PixelFormat::Bits32));
  DrawForScreen(picture, canvas, {0, 0, width, height}, fit, anchor, blank);
  return canvas;
}

VirtualScreenCanvas::VirtualScreenCanvas(const ScreenRect& bounds, std::span<const ScreenRect> drawn)
    : bounds_(bounds),
      canvas_(TileExactly(bounds, drawn)
                  ? Bitmap::ForOverwrite(bounds.width, bounds.height, PixelFormat::Bits32)
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

void VirtualScreenCanvas::DrawAt(const ScreenRect& at, const AreaDrawing& draw) {
  const int x = Wrap(at.left, bounds_.width), y = Wrap(at.top, bounds_.height);
  if (at.width <= bounds_.width - x && at.height <= bounds_.height - y) {
    draw(canvas_, {x, y, at.width, at.height});
    return;
  }
  TABitmap own(Bitmap::ForOverwrite(at.width, at.height, PixelFormat::Bits32));
  draw(own, {0, 0, at.width, at.height});
  Draw(own, at);
}

}  // namespace tapestrel::imaging
