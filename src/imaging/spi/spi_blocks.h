// The picture a plug-in hands back, a BITMAPINFO block and a pixel block,
// turned into a Bitmap. The blocks come from code we do not control: every
// size is checked against the blocks' real lengths before anything is read
// or allocated.
#pragma once

#include <cstdint>
#include <span>

#include "imaging/bitmap.h"

namespace tapestrel::imaging {

// What the BITMAPINFO block says, and the sizes derived from it.
struct SpiBitmapHeader {
  int32_t width = 0;
  int32_t height = 0;  // positive: rows bottom-up; negative: top-down
  int bitCount = 0;
  uint32_t compression = 0;
  uint32_t colours = 0;     // biClrUsed, or 2/16/256 for 1/4/8 bits when that is 0
  uint64_t headerSize = 0;  // 40 + 4 x colours
  uint64_t imageSize = 0;   // rows padded to 4 bytes, times |height|
};

constexpr size_t kSpiInfoHeaderSize = 40;

// Throws ImageError for a block shorter than a BITMAPINFOHEADER.
SpiBitmapHeader ReadSpiBitmapHeader(std::span<const uint8_t> info);

// Uncompressed 1, 4, 8, 16 (5-5-5), 24 and 32 bits per pixel, either row
// order. Throws ImageError when the blocks hold less than the header claims
// (colour table or pixels), for a zero, negative or absurd size, and for a
// depth or compression not handled. Paletted pictures keep the entries the
// header announces (at most 2^bits), so a picture's palette may be shorter
// than its depth allows.
Bitmap SpiBlocksToBitmap(std::span<const uint8_t> info, std::span<const uint8_t> pixels);

}  // namespace tapestrel::imaging
