#include "imaging/bmp_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "imaging/bitmap_info_header.h"
#include "imaging/file_bytes.h"

namespace tapestrel::imaging {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = kBitmapInfoHeaderSize;

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

// The most pixels one two-byte RLE code sets.
constexpr uint64_t kMaxRlePixelsPerCode = 255;

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

[[noreturn]] void Fail(const std::string& what) { throw ImageError("BMP: " + what); }

// Everything the headers say, normalised across header versions.
struct Header {
  int width = 0;
  int height = 0;  // always positive; see topDown
  bool topDown = false;
  int bits = 0;
  uint32_t compression = kBiRgb;
  uint32_t sizeImage = 0;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  size_t paletteOffset = 0;
  size_t paletteCount = 0;
  size_t paletteEntrySize = 4;
  size_t dataOffset = 0;
};

Header ParseHeader(std::span<const uint8_t> file) {
  if (file.size() < kFileHeaderSize + 4) Fail("file is too short");
  const uint8_t* p = file.data();
  if (p[0] != 'B' || p[1] != 'M') Fail("not a bitmap file");
  const uint32_t offBits = Get32(p + 10);
  const uint32_t headerSize = Get32(p + kFileHeaderSize);
  const size_t afterFileHeader = file.size() - kFileHeaderSize;
  if (headerSize != kCoreHeaderSize && headerSize < kInfoHeaderSize) Fail("unsupported header");
  if (headerSize > afterFileHeader) Fail("truncated header");
  const uint8_t* h = p + kFileHeaderSize;

  Header hd;
  size_t headerEnd = kFileHeaderSize + headerSize;
  if (headerSize == kCoreHeaderSize) {
    hd.width = Get16(h + 4);
    hd.height = Get16(h + 6);
    hd.bits = Get16(h + 10);
    hd.paletteEntrySize = 3;
    if (hd.bits != 1 && hd.bits != 4 && hd.bits != 8 && hd.bits != 24) Fail("unsupported bit count");
    if (hd.bits <= 8) hd.paletteCount = size_t{1} << hd.bits;
  } else {
    const BitmapInfoHeader info = ReadBitmapInfoHeader(file.subspan(kFileHeaderSize, headerSize));
    hd.bits = info.bitCount;
    hd.compression = info.compression;
    hd.sizeImage = info.sizeImage;
    if (info.width <= 0) Fail("invalid width");
    if (info.height == 0 || info.height == std::numeric_limits<int32_t>::min()) Fail("invalid height");
    hd.width = info.width;
    hd.topDown = info.TopDown();
    hd.height = static_cast<int>(info.Rows());

    switch (hd.compression) {
      case kBiRgb:
        if (hd.bits != 1 && hd.bits != 4 && hd.bits != 8 && hd.bits != 16 && hd.bits != 24 && hd.bits != 32) {
          Fail("unsupported bit count");
        }
        break;
      case kBiRle8:
      case kBiRle4:
        if (hd.bits != (hd.compression == kBiRle8 ? 8 : 4)) Fail("RLE data with a wrong bit count");
        if (hd.topDown) Fail("RLE data cannot be top-down");
        break;
      case kBiBitfields:
      case kBiAlphaBitfields:
        if (hd.bits != 16 && hd.bits != 32) Fail("bit fields need 16 or 32 bits");
        break;
      default:
        Fail("unsupported compression");
    }

    if (hd.compression == kBiBitfields || hd.compression == kBiAlphaBitfields) {
      // A plain info header is followed by the masks; later headers hold them.
      const size_t count = hd.compression == kBiAlphaBitfields ? 4 : 3;
      const uint8_t* m = h + 40;
      if (headerSize == kInfoHeaderSize) {
        if (file.size() - headerEnd < count * 4) Fail("truncated bit fields");
        m = p + headerEnd;
        headerEnd += count * 4;
      } else if (headerSize < kInfoHeaderSize + count * 4) {
        Fail("truncated bit fields");
      }
      for (size_t i = 0; i < count; ++i) hd.masks[i] = Get32(m + 4 * i);
      if (hd.compression == kBiBitfields && headerSize >= 56) hd.masks[3] = Get32(h + 52);
    } else if (hd.compression == kBiRgb && hd.bits == 16) {
      hd.masks[0] = 0x7C00, hd.masks[1] = 0x03E0, hd.masks[2] = 0x001F;
    } else if (hd.compression == kBiRgb && hd.bits == 32) {
      hd.masks[0] = 0xFF0000, hd.masks[1] = 0xFF00, hd.masks[2] = 0xFF;
    }

    if (hd.bits <= 8) hd.paletteCount = std::min<size_t>(info.Colors(), size_t{1} << hd.bits);
  }
  if (hd.width <= 0 || hd.height <= 0) Fail("invalid size");

  hd.paletteOffset = headerEnd;
  const size_t paletteBytes = hd.paletteCount * hd.paletteEntrySize;
  if (paletteBytes > file.size() - headerEnd) Fail("truncated palette");
  if (offBits == 0) {
    hd.dataOffset = headerEnd + paletteBytes;
  } else {
    if (offBits < headerEnd) Fail("pixel data overlaps the header");
    if (offBits > file.size()) Fail("pixel data offset outside the file");
    hd.dataOffset = offBits;
  }
  return hd;
}

// A channel mask must be one run of set bits (or empty).
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int width = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    width = std::popcount(m);
    if ((m >> shift) != (uint32_t{0xFFFFFFFF} >> (32 - width))) Fail("bit field masks must be contiguous");
  }
  uint8_t operator()(uint32_t pixel) const {
    if (width == 0) return 0;
    const uint32_t v = (pixel & mask) >> shift;
    if (width >= 8) return static_cast<uint8_t>(v >> (width - 8));
    const uint32_t max = (uint32_t{1} << width) - 1;
    return static_cast<uint8_t>((v * 255 + max / 2) / max);
  }
};

