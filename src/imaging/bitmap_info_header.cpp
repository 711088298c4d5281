#include "imaging/bitmap_info_header.h"

#include "imaging/bitmap.h"

namespace tapestrel::imaging {
namespace {

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

uint32_t BitmapInfoHeader::Colors() const {
  if (clrUsed != 0) return clrUsed;
  return bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
}

uint64_t BitmapInfoHeader::Stride() const {
  const uint64_t w = width > 0 ? static_cast<uint64_t>(width) : 0;
  return (uint64_t{bitCount} * w + 31) / 32 * 4;
}

BitmapInfoHeader ReadBitmapInfoHeader(std::span<const uint8_t> bytes) {
  if (bytes.size() < kBitmapInfoHeaderSize) throw ImageError("bitmap info header is too short");
  const uint8_t* h = bytes.data();
  BitmapInfoHeader hd;
  hd.headerSize = Get32(h);
  hd.width = static_cast<int32_t>(Get32(h + 4));
  hd.height = static_cast<int32_t>(Get32(h + 8));
  hd.bitCount = Get16(h + 14);
  hd.compression = Get32(h + 16);
  hd.sizeImage = Get32(h + 20);
  hd.clrUsed = Get32(h + 32);
  return hd;
}

}  // namespace tapestrel::imaging
