// The BITMAPINFOHEADER that bitmap files carry after their file header and
// picture plug-ins hand back at the start of their BITMAPINFO block: one
// reading of its fields for both. Later header versions (V4, V5) begin with
// the same 40 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tapestrel::imaging {

inline constexpr size_t kBitmapInfoHeaderSize = 40;

struct BitmapInfoHeader {
  uint32_t headerSize = 0;  // biSize
  int32_t width = 0;
  int32_t height = 0;  // positive: rows bottom-up; negative: top-down
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  uint32_t clrUsed = 0;

  bool TopDown() const { return height < 0; }
  // |height|; 64 bits, so that the most negative height is no overflow.
  int64_t Rows() const { return height < 0 ? -int64_t{height} : int64_t{height}; }
  // Entries of the color table: biClrUsed, or 2, 16 and 256 for 1, 4 and 8
  // bits when that is 0.
  uint32_t Colors() const;
  // One row padded to 4 bytes, and all rows. 64 bits, as every field may
  // hold anything; a negative width counts as none.
  uint64_t Stride() const;
  uint64_t ImageSize() const { return Stride() * static_cast<uint64_t>(Rows()); }
};

// The fields of the first 40 bytes, as they stand; judging them is the
// caller's part. Throws ImageError when fewer than 40 bytes are given.
BitmapInfoHeader ReadBitmapInfoHeader(std::span<const uint8_t> bytes);

}  // namespace tapestrel::imaging
