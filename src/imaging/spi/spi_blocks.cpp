#include "imaging/spi/spi_blocks.h"

#include <algorithm>
#include <cstring>

#include "imaging/bitmap_info_header.h"

namespace tapestrel::imaging {
namespace {

[[noreturn]] void Fail(const char* what) { throw ImageError(std::string("plug-in picture: ") + what); }

bool FormatFor(int bits, PixelFormat& format) {
  switch (bits) {
    case 1:
      format = PixelFormat::Bits1;
      return true;
    case 4:
      format = PixelFormat::Bits4;
      return true;
    case 8:
      format = PixelFormat::Bits8;
      return true;
    case 16:
      format = PixelFormat::Bits15;
      return true;  // uncompressed 16 bits are 5-5-5
    case 24:
      format = PixelFormat::Bits24;
      return true;
    case 32:
      format = PixelFormat::Bits32;
      return true;
    default:
      return false;
  }
}

}  // namespace

Bitmap SpiBlocksToBitmap(std::span<const uint8_t> info, std::span<const uint8_t> pixels) {
  if (info.size() < kBitmapInfoHeaderSize) Fail("header block too small");
  const BitmapInfoHeader hd = ReadBitmapInfoHeader(info);
  if (hd.compression != 0) Fail("compressed pixels");
  PixelFormat format;
  if (!FormatFor(hd.bitCount, format)) Fail("unsupported depth");
  const int64_t rows = hd.Rows();
  if (hd.width <= 0 || rows == 0) Fail("empty or negative size");
  if (hd.width > Bitmap::kMaxDimension || rows > Bitmap::kMaxDimension) Fail("too large");
  // Nothing is allocated for more than the pixel block really holds.
  if (hd.ImageSize() > Bitmap::kMaxPixelBytes) Fail("too large");
  if (hd.ImageSize() > pixels.size()) Fail("pixel block smaller than the picture");

  size_t paletteCount = 0;
  if (IsPaletted(format)) {
    paletteCount = std::min<size_t>(hd.Colors(), static_cast<size_t>(MaxPaletteSize(format)));
    if (kBitmapInfoHeaderSize + 4 * paletteCount > info.size()) Fail("color table outside the header block");
  }

  Bitmap out(hd.width, static_cast<int>(rows), format);
  const size_t stride = out.Stride();  // the same 4-byte padding as the plug-in's rows
  for (int64_t y = 0; y < rows; ++y) {
    const int64_t source = hd.height > 0 ? rows - 1 - y : y;
    std::memcpy(out.Row(static_cast<int>(y)), pixels.data() + static_cast<size_t>(source) * stride, stride);
  }
  if (paletteCount) {
    auto& palette = out.Palette();
    palette.resize(paletteCount);
    const uint8_t* e = info.data() + kBitmapInfoHeaderSize;
    for (PaletteEntry& entry : palette) {
      entry = {e[0], e[1], e[2], 0};
      e += 4;
    }
  }
  return out;
}

}  // namespace tapestrel::imaging
