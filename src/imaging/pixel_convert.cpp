#include "imaging/pixel_convert.h"

#include <array>
#include <cstring>
#include <stdexcept>

namespace tapestrel::imaging {
namespace {

constexpr uint8_t Widen5(unsigned v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }
constexpr uint8_t Widen6(unsigned v) { return static_cast<uint8_t>((v << 2) | (v >> 4)); }

// Writes one row of `width` pixels as blue, green, red triples into `out`,
// advancing by `step` bytes per pixel (3 or 4).
void WidenRow(const Bitmap& src, const uint8_t* row, int width, uint8_t* out, int step) {
  const auto& palette = src.Palette();
  auto put_index = [&](unsigned index, uint8_t* p) {
    if (index < palette.size()) {
      p[0] = palette[index].blue;
      p[1] = palette[index].green;
      p[2] = palette[index].red;
    } else {
      p[0] = p[1] = p[2] = 0;
    }
  };
  switch (src.Format()) {
    case PixelFormat::Bits1:
      for (int x = 0; x < width; ++x) put_index((row[x >> 3] >> (7 - (x & 7))) & 1, out + x * step);
      break;
    case PixelFormat::Bits4:
      for (int x = 0; x < width; ++x) put_index((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF, out + x * step);
      break;
    case PixelFormat::Bits8:
      for (int x = 0; x < width; ++x) put_index(row[x], out + x * step);
      break;
    case PixelFormat::Bits15:
      for (int x = 0; x < width; ++x) {
        const unsigned v = row[2 * x] | row[2 * x + 1] << 8;
        uint8_t* p = out + x * step;
        p[0] = Widen5(v & 0x1F);
        p[1] = Widen5((v >> 5) & 0x1F);
        p[2] = Widen5((v >> 10) & 0x1F);
      }
      break;
    case PixelFormat::Bits16:
      for (int x = 0; x < width; ++x) {
        const unsigned v = row[2 * x] | row[2 * x + 1] << 8;
        uint8_t* p = out + x * step;
        p[0] = Widen5(v & 0x1F);
        p[1] = Widen6((v >> 5) & 0x3F);
        p[2] = Widen5((v >> 11) & 0x1F);
      }
      break;
    case PixelFormat::Bits24:
      if (step == 3) {
        std::memcpy(out, row, static_cast<size_t>(width) * 3);
      } else {
        for (int x = 0; x < width; ++x) std::memcpy(out + x * step, row + x * 3, 3);
      }
      break;
    case PixelFormat::Bits32:
      for (int x = 0; x < width; ++x) std::memcpy(out + x * step, row + x * 4, 3);
      break;
  }
}

Bitmap ConvertTrueColor(const Bitmap& bitmap, PixelFormat to) {
  if (bitmap.Empty()) return Bitmap();
  if (bitmap.Format() == to) {
    Bitmap copy = bitmap;
    copy.Palette().clear();
    return copy;
  }
  Bitmap out(bitmap.Width(), bitmap.Height(), to);
  const int step = to == PixelFormat::Bits32 ? 4 : 3;
  for (int y = 0; y < bitmap.Height(); ++y) WidenRow(bitmap, bitmap.Row(y), bitmap.Width(), out.Row(y), step);
  return out;
}

}  // namespace

ColorValue PixelColor(const Bitmap& bitmap, int x, int y) {
  if (x < 0 || x >= bitmap.Width()) throw std::out_of_range("pixel column out of range");
  const uint8_t* row = bitmap.Row(y);
  // Widen just this pixel: its bytes (or its bits moved to the front of a
  // byte) form a one-pixel row.
  std::array<uint8_t, 3> bgr{};
  switch (bitmap.Format()) {
    case PixelFormat::Bits24: std::memcpy(bgr.data(), row + 3 * x, 3); break;
    case PixelFormat::Bits32: std::memcpy(bgr.data(), row + 4 * x, 3); break;
    case PixelFormat::Bits15:
    case PixelFormat::Bits16: WidenRow(bitmap, row + 2 * x, 1, bgr.data(), 3); break;
    case PixelFormat::Bits8: WidenRow(bitmap, row + x, 1, bgr.data(), 3); break;
    case PixelFormat::Bits4: {
      const uint8_t byte = static_cast<uint8_t>((row[x >> 1] >> ((x & 1) ? 0 : 4)) << 4);
      WidenRow(bitmap, &byte, 1, bgr.data(), 3);
      break;
    }
    case PixelFormat::Bits1: {
      const uint8_t byte = static_cast<uint8_t>(((row[x >> 3] >> (7 - (x & 7))) & 1) << 7);
      WidenRow(bitmap, &byte, 1, bgr.data(), 3);
      break;
    }
  }
  return MakeColor(bgr[2], bgr[1], bgr[0]);
}

Bitmap ConvertTo24(const Bitmap& bitmap) { return ConvertTrueColor(bitmap, PixelFormat::Bits24); }
Bitmap ConvertTo32(const Bitmap& bitmap) { return ConvertTrueColor(bitmap, PixelFormat::Bits32); }

}  // namespace tapestrel::imaging