bool MasksAre(const Header& hd, uint32_t r, uint32_t g, uint32_t b) {
  return hd.masks[0] == r && hd.masks[1] == g && hd.masks[2] == b;
}

PixelFormat OutputFormat(const Header& hd) {
  switch (hd.bits) {
    case 1:
      return PixelFormat::Bits1;
    case 4:
      return PixelFormat::Bits4;
    case 8:
      return PixelFormat::Bits8;
    case 24:
      return PixelFormat::Bits24;
    case 16:
      if (MasksAre(hd, 0x7C00, 0x03E0, 0x001F)) return PixelFormat::Bits15;
      if (MasksAre(hd, 0xF800, 0x07E0, 0x001F)) return PixelFormat::Bits16;
      return PixelFormat::Bits24;
    default:
      return PixelFormat::Bits32;
  }
}

// The 32-bit layout Bitmap holds directly: blue, green, red, fourth byte.
bool IsNative32(const Header& hd) { return hd.bits == 32 && MasksAre(hd, 0xFF0000, 0xFF00, 0xFF); }

void ReadUncompressed(std::span<const uint8_t> file, const Header& hd, Bitmap& out, const StopRequest& stop) {
  // The caller checked that the data holds every row.
  const size_t stride = ((static_cast<size_t>(hd.width) * hd.bits + 31) / 32) * 4;
  const uint8_t* data = file.data() + hd.dataOffset;
  const bool direct = hd.bits != 16 && hd.bits != 32 ? true
                      : hd.bits == 16                ? out.Format() != PixelFormat::Bits24
                                                     : IsNative32(hd);
  const size_t rowBytes = (static_cast<size_t>(hd.width) * hd.bits + 7) / 8;
  const Channel red(hd.masks[0]), green(hd.masks[1]), blue(hd.masks[2]), alpha(hd.masks[3]);
  const int outStep = out.Format() == PixelFormat::Bits32 ? 4 : 3;
  for (int i = 0; i < hd.height; ++i) {
    stop.ThrowIfRequested();
    const uint8_t* src = data + stride * static_cast<size_t>(i);
    uint8_t* dst = out.Row(hd.topDown ? i : hd.height - 1 - i);
    if (direct) {
      std::memcpy(dst, src, rowBytes);
      continue;
    }
    for (int x = 0; x < hd.width; ++x) {
      const uint32_t v = hd.bits == 16 ? Get16(src + 2 * x) : Get32(src + 4 * x);
      uint8_t* d = dst + x * outStep;
      d[0] = blue(v);
      d[1] = green(v);
      d[2] = red(v);
      if (outStep == 4) d[3] = alpha(v);
    }
  }
}

