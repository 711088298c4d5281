#include "test_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace imaging_test {

Bitmap RandomBitmap(int width, int height, PixelFormat format, uint32_t seed) {
  std::mt19937 rng(seed);
  Bitmap b(width, height, format);
  const int bits = format == PixelFormat::Bits15 ? 16 : tapestrel::imaging::BitsPerPixel(format);
  const size_t used = (static_cast<size_t>(width) * bits + 7) / 8;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = b.Row(y);
    for (size_t i = 0; i < used; ++i) row[i] = static_cast<uint8_t>(rng());
    // Clear the bits past the last pixel of a partly used byte.
    const int spare = static_cast<int>(used * 8 - static_cast<size_t>(width) * bits);
    if (spare > 0) row[used - 1] &= static_cast<uint8_t>(0xFF << spare);
    if (format == PixelFormat::Bits15) {
      for (int x = 0; x < width; ++x) row[2 * x + 1] &= 0x7F;
    }
  }
  if (tapestrel::imaging::IsPaletted(format)) {
    b.Palette().resize(tapestrel::imaging::MaxPaletteSize(format));
    for (auto& e : b.Palette()) {
      e.blue = static_cast<uint8_t>(rng());
      e.green = static_cast<uint8_t>(rng());
      e.red = static_cast<uint8_t>(rng());
    }
  }
  return b;
}

Bitmap SmoothPicture(int width, int height) {
  Bitmap b(width, height, PixelFormat::Bits24);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = b.Row(y);
    for (int x = 0; x < width; ++x) {
      const double dx = (x - width / 2.0) / width, dy = (y - height / 2.0) / height;
      const double disc = std::exp(-(dx * dx + dy * dy) * 8);
      row[3 * x] = static_cast<uint8_t>(255.0 * x / width);
      row[3 * x + 1] = static_cast<uint8_t>(255.0 * y / height);
      row[3 * x + 2] = static_cast<uint8_t>(255.0 * disc);
    }
  }
  return b;
}

namespace {
struct Jump {
  jpeg_error_mgr pub;
  std::jmp_buf buf;
};
void OnError(j_common_ptr c) { std::longjmp(reinterpret_cast<Jump*>(c->err)->buf, 1); }
}  // namespace

std::vector<uint8_t> MakeJpeg(const Bitmap& bgr, JpegKind kind, int quality) {
  jpeg_compress_struct c{};
  Jump err{};
  c.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  unsigned char* out = nullptr;
  unsigned long size = 0;
  if (setjmp(err.buf)) {
    jpeg_destroy_compress(&c);
    std::free(out);
    throw std::runtime_error("test JPEG encoding failed");
  }
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(bgr.Width());
  c.image_height = static_cast<JDIMENSION>(bgr.Height());
  c.input_components = kind == JpegKind::Grey ? 1 : kind == JpegKind::AdobeCmyk ? 4 : 3;
  c.in_color_space = kind == JpegKind::Grey        ? JCS_GRAYSCALE
                     : kind == JpegKind::AdobeCmyk ? JCS_CMYK
                                                   : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  if (kind == JpegKind::Progressive) jpeg_simple_progression(&c);
  if (kind == JpegKind::Arithmetic) c.arith_code = TRUE;
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> line(static_cast<size_t>(bgr.Width()) * 4);
  while (c.next_scanline < c.image_height) {
    const uint8_t* p = bgr.Row(static_cast<int>(c.next_scanline));
    for (int x = 0; x < bgr.Width(); ++x) {
      const int b = p[3 * x], g = p[3 * x + 1], r = p[3 * x + 2];
      switch (kind) {
        case JpegKind::Grey:
          line[x] = static_cast<uint8_t>((r * 299 + g * 587 + b * 114) / 1000);
          break;
        case JpegKind::AdobeCmyk: {
          // Adobe's inverted inks: stored values are 255 - ink, with all the
          // darkness in K here so that the colors survive exactly.
          const int k = std::max({r, g, b});
          const auto inv = [&](int v) { return k == 0 ? 0 : v * 255 / k; };
          line[4 * x] = static_cast<uint8_t>(inv(r));
          line[4 * x + 1] = static_cast<uint8_t>(inv(g));
          line[4 * x + 2] = static_cast<uint8_t>(inv(b));
          line[4 * x + 3] = static_cast<uint8_t>(k);
          break;
        }
        default:
          line[3 * x] = static_cast<uint8_t>(r);
          line[3 * x + 1] = static_cast<uint8_t>(g);
          line[3 * x + 2] = static_cast<uint8_t>(b);
      }
    }
    JSAMPROW row = line.data();
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> bytes(out, out + size);
  std::free(out);
  return bytes;
}

double MeanAbsDiff(const Bitmap& a, const Bitmap& b) {
  EXPECT_EQ(a.Width(), b.Width());
  EXPECT_EQ(a.Height(), b.Height());
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int i = 0; i < a.Width() * 3; ++i) sum += std::abs(a.Row(y)[i] - b.Row(y)[i]);
  }
  return sum / (3.0 * a.Width() * a.Height());
}

std::string TempPath(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path dir = std::filesystem::path(TAPESTREL_BINARY_DIR) / "test-scratch" / "imaging";
  std::filesystem::create_directories(dir);
  return (dir / (std::string(info->test_suite_name()) + "." + info->name() + "." + name)).string();
}

}  // namespace imaging_test
