#include "app/screen_capture.h"

#include <cstdio>

#include "imaging/bmp_file.h"
#include "imaging/builtin_pictures.h"
#include "imaging/jpeg_file.h"
#include "imaging/png/png_file.h"
#include "platform/paths.h"

namespace tapestrel::app {

std::string CaptureExtension(int format) {
  const std::vector<imaging::OwnFormat> formats = imaging::OwnFormats();
  if (format < 0 || static_cast<size_t>(format) >= formats.size()) return "";
  return "." + formats[static_cast<size_t>(format)].extensions.front();
}

std::string NextCaptureFileName(const platform::FileSystemPort& files, const std::string& folder,
                                const std::string& baseName, const std::string& extension) {
  const std::string stem = platform::ExcludeTrailingBackslash(folder) + "\\" + baseName;
  // A folder can hold only so many files: the search ends long before the
  // number could wrap.
  for (long long number = 0; number < 2000000000LL; ++number) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%03lld", number);
    const std::string path = stem + digits + extension;
    if (!files.FileExists(path)) return path;
  }
  throw imaging::ImageError("no free capture file name");
}

std::string WallpaperCapture::CaptureToWallpaper(CaptureArea area, const std::function<void()>& fileAdded) {
  screen_.ProcessMessages();
  const imaging::Bitmap picture =
      area == CaptureArea::ActiveWindow ? screen_.CaptureActiveWindow() : screen_.CaptureScreen();
  const std::string path = NextCaptureFileName(files_, settings_.WallPaperFolder, settings_.CaptureFileName,
                                               CaptureExtension(settings_.CaptureFileExt));
  switch (settings_.CaptureFileExt) {
    case kCaptureBmp:
      imaging::WriteBmpFile(path, picture);
      break;
    case kCaptureJpg:
      imaging::EncodeJpegFile(path, picture);
      break;
    case kCapturePng:
      imaging::SavePngFile(path, picture);
      break;
    default:
      break;  // an unknown format writes nothing, and nothing is applied
  }
  if (fileAdded) fileAdded();
  changer_.ApplyWallpaper(path, ChangeMode::Ordinary);
  return path;
}

}  // namespace tapestrel::app
