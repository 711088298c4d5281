// Constants of the PNG format and the values a PNG carries besides pixels.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tapestrel::imaging {

inline constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

constexpr uint32_t ChunkType(const char (&name)[5]) {
  return (uint32_t{static_cast<uint8_t>(name[0])} << 24) | (uint32_t{static_cast<uint8_t>(name[1])} << 16) |
         (uint32_t{static_cast<uint8_t>(name[2])} << 8) | uint32_t{static_cast<uint8_t>(name[3])};
}

namespace chunk {
inline constexpr uint32_t IHDR = ChunkType("IHDR");
inline constexpr uint32_t PLTE = ChunkType("PLTE");
inline constexpr uint32_t IDAT = ChunkType("IDAT");
inline constexpr uint32_t IEND = ChunkType("IEND");
inline constexpr uint32_t tRNS = ChunkType("tRNS");
inline constexpr uint32_t bKGD = ChunkType("bKGD");
inline constexpr uint32_t gAMA = ChunkType("gAMA");
inline constexpr uint32_t pHYs = ChunkType("pHYs");
inline constexpr uint32_t sBIT = ChunkType("sBIT");
inline constexpr uint32_t cHRM = ChunkType("cHRM");
inline constexpr uint32_t tIME = ChunkType("tIME");
inline constexpr uint32_t tEXt = ChunkType("tEXt");
inline constexpr uint32_t gIFg = ChunkType("gIFg");
inline constexpr uint32_t tpNG = ChunkType("tpNG");
}  // namespace chunk

// Color type bits.
inline constexpr int kColorPalette = 1;
inline constexpr int kColorRgb = 2;
inline constexpr int kColorAlpha = 4;
inline constexpr int kColorTypeGrey = 0;
inline constexpr int kColorTypeRgb = 2;
inline constexpr int kColorTypePalette = 3;
inline constexpr int kColorTypeGreyAlpha = 4;
inline constexpr int kColorTypeRgba = 6;

// Adam7: the seven passes' first column and row and their steps.
struct Adam7Pass {
  int x0, y0, dx, dy;
  // Pixels of this pass in a line of `size` pixels, along x or y.
  static int Count(int size, int start, int step) {
    return size > start ? (size - start + step - 1) / step : 0;
  }
};
inline constexpr Adam7Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                        {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

// Colors as the rest of the program holds them: 0x00BBGGRR, or a palette
// index with bit 24 set; -1 for none.
inline constexpr int32_t kNoColor = -1;
inline constexpr int32_t kPaletteIndexFlag = 0x01000000;
inline constexpr int32_t RgbColor(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<int32_t>(uint32_t{r} | (uint32_t{g} << 8) | (uint32_t{b} << 16));
}

struct PngTime {
  uint16_t year = 0;
  uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
  friend bool operator==(const PngTime&, const PngTime&) = default;
};

struct PngPhysicalSize {
  uint32_t x = 0, y = 0;
  // 0 unspecified, 1 metre; callers may also set 2 for inch.
  uint8_t unit = 0;
  friend bool operator==(const PngPhysicalSize&, const PngPhysicalSize&) = default;
};

// The members of a PNG picture besides its bitmaps: the writer's settings and
// the values a load takes over from the file.
struct PngProperties {
  int IdatSize = 32768;       // payload bytes per IDAT chunk, 256..100000
  int CompressionLevel = -1;  // zlib level; outside 0..9 zlib's default
  int FilterMode = 1;         // 0 adaptive, 1 None, 2 Sub, 3 Up, 4 Average, 5 Paeth
  bool Interlaced = false;    // write Adam7; set by a load
  double Gamma = 0.45455;     // 0 for none
  int32_t BackgroundColor = kNoColor;
  int32_t TransparentColor = kNoColor;
  std::string Comment;    // the "Comment" text chunks, CR LF after each
  bool StampTime = true;  // write the current UTC time rather than StoredTime
  PngTime StoredTime;
  PngPhysicalSize PhysicalSize;
  std::array<uint8_t, 4> SignificantBits{};  // red or grey, green, blue, alpha; 0 none
  std::array<uint32_t, 8> Chromaticities{};  // white x, y, red x, y, green x, y, blue x, y
  std::array<uint8_t, 4> Gifg{};
  bool SkipMacHeader = true;  // accept a 128-byte MacBinary header
};

}  // namespace tapestrel::imaging
