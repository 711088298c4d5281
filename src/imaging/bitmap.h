// The device-independent bitmap every part of Tapestrel exchanges pictures in.
//
// Rows are held top-down (row 0 is the top row) and padded to 4 bytes, exactly
// as a top-down Windows DIB section, so the Windows side can hand the pixels
// to GDI without copying. Byte order inside a pixel is the DIB order: blue,
// green, red (and a fourth byte for 32 bits). 15-bit pixels are 5-5-5 and
// 16-bit pixels 5-6-5, little-endian, red in the high bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tapestrel::imaging {

// Any failure to read, write or convert a picture.
class ImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class PixelFormat { Bits1, Bits4, Bits8, Bits15, Bits16, Bits24, Bits32 };

int BitsPerPixel(PixelFormat format);
bool IsPaletted(PixelFormat format);
// 1 << bits for the paletted formats, 0 otherwise.
int MaxPaletteSize(PixelFormat format);

// A palette entry, laid out as a Windows RGBQUAD.
struct PaletteEntry {
  uint8_t blue = 0, green = 0, red = 0, reserved = 0;
  friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// Pixel storage that, unlike std::vector, can be allocated without being
// filled first: a decoder that writes every row would otherwise pay a pass
// over tens of megabytes for nothing.
class PixelBuffer {
 public:
  PixelBuffer() = default;
  PixelBuffer(size_t size, bool zeroed);
  PixelBuffer(const PixelBuffer& other);
  PixelBuffer(PixelBuffer&& other) noexcept;
  PixelBuffer& operator=(PixelBuffer other) noexcept;

  uint8_t* data() { return data_.get(); }
  const uint8_t* data() const { return data_.get(); }
  size_t size() const { return size_; }

  friend bool operator==(const PixelBuffer& a, const PixelBuffer& b);

 private:
  std::unique_ptr<uint8_t[]> data_;
  size_t size_ = 0;
};

class Bitmap {
 public:
  // Largest width or height accepted, and largest pixel buffer: pictures from
  // files are checked against these before anything is allocated.
  static constexpr int kMaxDimension = 65535;
  static constexpr size_t kMaxPixelBytes = size_t{1} << 30;

  Bitmap() = default;
  // Zero-filled pixels; throws ImageError for a size out of range.
  Bitmap(int width, int height, PixelFormat format);
  // Pixels left unset for a caller that writes every row whole; only the row
  // padding is zeroed, so that files and comparisons never see stale memory.
  static Bitmap ForOverwrite(int width, int height, PixelFormat format);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  PixelFormat Format() const { return format_; }
  int BitsPerPixel() const { return imaging::BitsPerPixel(format_); }
  size_t Stride() const { return stride_; }

  // Row y from the top; throws std::out_of_range outside 0..Height()-1.
  uint8_t* Row(int y);
  const uint8_t* Row(int y) const;
  uint8_t* Pixels() { return pixels_.data(); }
  const uint8_t* Pixels() const { return pixels_.data(); }
  size_t PixelBytes() const { return pixels_.size(); }

  std::vector<PaletteEntry>& Palette() { return palette_; }
  const std::vector<PaletteEntry>& Palette() const { return palette_; }

  // Stride of a row of the given width and format, padded to 4 bytes.
  static size_t StrideFor(int width, PixelFormat format);
  // Throws ImageError unless width x height pixels of the format can be held.
  static void CheckSize(int width, int height, PixelFormat format);

  friend bool operator==(const Bitmap&, const Bitmap&) = default;

 private:
  int width_ = 0;
  int height_ = 0;
  PixelFormat format_ = PixelFormat::Bits24;
  size_t stride_ = 0;
  PixelBuffer pixels_;
  std::vector<PaletteEntry> palette_;
};

}  // namespace tapestrel::imaging
