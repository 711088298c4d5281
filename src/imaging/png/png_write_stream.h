// The PNG encoder: writes an image bitmap and, optionally, an 8-bit alpha
// mask (255 - alpha) as a PNG.
#pragma once

#include <cstdint>
#include <string_view>

#include "imaging/png/graphic_stream.h"
#include "imaging/png/png_format.h"
#include "imaging/png/png_write_rows.h"

namespace tapestrel::imaging {

class TKVXPNGWriteStream : public TKVXCustomGraphicWriteStream {
 public:
  static constexpr int kMinIdatSize = 256;
  static constexpr int kMaxIdatSize = 100000;

  using TKVXCustomGraphicWriteStream::TKVXCustomGraphicWriteStream;

  // Writes the bound bitmaps with the members of `props`; greyscale writes
  // grey levels. The mask is used only when it is an 8-bit bitmap of the
  // image's size. Throws EKVXPNG; a bad IdatSize fails before any output.
  void Encode(const PngProperties& props, bool greyscale);

 private:
  void WriteChunk(uint32_t type, const uint8_t* data, size_t n);
  void WriteText(std::string_view keyword, std::string_view text);
  void WriteTime(const PngProperties& props);
  void WriteSignificantBits(const PngProperties& props);
  void WritePalette();
  void WriteBackground(int32_t color);
  void WriteTransparency(int32_t color);
  void WritePhysicalSize(const PngPhysicalSize& size);
  // The row loop: each row (of each interlace pass) encoded, filtered by
  // FilterMode and handed to the deflate step, which emits the IDAT chunks.
  void WriteImageData(const PngProperties& props);
  // A color as an index of the written palette, or -1.
  int PaletteIndexOf(int32_t color) const;
  // A color as red, green, blue; false when it cannot be resolved.
  bool ColorOf(int32_t color, uint8_t& r, uint8_t& g, uint8_t& b) const;

  const Bitmap* used_mask_ = nullptr;
  PngWriteLayout layout_;
  size_t palette_size_ = 0;
};

}  // namespace tapestrel::imaging
