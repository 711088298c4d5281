#include "imaging/bitmap.h"

namespace tapestrel::imaging {

int BitsPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::Bits1: return 1;
    case PixelFormat::Bits4: return 4;
    case PixelFormat::Bits8: return 8;
    case PixelFormat::Bits15: return 15;
    case PixelFormat::Bits16: return 16;
    case PixelFormat::Bits24: return 24;
    case PixelFormat::Bits32: return 32;
  }
  return 24;
}

bool IsPaletted(PixelFormat format) {
  return format == PixelFormat::Bits1 || format == PixelFormat::Bits4 || format == PixelFormat::Bits8;
}

int MaxPaletteSize(PixelFormat format) { return IsPaletted(format) ? 1 << BitsPerPixel(format) : 0; }

size_t Bitmap::StrideFor(int width, PixelFormat format) {
  const int bits = format == PixelFormat::Bits15 ? 16 : imaging::BitsPerPixel(format);
  return ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
}

void Bitmap::CheckSize(int width, int height, PixelFormat format) {
  if (width <= 0 || height <= 0) throw ImageError("bitmap size must be positive");
  if (width > kMaxDimension || height > kMaxDimension) throw ImageError("bitmap is too large");
  // 64-bit product: size_t is 32 bits on Windows, where 131072 x 32768 would wrap to 0.
  if (static_cast<uint64_t>(StrideFor(width, format)) * static_cast<uint64_t>(height) > kMaxPixelBytes) {
    throw ImageError("bitmap is too large");
  }
}

Bitmap::Bitmap(int width, int height, PixelFormat format) : format_(format) {
  CheckSize(width, height, format);
  width_ = width;
  height_ = height;
  stride_ = StrideFor(width, format);
  pixels_.assign(stride_ * static_cast<size_t>(height), 0);
}

uint8_t* Bitmap::Row(int y) {
  if (y < 0 || y >= height_) throw std::out_of_range("bitmap row out of range");
  return pixels_.data() + stride_ * static_cast<size_t>(y);
}

const uint8_t* Bitmap::Row(int y) const {
  if (y < 0 || y >= height_) throw std::out_of_range("bitmap row out of range");
  return pixels_.data() + stride_ * static_cast<size_t>(y);
}

}  // namespace tapestrel::imaging
