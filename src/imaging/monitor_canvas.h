// Wallpapers for several monitors. Each picture is drawn at its monitor's
// size the way Windows draws a wallpaper on a single screen, and the drawings
// are put together into one bitmap of the virtual screen. Windows 7 to 11
// tile a wallpaper from the primary monitor's top-left corner over all
// monitors, so the bitmap is laid out for that: its pixel (x mod W, y mod H)
// is what the virtual screen shows at (x, y), and monitors left of or above
// the primary one land where they belong.
#pragma once

#include <functional>
#include <span>

#include "imaging/bitmap.h"
#include "imaging/color_value.h"
#include "imaging/tabitmap.h"
#include "platform/screen_rect.h"

namespace tapestrel::imaging {

using platform::ScreenRect;

// The smallest rectangle holding all of them (empty for none).
ScreenRect BoundingRect(std::span<const ScreenRect> monitors);

// How a picture covers one screen, as the position modes draw it.
enum class ScreenFit { Centre, Stretch, Tile, Ratio };

// The picture on a width x height screen: centred at its own size on the
// blank color (cut where larger), stretched, tiled from the top left, or
// ratio-drawn at the anchor (stretched when the proportions already match).
// A picture already of the screen's size is copied as it is. Throws
// ImageError for an empty picture or a size that is not positive.
TABitmap RenderForScreen(const Bitmap& picture, int width, int height, ScreenFit fit, int anchor,
                         ColorValue blank);

// The same drawn into `area` of a larger canvas, which must lie inside it;
// the rest of the canvas is untouched.
void DrawForScreen(const Bitmap& picture, TABitmap& canvas, const ScreenRect& area, ScreenFit fit, int anchor,
                   ColorValue blank);

// The virtual screen's bitmap, laid out for tiling from the primary
// monitor's corner. What no monitor covers stays black.
class VirtualScreenCanvas {
 public:
  // `drawn`: the rectangles that will be drawn. When they tile `bounds`
  // exactly, nothing would stay black, and the canvas is not cleared first.
  VirtualScreenCanvas(const ScreenRect& bounds, std::span<const ScreenRect> drawn);
  // Puts a drawing of `at`'s size where `at` lies on the virtual screen.
  void Draw(const TABitmap& drawing, const ScreenRect& at);
  // Has `draw` draw `at`'s picture into an area of `at`'s size: straight
  // into this canvas where `at` lies whole inside it, else (a monitor round
  // the bitmap's edge) into a canvas of its own then put in place.
  using AreaDrawing = std::function<void(TABitmap& canvas, const ScreenRect& area)>;
  void DrawAt(const ScreenRect& at, const AreaDrawing& draw);
  const TABitmap& Canvas() const { return canvas_; }

 private:
  ScreenRect bounds_;
  TABitmap canvas_;
};

}  // namespace tapestrel::imaging
