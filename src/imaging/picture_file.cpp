#include "imaging/picture_file.h"

#include "imaging/bmp_file.h"
#include "imaging/jpeg_file.h"
#include "imaging/png/png_file.h"
#include "platform/ansi_text.h"
#include "platform/paths.h"

namespace tapestrel::imaging {

std::string LowerCaseExtension(const std::string& path) {
  return platform::AnsiLowerAscii(platform::ExtractFileExt(path));
}

Bitmap LoadPictureFile(const std::string& path) {
  const std::string ext = LowerCaseExtension(path);
  if (ext == ".bmp") return ReadBmpFile(path);
  if (ext == ".jpg" || ext == ".jpeg") {
    JpegDecodeOptions options;
    options.mode = JpegMode::BestQuality;
    return DecodeJpegFile(path, options);
  }
  // The image bitmap only: the wallpaper has no use for alpha.
  if (ext == ".png") return LoadPngFile(path).image;
  throw ImageError("unknown picture type: " + path);
}

}  // namespace tapestrel::imaging
