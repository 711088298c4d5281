#include "png_test_util.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>
#include <fstream>
#include <iterator>

using namespace tapestrel::imaging;

namespace tapestrel::testing {

uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

static void PutBe32(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}

PngBuilder::PngBuilder() : bytes_{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'} {}

PngBuilder& PngBuilder::Add(const std::string& type, const Bytes& data) {
  PutBe32(bytes_, static_cast<uint32_t>(data.size()));
  const size_t start = bytes_.size();
  bytes_.insert(bytes_.end(), type.begin(), type.end());
  bytes_.insert(bytes_.end(), data.begin(), data.end());
  PutBe32(bytes_,
          static_cast<uint32_t>(crc32(0, bytes_.data() + start, static_cast<uInt>(bytes_.size() - start))));
  return *this;
}

PngBuilder& PngBuilder::Header(uint32_t width, uint32_t height, int depth, int color_type, int interlace,
                               int compression, int filter) {
  Bytes d;
  PutBe32(d, width);
  PutBe32(d, height);
  d.push_back(static_cast<uint8_t>(depth));
  d.push_back(static_cast<uint8_t>(color_type));
  d.push_back(static_cast<uint8_t>(compression));
  d.push_back(static_cast<uint8_t>(filter));
  d.push_back(static_cast<uint8_t>(interlace));
  return Add("IHDR", d);
}

PngBuilder& PngBuilder::ImageData(const Bytes& raw, size_t split) {
  const Bytes z = Deflate(raw);
  for (size_t i = 0; i < z.size(); i += split) {
    Add("IDAT", Bytes(z.begin() + static_cast<ptrdiff_t>(i),
                      z.begin() + static_cast<ptrdiff_t>(std::min(z.size(), i + split))));
  }
  return *this;
}

Bytes Deflate(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  EXPECT_EQ(compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
  out.resize(size);
  return out;
}

std::vector<Chunk> ParseChunks(const Bytes& png) {
  std::vector<Chunk> chunks;
  EXPECT_GE(png.size(), 8u);
  if (png.size() < 8 || std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8) != 0) {
    ADD_FAILURE() << "no PNG signature";
    return chunks;
  }
  size_t pos = 8;
  while (pos < png.size()) {
    if (png.size() - pos < 12) {
      ADD_FAILURE() << "truncated chunk at " << pos;
      break;
    }
    const uint32_t length = Be32(&png[pos]);
    if (png.size() - pos - 12 < length) {
      ADD_FAILURE() << "chunk overruns the file at " << pos;
      break;
    }
    Chunk c;
    c.type.assign(reinterpret_cast<const char*>(&png[pos + 4]), 4);
    c.data.assign(png.begin() + static_cast<ptrdiff_t>(pos + 8),
                  png.begin() + static_cast<ptrdiff_t>(pos + 8 + length));
    c.crc = Be32(&png[pos + 8 + length]);
    EXPECT_EQ(c.crc, crc32(0, &png[pos + 4], length + 4)) << "CRC of " << c.type;
    chunks.push_back(std::move(c));
    pos += 12 + length;
  }
  return chunks;
}

namespace {
struct MemoryReader {
  const Bytes* data;
  size_t pos;
};
struct ErrorState {
  std::string message;
};
void ReadFromMemory(png_structp png, png_bytep out, png_size_t n) {
  auto* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (r->data->size() - r->pos < n) png_error(png, "read past the end");
  std::memcpy(out, r->data->data() + r->pos, n);
  r->pos += n;
}
void OnError(png_structp png, png_const_charp message) {
  static_cast<ErrorState*>(png_get_error_ptr(png))->message = message;
  png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}
}  // namespace

bool DecodeWithLibpng(const Bytes& data, Rgba& out, std::string* error) {
  ErrorState state;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
  png_infop info = png_create_info_struct(png);
  MemoryReader reader{&data, 0};
  std::vector<png_bytep> rows;
  // Locals touched after setjmp stay valid: they are not changed in between.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    if (error) *error = state.message;
    return false;
  }
  png_set_read_fn(png, &reader, ReadFromMemory);
  png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
  png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
  png_read_info(png, info);
  out.width = static_cast<int>(png_get_image_width(png, info));
  out.height = static_cast<int>(png_get_image_height(png, info));
  out.depth = png_get_bit_depth(png, info);
  out.color_type = png_get_color_type(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  out.pixels.assign(static_cast<size_t>(out.width) * out.height * 4, 0);
  rows.resize(static_cast<size_t>(out.height));
  for (int y = 0; y < out.height; ++y)
    rows[static_cast<size_t>(y)] = &out.pixels[static_cast<size_t>(y) * out.width * 4];
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

Rgba ToRgba(const PngPicture& picture) {
  const Bitmap& b = picture.image;
  Rgba out;
  out.width = b.Width();
  out.height = b.Height();
  out.pixels.resize(static_cast<size_t>(out.width) * out.height * 4);
  const int bits = b.BitsPerPixel();
  for (int y = 0; y < out.height; ++y) {
    const uint8_t* row = b.Row(y);
    for (int x = 0; x < out.width; ++x) {
      uint8_t* p = &out.pixels[(static_cast<size_t>(y) * out.width + x) * 4];
      int index = -1;
      switch (bits) {
        case 1:
          index = (row[x >> 3] >> (7 - (x & 7))) & 1;
          break;
        case 4:
          index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
          break;
        case 8:
          index = row[x];
          break;
        default:
          p[0] = row[3 * x + 2];
          p[1] = row[3 * x + 1];
          p[2] = row[3 * x];
          break;
      }
      p[3] = 255;
      if (index >= 0) {
        const PaletteEntry e = static_cast<size_t>(index) < b.Palette().size()
                                   ? b.Palette()[static_cast<size_t>(index)]
                                   : PaletteEntry{1, 2, 3, 4};
        EXPECT_LT(static_cast<size_t>(index), b.Palette().size()) << "index without a palette entry";
        p[0] = e.red;
        p[1] = e.green;
        p[2] = e.blue;
        if (picture.transparent && picture.transparent_color == (0x01000000 | index)) p[3] = 0;
      }
      if (picture.has_alpha) p[3] = static_cast<uint8_t>(255 - picture.alpha_mask.Row(y)[x]);
    }
  }
  return out;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bitmap Pattern(int width, int height, PixelFormat format, int seed) {
  Bitmap b(width, height, format);
  uint32_t s = static_cast<uint32_t>(seed) * 2654435761u + 1;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = b.Row(y);
    // Padding bytes stay zero as in any real bitmap.
    const size_t used =
        (static_cast<size_t>(width) * (format == PixelFormat::Bits15 ? 16 : b.BitsPerPixel()) + 7) / 8;
    for (size_t i = 0; i < used; ++i) {
      s = s * 1103515245u + 12345u;
      row[i] = static_cast<uint8_t>(s >> 16);
    }
  }
  if (IsPaletted(format)) {
    const int n = MaxPaletteSize(format);
    for (int i = 0; i < n; ++i) {
      b.Palette().push_back({static_cast<uint8_t>(i * 37 + seed), static_cast<uint8_t>(255 - i * 11),
                             static_cast<uint8_t>(i * 5 + 100), 0});
    }
  }
  return b;
}

Bitmap PatternMask(int width, int height, int seed) {
  Bitmap m = Pattern(width, height, PixelFormat::Bits8, seed);
  m.Palette().clear();
  for (int i = 0; i < 256; ++i)
    m.Palette().push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0});
  return m;
}

}  // namespace tapestrel::testing
