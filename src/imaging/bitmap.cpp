#include "imaging/bitmap.h"

#include <cstring>
#include <utility>

namespace tapestrel::imaging {

PixelBuffer::PixelBuffer(size_t size, bool zeroed)
    : data_(zeroed ? std::make_unique<uint8_t[]>(size) : std::make_unique_for_overwrite<uint8_t[]>(size)),
      size_(size) {}

PixelBuffer::PixelBuffer(const PixelBuffer& other) : PixelBuffer(other.size_, false) {
  if (size_ != 0) std::memcpy(data_.get(), other.data_.get(), size_);
}

PixelBuffer::PixelBuffer(PixelBuffer&& other) noexcept
    : data_(std::move(other.data_)), size_(std::exchange(other.size_, 0)) {}

PixelBuffer& PixelBuffer::operator=(PixelBuffer other) noexcept {
  std::swap(data_, other.data_);
  std::swap(size_, other.size_);
  return *this;
}

bool operator==(const PixelBuffer& a, const PixelBuffer& b) {
  return a.size_ == b.size_ && (a.size_ == 0 || std::memcmp(a.data_.get(), b.data_.get(), a.size_) == 0);
}

int BitsPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::Bits1:
      return 1;
    case PixelFormat::Bits4:
      return 4;
    case PixelFormat::Bits8:
      return 8;
    case PixelFormat::Bits15:
      return 15;
    case PixelFormat::Bits16:
      return 16;
    case PixelFormat::Bits24:
      return 24;
    case PixelFormat::Bits32:
      return 32;
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
  pixels_ = PixelBuffer(stride_ * static_cast<size_t>(height), true);
}

Bitmap Bitmap::ForOverwrite(int width, int height, PixelFormat format) {
  CheckSize(width, height, format);
  Bitmap b;
  b.width_ = width;
  b.height_ = height;
  b.format_ = format;
  b.stride_ = StrideFor(width, format);
  b.pixels_ = PixelBuffer(b.stride_ * static_cast<size_t>(height), false);
  // Padding is less than the last 4 bytes of a row; the caller overwrites
  // whatever of them are pixels.
  for (int y = 0; y < height; ++y) std::memset(b.Row(y) + b.stride_ - 4, 0, 4);
  return b;
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
