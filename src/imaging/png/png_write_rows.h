// Conversion of bitmap rows into PNG rows for the writer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "imaging/bitmap.h"

namespace tapestrel::imaging {

// What a bitmap (and optional mask) is written as.
struct PngWriteLayout {
  int color_type = 2;
  int depth = 8;
  bool alpha = false;  // the mask goes into the file
  bool grey = false;
  int BitsPerPixel() const;
};

// Greyscale bitmaps: Y = (77 R + 150 G + 29 B) >> 8, at `depth` bits.
inline uint8_t GreyLevelOf(uint8_t r, uint8_t g, uint8_t b, int depth) {
  return static_cast<uint8_t>((77 * r + 150 * g + 29 * b) >> (16 - depth));
}

// Chooses the layout for a bitmap; `mask` is null unless a usable mask goes
// with it.
PngWriteLayout ChoosePngWriteLayout(const Bitmap& image, const Bitmap* mask, bool greyscale);

class PngRowEncoder {
 public:
  PngRowEncoder(const Bitmap& image, const Bitmap* mask, const PngWriteLayout& layout);
  // Writes row y of the bitmap as one full PNG row (without filter byte).
  void Encode(int y, uint8_t* dst) const;

 private:
  using EncodeFn = void (*)(const uint8_t* src, const uint8_t* mask, uint8_t* dst, size_t width,
                            const uint8_t* grey);
  const Bitmap& image_;
  const Bitmap* mask_;
  EncodeFn encode_ = nullptr;
  std::array<uint8_t, 256> grey_{};  // palette index to grey value at the written depth
};

// Gathers `count` pixels of `bits` per pixel from columns x0, x0 + dx, ... of
// a packed row into a packed pass row.
void GatherPixels(const uint8_t* src, uint8_t* dst, size_t count, size_t x0, size_t dx, int bits);

}  // namespace tapestrel::imaging
