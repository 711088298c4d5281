#include "imaging/spi/spi_blocks.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tapestrel::imaging {
namespace {

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

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

SpiBitmapHeader ReadSpiBitmapHeader(std::span<const uint8_t> info) {
  if (info.size() < kSpiInfoHeaderSize) Fail("header block too small");
  const uint8_t* h = info.data();
  SpiBitmapHeader hd;
  hd.width = static_cast<int32_t>(Get32(h + 4));
  hd.height = static_cast<int32_t>(Get32(h + 8));
  hd.bitCount = Get16(h + 14);
  hd.compression = Get32(h + 16);
  hd.colours = Get32(h + 32);
  if (hd.colours == 0) {
    hd.colours = hd.bitCount == 1 ? 2 : hd.bitCount == 4 ? 16 : hd.bitCount == 8 ? 256 : 0;
  }
  // 64-bit arithmetic throughout: every field may hold anything.
  hd.headerSize = kSpiInfoHeaderSize + 4 * uint64_t{hd.colours};
  const uint64_t stride =
      (static_cast<uint64_t>(hd.bitCount) * static_cast<uint64_t>(std::max<int64_t>(hd.width, 0)) + 31) / 32 *
      4;
  hd.imageSize = stride * static_cast<uint64_t>(std::abs(int64_t{hd.height}));
  return hd;
}

Bitmap SpiBlocksToBitmap(std::span<const uint8_t> info, std::span<const uint8_t> pixels) {
  const SpiBitmapHeader hd = ReadSpiBitmapHeader(info);
  if (hd.compression != 0) Fail("compressed pixels");
  PixelFormat format;
  if (!FormatFor(hd.bitCount, format)) Fail("unsupported depth");
  const int64_t rows = std::abs(int64_t{hd.height});
  if (hd.width <= 0 || rows == 0) Fail("empty or negative size");
  if (hd.width > Bitmap::kMaxDimension || rows > Bitmap::kMaxDimension) Fail("too large");
  if (hd.imageSize > Bitmap::kMaxPixelBytes) Fail("too large");
  if (hd.imageSize > pixels.size()) Fail("pixel block smaller than the picture");

  size_t paletteCount = 0;
  if (IsPaletted(format)) {
    paletteCount = std::min<size_t>(hd.colours, static_cast<size_t>(MaxPaletteSize(format)));
    if (kSpiInfoHeaderSize + 4 * paletteCount > info.size()) Fail("colour table outside the header block");
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
    const uint8_t* e = info.data() + kSpiInfoHeaderSize;
    for (PaletteEntry& entry : palette) {
      entry = {e[0], e[1], e[2], 0};
      e += 4;
    }
  }
  return out;
}

}  // namespace tapestrel::imaging
