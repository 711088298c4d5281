// The picture formats the program reads itself, in one table: what the
// picture-format registry lists first, and which decoder the wallpaper and the
// thumbnails use for each extension.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/color_value.h"
#include "imaging/jpeg_file.h"
#include "imaging/monitor_canvas.h"
#include "imaging/tabitmap.h"
#include "imaging/thumbnail_decode.h"

namespace tapestrel::imaging {

// `exifOrientation`: a photo is turned as its camera recorded (JPEG only).
using WallpaperDecoder = Bitmap (*)(const std::string& path, bool exifOrientation);
// Ratio drawing straight from the file, without holding the whole picture:
// the screen-sized canvas, or the picture itself when its proportions are the
// screen's (see RenderRatioExpansion).
using RatioCanvasDecoder = std::variant<TABitmap, Bitmap> (*)(const std::string& path, int screenW,
                                                              int screenH, int anchor,
                                                              std::optional<ColorValue> blank,
                                                              bool exifOrientation);
// The size a picture is shown at, from its header alone (JpegHeader's size).
using ShownSizeReader = JpegHeader (*)(const std::string& path, bool exifOrientation);
// Drawing into an area of a larger canvas straight from the file, as
// DrawForScreen draws the decoded picture (see DrawJpegFileForScreen).
using ScreenDrawer = void (*)(const std::string& path, TABitmap& canvas, const ScreenRect& area,
                              ScreenFit fit, int anchor, std::optional<ColorValue> blank,
                              bool exifOrientation);
// Saving a picture in the format (a screen capture).
using PictureWriter = void (*)(const std::string& path, const Bitmap& picture);
using ThumbnailDecoder = ThumbnailPicture (*)(std::span<const uint8_t> data, int w, int h, TGetType type,
                                              JpegMode mode, bool exifOrientation);

// What a picture is, for code that treats kinds apart (the thumbnail view
// draws icons and metafiles through the system).
enum class PictureKind { Bitmap, Icon, EnhancedMetafile, Metafile, Jpeg, Png };

struct BuiltInPicture {
  const char* extension;           // without the dot, as registered ("bmp", "PNG")
  const char* description;         // UTF-8
  // The format's name on the settings page's list of formats, on the entry of
  // its usual extension ("jpg", not "jpeg"); null on the others.
  const char* formatListName;
  WallpaperDecoder wallpaper;      // null: the program does not decode it (icons, metafiles)
  ThumbnailDecoder thumbnail;      // null: no thumbnail of its own
  RatioCanvasDecoder ratioCanvas;  // null: decode, then draw the picture
  ShownSizeReader shownSize;       // null: the size is known only by decoding
  ScreenDrawer screenDrawing;      // null: decode, then draw the picture
  PictureWriter writer;            // null: not written (one writer per format)
  PictureKind kind;
};

// In registration order; the order and texts make the user-visible filters.
std::span<const BuiltInPicture> BuiltInPictures();

// The formats a picture can be saved in: the entries with a writer, in the
// table's order (bitmap, JPEG as "jpg", PNG).
std::vector<const BuiltInPicture*> WritablePictures();

// The formats the program decodes itself, one per decoder, in table order of
// their usual extension: the rows of the settings page's list of formats.
// Extensions in lower case, without the dot, the usual one first.
struct OwnFormat {
  std::vector<std::string> extensions;
  const char* listName;  // UTF-8
};
std::vector<OwnFormat> OwnFormats();

// The entry for the file's extension (compared without regard to ASCII
// case), or null.
const BuiltInPicture* FindBuiltInPicture(const std::string& path);

}  // namespace tapestrel::imaging
