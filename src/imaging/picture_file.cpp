#include "imaging/picture_file.h"

#include "imaging/builtin_pictures.h"
#include "platform/ansi_text.h"
#include "platform/paths.h"

namespace tapestrel::imaging {

std::string LowerCaseExtension(const std::string& path) {
  return platform::AnsiLowerAscii(platform::ExtractFileExt(path));
}

bool HasBuiltInDecoder(const std::string& path) {
  const BuiltInPicture* picture = FindBuiltInPicture(path);
  return picture && picture->wallpaper;
}

Bitmap LoadPictureFile(const std::string& path) {
  const BuiltInPicture* picture = FindBuiltInPicture(path);
  if (!picture || !picture->wallpaper) throw ImageError("unknown picture type: " + path);
  return picture->wallpaper(path, false);  // as stored
}

}  // namespace tapestrel::imaging
