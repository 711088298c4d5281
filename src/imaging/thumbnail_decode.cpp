#include "imaging/thumbnail_decode.h"

#include "imaging/bmp_file.h"
#include "imaging/builtin_pictures.h"
#include "imaging/file_bytes.h"
#include "imaging/pixel_convert.h"
#include "imaging/png/png_file.h"

namespace tapestrel::imaging {

void FitThumbnail(Bitmap& bitmap, int w, int h, TGetType type, const StopRequest& stop) {
  if (type == TGetType::igtNormal) {
    bitmap = ConvertTo24(bitmap);
    return;
  }
  const Size size = FitByGetType(type, bitmap.Width(), bitmap.Height(), w, h);
  ResampleTo(bitmap, size.width, size.height, stop);
}

ThumbnailPicture DecodeThumbnailJpeg(std::span<const uint8_t> data, int w, int h, TGetType type,
                                     JpegMode mode, bool exifOrientation, const StopRequest& stop) {
  JpegDecodeOptions options;
  options.stop = stop;
  options.mode = mode;
  options.exifOrientation = exifOrientation;
  options.chooseScale = [&](int pw, int ph) {
    return type == TGetType::igtNormal ? 1 : ChooseJpegScale(pw, ph, w, h);
  };
  JpegHeader header;
  ThumbnailPicture t;
  t.bitmap = DecodeJpeg(data, options, &header);
  t.sourceWidth = header.width;
  t.sourceHeight = header.height;
  FitThumbnail(t.bitmap, w, h, type, stop);
  return t;
}

ThumbnailPicture DecodeThumbnailBmp(std::span<const uint8_t> data, int w, int h, TGetType type,
                                    const StopRequest& stop) {
  BmpReadOptions options;
  options.stop = stop;
  ThumbnailPicture t;
  t.bitmap = ReadBmp(data, options);
  t.sourceWidth = t.bitmap.Width();
  t.sourceHeight = t.bitmap.Height();
  FitThumbnail(t.bitmap, w, h, type, stop);
  return t;
}

ThumbnailPicture DecodeThumbnailPng(std::span<const uint8_t> data, int w, int h, TGetType type,
                                    const StopRequest& stop) {
  ThumbnailPicture t;
  t.bitmap = LoadPng(data, stop).image;
  t.sourceWidth = t.bitmap.Width();
  t.sourceHeight = t.bitmap.Height();
  FitThumbnail(t.bitmap, w, h, type, stop);
  return t;
}

ThumbnailPicture LoadThumbnailPicture(const std::string& path, int w, int h, TGetType type, JpegMode mode,
                                      bool exifOrientation) {
  const BuiltInPicture* picture = FindBuiltInPicture(path);
  if (!picture || !picture->thumbnail) throw ImageError("no thumbnail decoder for " + path);
  return picture->thumbnail(ReadFileBytes(path), w, h, type, mode, exifOrientation);
}

}  // namespace tapestrel::imaging
