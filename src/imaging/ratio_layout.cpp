#include "imaging/ratio_layout.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/auto_color.h"
#include "imaging/exif_orientation.h"
#include "imaging/file_bytes.h"
#include "imaging/jpeg_file.h"
#include "imaging/jpeg_stretch_rows.h"
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

namespace {

// The canvas is filled only where the picture's rectangle leaves it: the
// picture covers the rectangle wherever it lies on the canvas, so nothing is
// written twice.
TABitmap UnfilledCanvas(int screenW, int screenH) {
  return TABitmap(Bitmap::ForOverwrite(screenW, screenH, PixelFormat::Bits32));
}

// Fills `screen` of the canvas where the picture's rectangle (relative to
// `screen`) leaves it.
void FillAroundThePicture(TABitmap& canvas, const RatioRect& screen, const RatioRect& rect,
                          ColorValue color) {
  const int screenW = screen.width, screenH = screen.height;
  const uint8_t fill[4] = {BlueOf(color), GreenOf(color), RedOf(color), 0};
  std::vector<uint8_t> blankRow(size_t{4} * static_cast<size_t>(screenW));
  for (size_t i = 0; i < blankRow.size(); i += 4) std::memcpy(&blankRow[i], fill, 4);
  const int left = std::clamp(rect.x, 0, screenW), right = std::clamp(rect.x + rect.width, left, screenW);
  const int top = std::clamp(rect.y, 0, screenH), bottom = std::clamp(rect.y + rect.height, top, screenH);
  for (int y = 0; y < screenH; ++y) {
    uint8_t* row = canvas.Row(screen.y + y) + size_t{4} * static_cast<size_t>(screen.x);
    if (y < top || y >= bottom) {
      std::memcpy(row, blankRow.data(), blankRow.size());
    } else {
      std::memcpy(row, blankRow.data(), size_t{4} * static_cast<size_t>(left));
      std::memcpy(row + size_t{4} * static_cast<size_t>(right), blankRow.data(),
                  size_t{4} * static_cast<size_t>(screenW - right));
    }
  }
}

void CheckScreen(int screenW, int screenH) {
  if (screenW <= 0 || screenH <= 0) throw ImageError("ratio drawing needs a screen size");
}

}  // namespace

bool DrawRatioExpansion(const Bitmap& picture, TABitmap& canvas, const RatioRect& screen, int anchor,
                        std::optional<ColorValue> blank) {
  if (picture.Empty()) throw ImageError("ratio drawing needs a picture");
  CheckScreen(screen.width, screen.height);
  const auto rect =
      RatioExpansionRect(picture.Width(), picture.Height(), screen.width, screen.height, anchor);
  if (!rect) return false;
  // The picture is read in its own format: widening a photograph to 32 bits
  // first would cost more than the drawing.
  StretchBilinear(picture.Width(), picture.Height(), rect->width, 0, 0, screen.x + rect->x,
                  screen.y + rect->y, rect->height, picture, canvas);
  FillAroundThePicture(canvas, screen, *rect, blank ? *blank : AutoBlankColor(picture));
  return true;
}

bool DrawRatioExpansion(JpegRowReader& reader, TABitmap& canvas, const RatioRect& screen, int anchor,
                        std::optional<ColorValue> blank) {
  CheckScreen(screen.width, screen.height);
  const auto rect = RatioExpansionRect(reader.Width(), reader.Height(), screen.width, screen.height, anchor);
  if (!rect) return false;
  PictureEdges edges;
  JpegStretchRows rows(reader, blank ? nullptr : &edges);
  StretchBilinear(reader.Width(), reader.Height(), rect->width, 0, 0, screen.x + rect->x, screen.y + rect->y,
                  rect->height, rows, canvas);
  rows.ReadToEnd();
  FillAroundThePicture(canvas, screen, *rect, blank ? *blank : AutoBlankColor(edges));
  return true;
}

std::optional<TABitmap> RenderRatioExpansion(const Bitmap& picture, int screenW, int screenH, int anchor,
                                             std::optional<ColorValue> blank) {
  if (picture.Empty()) throw ImageError("ratio drawing needs a picture");
  CheckScreen(screenW, screenH);
  if (!RatioExpansionRect(picture.Width(), picture.Height(), screenW, screenH, anchor)) return std::nullopt;
  TABitmap canvas = UnfilledCanvas(screenW, screenH);
  DrawRatioExpansion(picture, canvas, {0, 0, screenW, screenH}, anchor, blank);
  return canvas;
}

std::variant<TABitmap, Bitmap> RenderRatioExpansionJpeg(std::span<const uint8_t> jpeg, int screenW,
                                                        int screenH, int anchor,
                                                        std::optional<ColorValue> blank,
                                                        bool exifOrientation) {
  CheckScreen(screenW, screenH);
  if (exifOrientation && ReadExifOrientation(jpeg) != ExifOrientation::AsStored) {
    JpegDecodeOptions options;
    options.exifOrientation = true;
    Bitmap picture = DecodeJpeg(jpeg, options);
    std::optional<TABitmap> canvas = RenderRatioExpansion(picture, screenW, screenH, anchor, blank);
    if (canvas) return std::move(*canvas);
    return picture;
  }
  JpegRowReader reader(jpeg);
  if (!RatioExpansionRect(reader.Width(), reader.Height(), screenW, screenH, anchor))
    return reader.ReadRemainingRows();
  TABitmap canvas = UnfilledCanvas(screenW, screenH);
  DrawRatioExpansion(reader, canvas, {0, 0, screenW, screenH}, anchor, blank);
  return canvas;
}

std::variant<TABitmap, Bitmap> RenderRatioExpansionJpegFile(const std::string& path, int screenW, int screenH,
                                                            int anchor, std::optional<ColorValue> blank,
                                                            bool exifOrientation) {
  return RenderRatioExpansionJpeg(ReadFileBytes(path), screenW, screenH, anchor, blank, exifOrientation);
}

}  // namespace tapestrel::imaging
