// Picture files of a few dozen bytes that claim pictures of hundreds of
// megabytes, for the tests that decoders allocate only what the data could
// fill (native and Windows builds alike).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <vector>

namespace tapestrel::testing {

using Bytes = std::vector<uint8_t>;

namespace hostile_detail {
inline void Put32Be(Bytes& b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
}
inline void Put32Le(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void Chunk(Bytes& png, const char* type, const Bytes& data) {
  Put32Be(png, static_cast<uint32_t>(data.size()));
  const size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  Put32Be(png, static_cast<uint32_t>(crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))));
}
}  // namespace hostile_detail

// About 70 bytes: an RGBA PNG of width x height (by default 65535 x 5461,
// some 1.4 GB of image and mask) whose one IDAT holds a few zero rows.
inline Bytes HugePng(uint32_t width = 65535, uint32_t height = 5461, uint8_t interlace = 0) {
  using namespace hostile_detail;
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  Put32Be(ihdr, width);
  Put32Be(ihdr, height);
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, interlace});
  Chunk(png, "IHDR", ihdr);
  const Bytes rows(4096, 0);
  Bytes idat(compressBound(rows.size()));
  uLongf size = static_cast<uLongf>(idat.size());
  compress2(idat.data(), &size, rows.data(), static_cast<uLong>(rows.size()), 9);
  idat.resize(size);
  Chunk(png, "IDAT", idat);
  Chunk(png, "IEND", {});
  return png;
}

// A bitmap file header and info header for width x height at `bits`, with
// `compression`, followed by `data`.
inline Bytes HugeBmp(int width, int height, int bits, uint32_t compression, const Bytes& data) {
  using namespace hostile_detail;
  const size_t palette = bits <= 8 ? 4u << bits : 0;
  Bytes bmp(54 + palette, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  Put32Le(bmp, 2, static_cast<uint32_t>(bmp.size() + data.size()));
  Put32Le(bmp, 10, static_cast<uint32_t>(bmp.size()));
  Put32Le(bmp, 14, 40);
  Put32Le(bmp, 18, static_cast<uint32_t>(width));
  Put32Le(bmp, 22, static_cast<uint32_t>(height));
  bmp[26] = 1;
  bmp[28] = static_cast<uint8_t>(bits);
  Put32Le(bmp, 30, compression);
  bmp.insert(bmp.end(), data.begin(), data.end());
  return bmp;
}

// A real JPEG with its frame header changed to claim width x height.
inline Bytes ResizedJpeg(Bytes jpeg, int width, int height) {
  for (size_t i = 0; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC1 || jpeg[i + 1] == 0xC2)) {
      jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<uint8_t>(height);
      jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<uint8_t>(width);
      break;
    }
  }
  return jpeg;
}

}  // namespace tapestrel::testing
