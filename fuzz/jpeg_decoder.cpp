// JPEG files come from the user's wallpaper folder and from the thumbnail
// store: any bytes must give a picture or an ImageError, never a crash, a
// hang, a read out of bounds or an error thrown through libjpeg. Ratio
// drawing straight from the rows must give what the decoded picture gives.
#include <cstddef>
#include <cstdint>

#include "imaging/jpeg_file.h"
#include "imaging/ratio_layout.h"
#include "imaging/thumbnail_decode.h"

namespace {

// `picture` is the file decoded whole, so drawing it row by row must not fail.
void SameWhenDrawnAsDecoded(std::span<const uint8_t> jpeg, const tapestrel::imaging::Bitmap& picture) {
  using namespace tapestrel::imaging;
  const int anchor = static_cast<int>(jpeg.size() % 9);
  std::variant<TABitmap, Bitmap> drawn;
  try {
    drawn = RenderRatioExpansionJpeg(jpeg, 16, 9, anchor, std::nullopt);
  } catch (const ImageError&) {
    __builtin_trap();
  }
  const auto whole = RenderRatioExpansion(picture, 16, 9, anchor, std::nullopt);
  const bool same =
      whole ? std::holds_alternative<TABitmap>(drawn) && std::get<TABitmap>(drawn).Dib() == whole->Dib()
            : std::holds_alternative<Bitmap>(drawn) && std::get<Bitmap>(drawn) == picture;
  if (!same) __builtin_trap();
}

}  // namespace

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
    if (options.scaleDenominator == 1 && options.mode == JpegMode::BestQuality)
      SameWhenDrawnAsDecoded({data, size}, b);
  } catch (const ImageError&) {
  }
  return 0;
}
