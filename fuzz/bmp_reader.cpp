// Bitmap files come from the user's wallpaper folder: any bytes must give a
// picture or an ImageError, never a crash, a hang or a read out of bounds.
// What is read must also survive the writer and the filters that follow it.
#include <cstddef>
#include <cstdint>

#include "imaging/auto_color.h"
#include "imaging/bmp_file.h"
#include "imaging/ratio_layout.h"
#include "imaging/thumbnail_scaling.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tapestrel::imaging;
  BmpReadOptions options;
  options.maxPixelBytes = size_t{1} << 16;  // keeps each run fast
  Bitmap b;
  try {
    b = ReadBmp({data, size}, options);
  } catch (const ImageError&) {
    return 0;
  }
  if (!(ReadBmp(WriteBmp(b, size & 1 ? BmpRowOrder::TopDown : BmpRowOrder::BottomUp)) == b)) __builtin_trap();
  if (static_cast<int64_t>(b.Width()) * b.Height() > 16384) return 0;  // the rest costs per pixel
  AutoBlankColor(b);
  RenderRatioExpansion(b, 16, 9, static_cast<int>(size % 9), std::nullopt);
  ResampleTo(b, 7, 5);
  return 0;
}
