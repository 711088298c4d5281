// Reading pixels of any format as colors, and widening whole bitmaps to the
// true-color formats the filters work on.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/color_value.h"

namespace tapestrel::imaging {

// The color of pixel (x, y), as a device context would report it: palette
// indices resolve through the palette (an index past its end reads as black),
// 5-bit and 6-bit channels are widened by repeating their high bits, and the
// fourth byte of 32-bit pixels is ignored. Throws std::out_of_range outside
// the bitmap.
ColorValue PixelColor(const Bitmap& bitmap, int x, int y);

// The colors of a whole row, as PixelColor gives them, but at the cost of one
// row conversion.
std::vector<ColorValue> RowColors(const Bitmap& bitmap, int y);

// Copies of the bitmap in 24 or 32 bits per pixel (no palette). The fourth
// byte of a pixel widened to 32 bits is 0; a 32-bit source keeps its own.
Bitmap ConvertTo24(const Bitmap& bitmap);
Bitmap ConvertTo32(const Bitmap& bitmap);

}  // namespace tapestrel::imaging
