#include "app/screen_capture.h"

#include <cstdio>

#include "imaging/builtin_pictures.h"
#include "imaging/picture_file.h"
#include "platform/paths.h"

namespace tapestrel::app {

namespace {

// The format saved for a "CaptureFileExt" number, or null.
const imaging::BuiltInPicture* CaptureFormat(int format) {
  const std::vector<const imaging::BuiltInPicture*> formats = imaging::WritablePictures();
  return format >= 0 && static_cast<size_t>(format) < formats.size() ? formats[static_cast<size_t>(format)]
                                                                     : nullptr;
}

std::string ExtensionOf(const imaging::BuiltInPicture& format) {
  return imaging::LowerCaseExtension(std::string(".") + format.extension);
}

}  // namespace

std::vector<std::string> CaptureFileTypes() {
  std::vector<std::string> types;
  for (const imaging::BuiltInPicture* format : imaging::WritablePictures())
    types.push_back(ExtensionOf(*format).substr(1));
  return types;
}

std::string CaptureExtension(int format) {
  const imaging::BuiltInPicture* picture = CaptureFormat(format);
  return picture ? ExtensionOf(*picture) : std::string();
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
  // An unknown format writes nothing, and nothing is applied.
  if (const imaging::BuiltInPicture* format = CaptureFormat(settings_.CaptureFileExt))
    format->writer(path, picture);
  if (fileAdded) fileAdded();
  changer_.ApplyWallpaper(path, ChangeMode::Ordinary);
  return path;
}

}  // namespace tapestrel::app
