// Helpers shared by the PNG codec tests: building PNG files chunk by chunk,
// parsing written files, and libpng as the reference decoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/png/png_file.h"

namespace tapestrel::testing {

using Bytes = std::vector<uint8_t>;

struct Chunk {
  std::string type;
  Bytes data;
  uint32_t crc = 0;
};

// Builds PNG files by hand, including malformed ones.
class PngBuilder {
 public:
  PngBuilder();
  PngBuilder& Add(const std::string& type, const Bytes& data);
  PngBuilder& Header(uint32_t width, uint32_t height, int depth, int color_type, int interlace = 0,
                     int compression = 0, int filter = 0);
  // One zlib stream of `raw` (filter bytes included), in IDAT chunks of at
  // most `split` bytes.
  PngBuilder& ImageData(const Bytes& raw, size_t split = 1 << 30);
  PngBuilder& End() { return Add("IEND", {}); }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

Bytes Deflate(const Bytes& raw);
// Splits a PNG into its chunks; fails the test on malformed structure.
std::vector<Chunk> ParseChunks(const Bytes& png);
uint32_t Be32(const uint8_t* p);

// A decoded picture reduced to 8-bit RGBA.
struct Rgba {
  int width = 0, height = 0;
  int depth = 0, color_type = 0;  // of the file
  std::vector<uint8_t> pixels;    // r, g, b, a
  const uint8_t* At(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
};

// libpng with 16-bit samples cut to their high byte, palettes looked up, low
// grey depths scaled, tRNS turned into alpha. Returns false with a message
// when libpng rejects the file.
bool DecodeWithLibpng(const Bytes& png, Rgba& out, std::string* error = nullptr);

// Our picture as 8-bit RGBA: palette looked up, alpha from the mask or the
// transparent palette index (a transparent RGB color is not applied).
Rgba ToRgba(const tapestrel::imaging::PngPicture& picture);

Bytes ReadFile(const std::string& path);

// Test bitmaps with every pixel distinct enough to catch misplaced rows,
// swapped channels and lost bits.
tapestrel::imaging::Bitmap Pattern(int width, int height, tapestrel::imaging::PixelFormat format,
                                   int seed = 1);
tapestrel::imaging::Bitmap PatternMask(int width, int height, int seed = 7);

}  // namespace tapestrel::testing
