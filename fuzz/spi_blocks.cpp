// The two memory blocks a picture plug-in returns are outside data: no
// header may make the conversion read past either block, crash, or allocate
// more than the blocks could describe.
// Input: 2 bytes little-endian = length of the BITMAPINFO block, that block,
// then the pixel block (the rest).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "imaging/spi/spi_blocks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tapestrel::imaging;
  if (size < 2) return 0;
  size_t infoSize = data[0] | data[1] << 8;
  data += 2;
  size -= 2;
  if (infoSize > size) infoSize = size;
  const std::span<const uint8_t> info(data, infoSize);
  const std::span<const uint8_t> pixels(data + infoSize, size - infoSize);
  try {
    const Bitmap b = SpiBlocksToBitmap(info, pixels);
    // What came out is consistent and no larger than what went in.
    if (b.PixelBytes() != b.Stride() * static_cast<size_t>(b.Height())) abort();
    if (b.PixelBytes() > pixels.size()) abort();
    if (b.Palette().size() > static_cast<size_t>(MaxPaletteSize(b.Format()))) abort();
  } catch (const ImageError&) {
  }
  return 0;
}
