// Ratio drawing: a picture scaled at constant aspect ratio onto a canvas of
// the screen's size, placed by one of nine anchors, the rest filled with the
// blank color. Windows then stretches the canvas, which already fits.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "imaging/bitmap.h"
#include "imaging/jpeg_file.h"
#include "imaging/pixel_convert.h"
#include "imaging/tabitmap.h"

namespace tapestrel::imaging {

// Anchors as the settings store them.
enum RatioAnchor {
  kAnchorCentre = 0,
  kAnchorTop = 1,
  kAnchorRight = 2,
  kAnchorBottom = 3,
  kAnchorLeft = 4,
  kAnchorTopLeft = 5,
  kAnchorTopRight = 6,
  kAnchorBottomRight = 7,
  kAnchorBottomLeft = 8,
};

struct RatioRect {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const RatioRect&, const RatioRect&) = default;
};

// Where a pictureW x pictureH picture goes on a screenW x screenH canvas; no
// value when the two have exactly the same aspect ratio (nothing to draw,
// Windows' own stretching is exact). Unknown anchors centre. All sizes must be
// positive.
std::optional<RatioRect> RatioExpansionRect(int pictureW, int pictureH, int screenW, int screenH, int anchor);

// The screen-sized 32-bit canvas for `picture`, filled with `blank` (the
// picture's automatic color when there is none) and the picture drawn with
// the bilinear filter; no value when the aspect ratios are equal and the
// wallpaper file is to stay as it is. Throws ImageError for an empty picture
// or a screen size that is not positive.
std::optional<TABitmap> RenderRatioExpansion(const Bitmap& picture, int screenW, int screenH, int anchor,
                                             std::optional<ColorValue> blank);

// The same drawn into the `screen` rectangle of a larger canvas, which must
// lie inside it; false, with nothing drawn, when the aspect ratios are equal.
bool DrawRatioExpansion(const Bitmap& picture, TABitmap& canvas, const RatioRect& screen, int anchor,
                        std::optional<ColorValue> blank);
// The same from a JPEG's rows as they are decoded, as stored (none read yet),
// so that the whole picture is never held; every row is decoded, and an
// error in any of them is an ImageError. False, with no row read, when the
// aspect ratios are equal.
bool DrawRatioExpansion(JpegRowReader& reader, TABitmap& canvas, const RatioRect& screen, int anchor,
                        std::optional<ColorValue> blank);

// The same for a JPEG, drawn from its rows as they are decoded (in best
// quality), so that the whole picture is never held: the canvas, or when the
// proportions are equal, the picture itself decoded whole. Every row is
// decoded, so a file fails here exactly as DecodeJpeg fails on it (ImageError).
// A photo turned by its Exif orientation (when asked for) is decoded whole
// and turned first: its rows no longer come in the order they are drawn.
std::variant<TABitmap, Bitmap> RenderRatioExpansionJpeg(std::span<const uint8_t> jpeg, int screenW,
                                                        int screenH, int anchor,
                                                        std::optional<ColorValue> blank,
                                                        bool exifOrientation = false);
std::variant<TABitmap, Bitmap> RenderRatioExpansionJpegFile(const std::string& path, int screenW, int screenH,
                                                            int anchor, std::optional<ColorValue> blank,
                                                            bool exifOrientation = false);

}  // namespace tapestrel::imaging
