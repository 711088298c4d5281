// The picture a plug-in hands back, a BITMAPINFO block and a pixel block,
// turned into a Bitmap. The blocks come from code we do not control: every
// size is checked against the blocks' real lengths before anything is read
// or allocated.
#pragma once

#include <cstdint>
#include <span>

#include "imaging/bitmap.h"

namespace tapestrel::imaging {

// The header is read by ReadBitmapInfoHeader (bitmap_info_header.h); its
// color table follows the 40 bytes, whatever biSize says.
//
// Uncompressed 1, 4, 8, 16 (5-5-5), 24 and 32 bits per pixel, either row
// order. Throws ImageError when the blocks hold less than the header claims
// (color table or pixels), for a zero, negative or absurd size, and for a
// depth or compression not handled. Paletted pictures keep the entries the
// header announces (at most 2^bits), so a picture's palette may be shorter
// than its depth allows.
Bitmap SpiBlocksToBitmap(std::span<const uint8_t> info, std::span<const uint8_t> pixels);

}  // namespace tapestrel::imaging
