// Exif blocks come from the user's photos: any bytes, read as a JPEG file or
// as the block's bare TIFF data, must give one of the eight orientations,
// never a crash, a hang or a read out of bounds. The picture turned by it
// keeps every pixel: turned back, it is what it was.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "imaging/exif_orientation.h"
#include "imaging/turn_picture.h"

namespace {

using namespace tapestrel::imaging;

// The orientation that undoes `o`: the quarter turns undo each other.
ExifOrientation Undoing(ExifOrientation o) {
  if (o == ExifOrientation::TurnClockwise) return ExifOrientation::TurnAnticlockwise;
  if (o == ExifOrientation::TurnAnticlockwise) return ExifOrientation::TurnClockwise;
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const ExifOrientation read = ReadExifOrientation(bytes);
  for (ExifOrientation o : {read, ExifOrientationOfTiff(bytes)}) {
    if (o < ExifOrientation::AsStored || o > ExifOrientation::TurnAnticlockwise) __builtin_trap();
  }
  // A small picture in a format and size taken from the input's length.
  constexpr PixelFormat kFormats[] = {PixelFormat::Bits1, PixelFormat::Bits8, PixelFormat::Bits15,
                                      PixelFormat::Bits24, PixelFormat::Bits32};
  const PixelFormat format = kFormats[size % 5];
  Bitmap picture(static_cast<int>(size % 13) + 1, static_cast<int>(size / 13 % 7) + 1, format);
  if (format != PixelFormat::Bits1) {
    std::memcpy(picture.Pixels(), data, std::min(size, picture.PixelBytes()));
    for (int y = 0; y < picture.Height(); ++y) {  // the row padding stays zero
      const size_t used =
          static_cast<size_t>(picture.Width()) * static_cast<size_t>((picture.BitsPerPixel() + 7) / 8);
      std::memset(picture.Row(y) + used, 0, picture.Stride() - used);
    }
  }
  const Bitmap turned = TurnAsRecorded(picture, read);
  if (SwapsAxes(read) ? turned.Width() != picture.Height() : turned.Width() != picture.Width())
    __builtin_trap();
  if (format != PixelFormat::Bits1 && TurnAsRecorded(turned, Undoing(read)) != picture) __builtin_trap();
  return 0;
}
