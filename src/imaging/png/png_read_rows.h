// Conversion of unfiltered PNG rows into bitmap rows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/bitmap.h"

namespace tapestrel::imaging {

// Converts `width` pixels of a PNG row into the bitmap layout; `mask`
// receives 255 - alpha for layouts with alpha and is unused otherwise.
using PngRowConverter = void (*)(const uint8_t* src, uint8_t* dst, uint8_t* mask, size_t width);

// Both for a valid color type (0, 2, 3, 4, 6) and bit depth of it.
PixelFormat PngOutputFormat(int color_type, int depth);
PngRowConverter SelectPngRowConverter(int color_type, int depth);

// Stores `count` pixels of a packed row of `bits` (1, 4, 8 or 24) per pixel at
// columns x0, x0 + dx, ... of `dst` (one interlace pass).
void ScatterPixels(const uint8_t* src, uint8_t* dst, size_t count, size_t x0, size_t dx, int bits);

// Largest palette index in a row of `width` pixels of `depth` bits.
uint8_t MaxPaletteIndex(const uint8_t* row, size_t width, int depth);

}  // namespace tapestrel::imaging
