// Decoding pictures as the wallpaper and the thumbnails do, and encoding
// captures as JPEG.
#include "commands.h"
#include "imaging/bmp_file.h"
#include "imaging/jpeg_file.h"
#include "imaging/picture_file.h"
#include "imaging/thumbnail_decode.h"

namespace tapestrel_imaging_tool {

using namespace tapestrel::imaging;

// The wallpaper decoding: BMP, or JPEG in best quality, to a BMP of the
// picture's own depth.
int Decode(const Args& args) {
  WriteBmpFile(args[1], LoadPictureFile(args[0]));
  return 0;
}

// The thumbnail path: preview fitting into a W x H box, JPEGs at the scale
// that covers the box, decoded for speed.
int Thumb(const Args& args) {
  const int w = ParsePositive(args[1], "W");
  const int h = ParsePositive(args[2], "H");
  const ThumbnailPicture t = LoadThumbnailPicture(args[0], w, h, TGetType::igtPreview, JpegMode::BestSpeed);
  if (t.bitmap.Empty()) throw ImageError("the picture shrinks to nothing in this box");
  WriteBmpFile(args[3], t.bitmap);
  return 0;
}

// A capture file: quality 90, baseline.
int EncodeJpegCommand(const Args& args) {
  EncodeJpegFile(args[1], ReadBmpFile(args[0]));
  return 0;
}

}  // namespace tapestrel_imaging_tool
