#include "imaging/png/png_read_rows.h"

#include <array>
#include <cstring>

#include "imaging/png/png_format.h"
#include "imaging/png/rgb_swap.h"

namespace tapestrel::imaging {
namespace {

// 1-, 4- and 8-bit samples are laid out in PNG rows as in DIB rows.
template <int Depth>
void CopyRow(const uint8_t* src, uint8_t* dst, uint8_t*, size_t width) {
  std::memcpy(dst, src, (width * Depth + 7) / 8);
}

// Four 2-bit samples per byte become two bytes of 4-bit indices.
constexpr std::array<uint16_t, 256> MakeWiden2To4() {
  std::array<uint16_t, 256> t{};
  for (int b = 0; b < 256; ++b) {
    const int p0 = (b >> 6) & 3, p1 = (b >> 4) & 3, p2 = (b >> 2) & 3, p3 = b & 3;
    t[b] = static_cast<uint16_t>(((p0 << 4 | p1) << 8) | (p2 << 4 | p3));
  }
  return t;
}
constexpr std::array<uint16_t, 256> kWiden2To4 = MakeWiden2To4();

void Widen2To4(const uint8_t* src, uint8_t* dst, uint8_t*, size_t width) {
  const size_t in_bytes = (width + 3) / 4;
  const size_t out_bytes = (width + 1) / 2;
  size_t o = 0;
  for (size_t i = 0; i < in_bytes; ++i) {
    const uint16_t w = kWiden2To4[src[i]];
    dst[o++] = static_cast<uint8_t>(w >> 8);
    if (o < out_bytes) dst[o++] = static_cast<uint8_t>(w);
  }
}

void Grey16(const uint8_t* src, uint8_t* dst, uint8_t*, size_t width) {
  for (size_t i = 0; i < width; ++i) dst[i] = src[2 * i];
}

template <size_t Step>
void GreyAlpha(const uint8_t* src, uint8_t* dst, uint8_t* mask, size_t width) {
  for (size_t i = 0; i < width; ++i) {
    dst[i] = src[2 * Step * i];
    mask[i] = static_cast<uint8_t>(~src[2 * Step * i + Step]);
  }
}

template <size_t Step>
void Rgb(const uint8_t* src, uint8_t* dst, uint8_t*, size_t width) {
  if constexpr (Step == 1) {
    SwapRedBlue24(src, dst, width);
    return;
  }
  for (size_t i = 0; i < width; ++i, src += 3 * Step, dst += 3) {
    const uint8_t r = src[0], g = src[Step], b = src[2 * Step];
    dst[0] = b;
    dst[1] = g;
    dst[2] = r;
  }
}

template <size_t Step>
void Rgba(const uint8_t* src, uint8_t* dst, uint8_t* mask, size_t width) {
  for (size_t i = 0; i < width; ++i, src += 4 * Step, dst += 3) {
    const uint8_t r = src[0], g = src[Step], b = src[2 * Step], a = src[3 * Step];
    dst[0] = b;
    dst[1] = g;
    dst[2] = r;
    mask[i] = static_cast<uint8_t>(~a);
  }
}

}  // namespace

PixelFormat PngOutputFormat(int color_type, int depth) {
  switch (color_type) {
    case kColorTypeGrey:
    case kColorTypePalette:
      return depth == 1 ? PixelFormat::Bits1 : depth <= 4 ? PixelFormat::Bits4 : PixelFormat::Bits8;
    case kColorTypeGreyAlpha:
      return PixelFormat::Bits8;
    default:
      return PixelFormat::Bits24;
  }
}

PngRowConverter SelectPngRowConverter(int color_type, int depth) {
  const bool wide = depth == 16;
  switch (color_type) {
    case kColorTypeGrey:
    case kColorTypePalette:
      switch (depth) {
        case 1:
          return CopyRow<1>;
        case 2:
          return Widen2To4;
        case 4:
          return CopyRow<4>;
        case 8:
          return CopyRow<8>;
        default:
          return Grey16;
      }
    case kColorTypeGreyAlpha:
      return wide ? GreyAlpha<2> : GreyAlpha<1>;
    case kColorTypeRgba:
      return wide ? Rgba<2> : Rgba<1>;
    default:
      return wide ? Rgb<2> : Rgb<1>;
  }
}

void ScatterPixels(const uint8_t* src, uint8_t* dst, size_t count, size_t x0, size_t dx, int bits) {
  switch (bits) {
    case 1:
      for (size_t i = 0, x = x0; i < count; ++i, x += dx) {
        const int bit = (src[i >> 3] >> (7 - (i & 7))) & 1;
        const auto m = static_cast<uint8_t>(0x80 >> (x & 7));
        dst[x >> 3] = static_cast<uint8_t>(bit ? dst[x >> 3] | m : dst[x >> 3] & ~m);
      }
      return;
    case 4:
      for (size_t i = 0, x = x0; i < count; ++i, x += dx) {
        const int v = (i & 1) ? src[i >> 1] & 0x0F : src[i >> 1] >> 4;
        uint8_t& d = dst[x >> 1];
        d = static_cast<uint8_t>((x & 1) ? (d & 0xF0) | v : (d & 0x0F) | (v << 4));
      }
      return;
    case 8:
      for (size_t i = 0, x = x0; i < count; ++i, x += dx) dst[x] = src[i];
      return;
    default:
      for (size_t i = 0, x = x0; i < count; ++i, x += dx) std::memcpy(dst + 3 * x, src + 3 * i, 3);
      return;
  }
}

uint8_t MaxPaletteIndex(const uint8_t* row, size_t width, int depth) {
  uint8_t max = 0;
  if (depth == 8) {
    for (size_t i = 0; i < width; ++i) max = row[i] > max ? row[i] : max;
    return max;
  }
  const int per_byte = 8 / depth;
  const int mask = (1 << depth) - 1;
  for (size_t i = 0; i < width; ++i) {
    const int shift = 8 - depth * (1 + static_cast<int>(i % per_byte));
    const auto v = static_cast<uint8_t>((row[i / per_byte] >> shift) & mask);
    max = v > max ? v : max;
  }
  return max;
}

}  // namespace tapestrel::imaging
