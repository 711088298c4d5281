#include "imaging/picture_file.h"

#include "imaging/bmp_file.h"
#include "imaging/jpeg_file.h"
#include "imaging/png/png_file.h"

namespace tapestrel::imaging {

std::string LowerCaseExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos) return {};
  // A dot in a folder name is not an extension.
  if (path.find_first_of("\\/", dot) != std::string::npos) return {};
  std::string ext = path.substr(dot);
  for (char& ch : ext) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return ext;
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
