// Windows bitmap files (.bmp), as Windows programs exchange them.
//
// Reading takes the core, info, V4 and V5 headers; 1, 4, 8, 16, 24 and 32 bits
// per pixel; uncompressed, bit-field and RLE4/RLE8 pixel data; both row
// orders. Pixels keep the file's own depth where Bitmap has it (1/4/8 with
// palette, 5-5-5, 5-6-5, 24, 32); unusual bit-field layouts are widened to 24
// bits (16-bit files) or 32 bits (32-bit files, alpha in the fourth byte).
// Any malformed file is an ImageError, never a read outside the data.
//
// Writing produces a BITMAPINFOHEADER file in the bitmap's own depth: 5-6-5
// pixels as 16-bit bit fields, everything else uncompressed.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/stop_request.h"

namespace tapestrel::imaging {

struct BmpReadOptions {
  // Pictures whose pixels would take more memory are refused before anything
  // is allocated.
  size_t maxPixelBytes = Bitmap::kMaxPixelBytes;
  // Looked at every row: a read asked to stop throws PictureStopped.
  StopRequest stop;
};

Bitmap ReadBmp(std::span<const uint8_t> file, const BmpReadOptions& options = {});
Bitmap ReadBmpFile(const std::string& path, const BmpReadOptions& options = {});

enum class BmpRowOrder {
  BottomUp,  // positive height: what every Windows program reads
  TopDown,   // negative height
};

std::vector<uint8_t> WriteBmp(const Bitmap& bitmap, BmpRowOrder order = BmpRowOrder::BottomUp);
void WriteBmpFile(const std::string& path, const Bitmap& bitmap, BmpRowOrder order = BmpRowOrder::BottomUp);

}  // namespace tapestrel::imaging
