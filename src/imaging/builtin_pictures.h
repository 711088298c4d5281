// The picture formats the program reads itself, in one table: what the
// picture-format registry lists first, and which decoder the wallpaper and the
// thumbnails use for each extension.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "imaging/bitmap.h"
#include "imaging/thumbnail_decode.h"

namespace tapestrel::imaging {

using WallpaperDecoder = Bitmap (*)(const std::string& path);
using ThumbnailDecoder = ThumbnailPicture (*)(std::span<const uint8_t> data, int w, int h, TGetType type,
                                              JpegMode mode);

struct BuiltInPicture {
  const char* extension;       // without the dot, as registered ("bmp", "PNG")
  const char* description;     // UTF-8
  WallpaperDecoder wallpaper;  // null: the program does not decode it (icons, metafiles)
  ThumbnailDecoder thumbnail;  // null: no thumbnail of its own
};

// In registration order; the order and texts make the user-visible filters.
std::span<const BuiltInPicture> BuiltInPictures();

// The entry for the file's extension (compared without regard to ASCII
// case), or null.
const BuiltInPicture* FindBuiltInPicture(const std::string& path);

}  // namespace tapestrel::imaging