// RLE rows run bottom-up. Pixels the data never sets stay index 0; runs that
// pass the right edge are cut there.
void ReadRle(std::span<const uint8_t> file, const Header& hd, Bitmap& out, const StopRequest& stop) {
  size_t length = file.size() - hd.dataOffset;
  if (hd.sizeImage != 0 && hd.sizeImage < length) length = hd.sizeImage;
  const uint8_t* p = file.data() + hd.dataOffset;
  const uint8_t* const end = p + length;
  const bool four = hd.compression == kBiRle4;
  int x = 0, y = 0;  // y counts from the bottom
  auto put = [&](uint8_t index) {
    if (x < hd.width && y < hd.height) {
      uint8_t* row = out.Row(hd.height - 1 - y);
      if (four) {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(0xF << shift)) | (index & 0xF) << shift);
      } else {
        row[x] = index;
      }
    }
    ++x;
  };
  while (y < hd.height) {
    if (end - p < 2) Fail("truncated RLE data");
    const uint8_t count = p[0], value = p[1];
    p += 2;
    if (count > 0) {
      const int n = std::min<int>(count, std::max(0, hd.width - x));
      for (int i = 0; i < n; ++i) put(four ? (i & 1 ? value & 0xF : value >> 4) : value);
      x += count - n;
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        stop.ThrowIfRequested();
        break;
      case 1:  // end of bitmap
        return;
      case 2:  // delta
        if (end - p < 2) Fail("truncated RLE data");
        x += p[0];
        y += p[1];
        p += 2;
        break;
      default: {  // absolute run of `value` pixels, padded to a 16-bit boundary
        const size_t bytes = four ? (value + 1u) / 2 : value;
        const size_t padded = (bytes + 1) & ~size_t{1};
        if (static_cast<size_t>(end - p) < padded) Fail("truncated RLE data");
        for (int i = 0; i < value; ++i) put(four ? (i & 1 ? p[i / 2] & 0xF : p[i / 2] >> 4) : p[i]);
        p += padded;
        break;
      }
    }
    // Deltas and runs may carry x far past the edge; keep it from growing
    // without bound on hostile data.
    x = std::min(x, hd.width);
  }
}

}  // namespace

Bitmap ReadBmp(std::span<const uint8_t> file, const BmpReadOptions& options) {
  const Header hd = ParseHeader(file);
  const PixelFormat format = OutputFormat(hd);
  Bitmap::CheckSize(hd.width, hd.height, format);
  if (Bitmap::StrideFor(hd.width, format) > options.maxPixelBytes / static_cast<size_t>(hd.height)) {
    Fail("picture is too large");
  }
  // Refuse pictures the data could never fill before allocating for them: a
  // file of a few bytes may claim a gigabyte.
  const size_t dataBytes = file.size() - hd.dataOffset;
  if (hd.compression == kBiRle4 || hd.compression == kBiRle8) {
    // At best two bytes give a run of 255 pixels; pixels left out by a
    // delta or an early end count as unfilled.
    const size_t length = hd.sizeImage != 0 && hd.sizeImage < dataBytes ? hd.sizeImage : dataBytes;
    const uint64_t pixels = static_cast<uint64_t>(hd.width) * static_cast<uint64_t>(hd.height);
    if (pixels > (uint64_t{length} + 1) / 2 * kMaxRlePixelsPerCode) Fail("picture larger than its RLE data");
  } else {
    const size_t stride = ((static_cast<size_t>(hd.width) * hd.bits + 31) / 32) * 4;
    if (stride > dataBytes / static_cast<size_t>(hd.height)) Fail("truncated pixel data");
  }

  Bitmap out(hd.width, hd.height, format);
  if (IsPaletted(format)) {
    auto& palette = out.Palette();
    palette.resize(hd.paletteCount);
    const uint8_t* e = file.data() + hd.paletteOffset;
    for (auto& entry : palette) {
      entry.blue = e[0];
      entry.green = e[1];
      entry.red = e[2];
      entry.reserved = hd.paletteEntrySize == 4 ? e[3] : 0;
      e += hd.paletteEntrySize;
    }
  }
  if (hd.compression == kBiRle4 || hd.compression == kBiRle8) {
    ReadRle(file, hd, out, options.stop);
  } else {
    ReadUncompressed(file, hd, out, options.stop);
  }
  return out;
}

Bitmap ReadBmpFile(const std::string& path, const BmpReadOptions& options) {
  return ReadBmp(ReadFileBytes(path), options);
}

