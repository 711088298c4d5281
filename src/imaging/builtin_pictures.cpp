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

void WriteBmp(const std::string& path, const Bitmap& picture) { WriteBmpFile(path, picture); }
void WriteJpeg(const std::string& path, const Bitmap& picture) { EncodeJpegFile(path, picture); }
void WritePng(const std::string& path, const Bitmap& picture) { SavePngFile(path, picture); }

constexpr BuiltInPicture kBuiltIn[] = {
    {"bmp", "ビットマップ", "ビットマップ", WallpaperBmp, ThumbnailBmp, nullptr, nullptr, nullptr, WriteBmp,
     PictureKind::Bitmap},
    {"ico", "アイコン", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, PictureKind::Icon},
    {"emf", "エンハンス メタファイル", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
     PictureKind::EnhancedMetafile},
    {"wmf", "メタファイル", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, PictureKind::Metafile},
    {"jpeg", "JPEG イメージ ファイル", nullptr, WallpaperJpeg, ThumbnailJpeg, RenderRatioExpansionJpegFile,
     ReadJpegFileShownSize, DrawJpegFileForScreen, nullptr, PictureKind::Jpeg},
    {"jpg", "JPEG イメージ ファイル", "JPEG イメージファイル", WallpaperJpeg, ThumbnailJpeg,
     RenderRatioExpansionJpegFile, ReadJpegFileShownSize, DrawJpegFileForScreen, WriteJpeg, PictureKind::Jpeg},
    {"PNG", "PNG Format", "PNG Format", WallpaperPng, ThumbnailPng, nullptr, nullptr, nullptr, WritePng,
     PictureKind::Png},
};

}  // namespace

std::span<const BuiltInPicture> BuiltInPictures() { return kBuiltIn; }

std::vector<const BuiltInPicture*> WritablePictures() {
  std::vector<const BuiltInPicture*> writable;
  for (const BuiltInPicture& p : kBuiltIn) {
    if (p.writer) writable.push_back(&p);
  }
  return writable;
}

std::vector<OwnFormat> OwnFormats() {
  std::vector<OwnFormat> formats;
  for (const BuiltInPicture& usual : kBuiltIn) {
    if (!usual.formatListName) continue;
    OwnFormat format{{platform::AnsiLowerAscii(usual.extension)}, usual.formatListName};
    for (const BuiltInPicture& other : kBuiltIn) {
      if (&other != &usual && other.wallpaper == usual.wallpaper)
        format.extensions.push_back(platform::AnsiLowerAscii(other.extension));
    }
    formats.push_back(std::move(format));
  }
  return formats;
}

const BuiltInPicture* FindBuiltInPicture(const std::string& path) {
  const std::string ext = LowerCaseExtension(path);
  if (ext.size() < 2) return nullptr;
  for (const BuiltInPicture& p : kBuiltIn) {
    if (platform::AnsiEqualsIgnoreAsciiCase(ext.substr(1), p.extension)) return &p;
  }
  return nullptr;
}

}  // namespace tapestrel::imaging
