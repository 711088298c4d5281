// JPEG files come from the user's wallpaper folder and from the thumbnail
// store: any bytes must give a picture or an ImageError, never a crash, a
// hang, a read out of bounds or an error thrown through libjpeg.
#include <cstddef>
#include <cstdint>

#include "imaging/jpeg_file.h"
#include "imaging/thumbnail_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tapestrel::imaging;
  // Options from the length, so that seeds stay plain JPEG files.
  JpegDecodeOptions options;
  options.scaleDenominator = 1 << (size % 4);
  options.mode = (size / 4) % 2 ? JpegMode::BestSpeed : JpegMode::BestQuality;
  options.maxBytes = size_t{1} << 20;  // keeps each run fast
  try {
    ReadJpegHeader({data, size});
    const Bitmap b = DecodeJpeg({data, size}, options);
    if (b.Format() != PixelFormat::Bits24 || b.Empty()) __builtin_trap();
    if ((size / 8) % 4 == 0) DecodeThumbnailJpeg({data, size}, 12, 9, TGetType::igtPreview);
  } catch (const ImageError&) {
  }
  return 0;
}