namespace {

// Everything before the pixels: the file header, the info header, then the
// bit fields or the palette. Throws before anything is written for a bitmap
// that cannot be stored.
std::vector<uint8_t> BmpHeaders(const Bitmap& bitmap, BmpRowOrder order) {
  if (bitmap.Empty()) throw ImageError("BMP: cannot write an empty bitmap");
  const PixelFormat format = bitmap.Format();
  const bool bitfields = format == PixelFormat::Bits16;
  size_t paletteCount = 0;
  if (IsPaletted(format)) {
    const size_t max = static_cast<size_t>(MaxPaletteSize(format));
    // No palette at all would leave the indices meaningless; write a full
    // black one so that the file is at least well formed.
    paletteCount = bitmap.Palette().empty() ? max : std::min(bitmap.Palette().size(), max);
  }
  const size_t pixelBytes = bitmap.Stride() * static_cast<size_t>(bitmap.Height());
  const size_t offBits = kFileHeaderSize + kInfoHeaderSize + (bitfields ? 12 : 0) + paletteCount * 4;
  if (pixelBytes > std::numeric_limits<uint32_t>::max() - offBits)
    throw ImageError("BMP: bitmap is too large");
  const size_t fileSize = offBits + pixelBytes;

  std::vector<uint8_t> out(offBits, 0);
  uint8_t* p = out.data();
  p[0] = 'B';
  p[1] = 'M';
  Put32(p + 2, static_cast<uint32_t>(fileSize));
  Put32(p + 10, static_cast<uint32_t>(offBits));
  uint8_t* h = p + kFileHeaderSize;
  Put32(h, kInfoHeaderSize);
  Put32(h + 4, static_cast<uint32_t>(bitmap.Width()));
  const int32_t height = order == BmpRowOrder::TopDown ? -bitmap.Height() : bitmap.Height();
  Put32(h + 8, static_cast<uint32_t>(height));
  Put16(h + 12, 1);
  Put16(h + 14, format == PixelFormat::Bits15 ? 16 : static_cast<uint32_t>(bitmap.BitsPerPixel()));
  Put32(h + 16, bitfields ? kBiBitfields : kBiRgb);
  Put32(h + 20, static_cast<uint32_t>(pixelBytes));
  Put32(h + 32, IsPaletted(format) && !bitmap.Palette().empty() ? static_cast<uint32_t>(paletteCount) : 0);
  uint8_t* q = h + kInfoHeaderSize;
  if (bitfields) {
    Put32(q, 0xF800);
    Put32(q + 4, 0x07E0);
    Put32(q + 8, 0x001F);
    q += 12;
  }
  for (size_t i = 0; i < paletteCount && i < bitmap.Palette().size(); ++i) {
    const PaletteEntry& e = bitmap.Palette()[i];
    q[4 * i] = e.blue;
    q[4 * i + 1] = e.green;
    q[4 * i + 2] = e.red;
    q[4 * i + 3] = e.reserved;
  }
  return out;
}

// Row y of the bitmap that goes at position i of the file.
int BitmapRowAt(int i, const Bitmap& bitmap, BmpRowOrder order) {
  return order == BmpRowOrder::TopDown ? i : bitmap.Height() - 1 - i;
}

}  // namespace

std::vector<uint8_t> WriteBmp(const Bitmap& bitmap, BmpRowOrder order) {
  std::vector<uint8_t> out = BmpHeaders(bitmap, order);
  const size_t stride = bitmap.Stride();
  out.reserve(out.size() + stride * static_cast<size_t>(bitmap.Height()));
  for (int i = 0; i < bitmap.Height(); ++i) {
    const uint8_t* row = bitmap.Row(BitmapRowAt(i, bitmap, order));
    out.insert(out.end(), row, row + stride);
  }
  return out;
}

void WriteBmpFile(const std::string& path, const Bitmap& bitmap, BmpRowOrder order) {
  // Everything that can fail before the file is replaced does so first, as
  // when the whole file was built in memory; only the writes themselves can
  // fail later, as they always could.
  const std::vector<uint8_t> headers = BmpHeaders(bitmap, order);
  const size_t stride = bitmap.Stride();
  std::vector<uint8_t> batch;
  if (order == BmpRowOrder::BottomUp) {
    // Rows are turned over in batches: a write call per row costs more than
    // copying it, and a whole copy would cost a pass over fresh memory.
    constexpr size_t kBatchBytes = 256 * 1024;
    const size_t rows = std::clamp<size_t>(kBatchBytes / stride, 1, static_cast<size_t>(bitmap.Height()));
    batch.resize(rows * stride);
  }
  FileWriter file(path);
  file.Write(headers);
  if (order == BmpRowOrder::TopDown) {
    file.Write({bitmap.Pixels(), bitmap.PixelBytes()});  // already in file order
  } else {
    const int rowsPerBatch = static_cast<int>(batch.size() / stride);
    for (int i = 0; i < bitmap.Height(); i += rowsPerBatch) {
      const int rows = std::min(rowsPerBatch, bitmap.Height() - i);
      for (int j = 0; j < rows; ++j) {
        std::memcpy(batch.data() + stride * static_cast<size_t>(j),
                    bitmap.Row(BitmapRowAt(i + j, bitmap, order)), stride);
      }
      file.Write({batch.data(), stride * static_cast<size_t>(rows)});
    }
  }
  file.Close();
}

}  // namespace tapestrel::imaging
