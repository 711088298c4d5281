#include "imaging/builtin_pictures.h"

#include "imaging/bmp_file.h"
#include "imaging/jpeg_file.h"
#include "imaging/jpeg_for_screen.h"
#include "imaging/picture_file.h"
#include "imaging/png/png_file.h"
#include "imaging/ratio_layout.h"
#include "platform/ansi_text.h"

namespace tapestrel::imaging {
namespace {

Bitmap WallpaperBmp(const std::string& path, bool) { return ReadBmpFile(path); }
Bitmap WallpaperJpeg(const std::string& path, bool exifOrientation) {
  JpegDecodeOptions options;
  options.mode = JpegMode::BestQuality;
  options.exifOrientation = exifOrientation;
  return DecodeJpegFile(path, options);
}
// The image bitmap only: the wallpaper has no use for alpha.
Bitmap WallpaperPng(const std::string& path, bool) { return LoadPngFile(path).image; }

ThumbnailPicture ThumbnailBmp(std::span<const uint8_t> data, int w, int h, TGetType type, JpegMode, bool) {
  return DecodeThumbnailBmp(data, w, h, type);
}
ThumbnailPicture ThumbnailJpeg(std::span<const uint8_t> data, int w, int h, TGetType type, JpegMode mode,
                               bool exifOrientation) {
  return DecodeThumbnailJpeg(data, w, h, type, mode, exifOrientation);
}
ThumbnailPicture ThumbnailPng(std::span<const uint8_t> data, int w, int h, TGetType type, JpegMode, bool) {
  return DecodeThumbnailPng(data, w, h, type);
}

constexpr BuiltInPicture kBuiltIn[] = {
    {"bmp", "ビットマップ", WallpaperBmp, ThumbnailBmp, nullptr, nullptr, nullptr, PictureKind::Bitmap},
    {"ico", "アイコン", nullptr, nullptr, nullptr, nullptr, nullptr, PictureKind::Icon},
    {"emf", "エンハンス メタファイル", nullptr, nullptr, nullptr, nullptr, nullptr, PictureKind::EnhancedMetafile},
    {"wmf", "メタファイル", nullptr, nullptr, nullptr, nullptr, nullptr, PictureKind::Metafile},
    {"jpeg", "JPEG イメージ ファイル", WallpaperJpeg, ThumbnailJpeg, RenderRatioExpansionJpegFile,
     ReadJpegFileShownSize, DrawJpegFileForScreen, PictureKind::Jpeg},
    {"jpg", "JPEG イメージ ファイル", WallpaperJpeg, ThumbnailJpeg, RenderRatioExpansionJpegFile,
     ReadJpegFileShownSize, DrawJpegFileForScreen, PictureKind::Jpeg},
    {"PNG", "PNG Format", WallpaperPng, ThumbnailPng, nullptr, nullptr, nullptr, PictureKind::Png},
};

}  // namespace

std::span<const BuiltInPicture> BuiltInPictures() { return kBuiltIn; }

const BuiltInPicture* FindBuiltInPicture(const std::string& path) {
  const std::string ext = LowerCaseExtension(path);
  if (ext.size() < 2) return nullptr;
  for (const BuiltInPicture& p : kBuiltIn) {
    if (platform::AnsiEqualsIgnoreAsciiCase(ext.substr(1), p.extension)) return &p;
  }
  return nullptr;
}

}  // namespace tapestrel::imaging
