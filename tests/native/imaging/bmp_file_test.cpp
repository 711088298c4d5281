#include "imaging/bmp_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/allocation_meter.h"
#include "imaging/file_bytes.h"
#include "imaging/pixel_convert.h"
#include "test_images.h"

using namespace tapestrel::imaging;
using imaging_test::RandomBitmap;

namespace {

constexpr PixelFormat kAllFormats[] = {PixelFormat::Bits1,  PixelFormat::Bits4,  PixelFormat::Bits8,
                                       PixelFormat::Bits15, PixelFormat::Bits16, PixelFormat::Bits24,
                                       PixelFormat::Bits32};

void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  v[at] = static_cast<uint8_t>(x);
  v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  Put16(v, at, x);
  Put16(v, at + 2, x >> 16);
}

// A file of the given header size and fields, pixel data appended as given.
std::vector<uint8_t> MakeFile(uint32_t headerSize, int32_t width, int32_t height, int bits,
                              uint32_t compression, const std::vector<uint8_t>& extra,
                              const std::vector<uint8_t>& pixels, uint32_t clrUsed = 0) {
  std::vector<uint8_t> f(14 + headerSize, 0);
  f[0] = 'B';
  f[1] = 'M';
  Put32(f, 14, headerSize);
  Put32(f, 18, static_cast<uint32_t>(width));
  Put32(f, 22, static_cast<uint32_t>(height));
  Put16(f, 26, 1);
  Put16(f, 28, static_cast<uint32_t>(bits));
  Put32(f, 30, compression);
  Put32(f, 46, clrUsed);
  f.insert(f.end(), extra.begin(), extra.end());
  Put32(f, 10, static_cast<uint32_t>(f.size()));
  f.insert(f.end(), pixels.begin(), pixels.end());
  Put32(f, 2, static_cast<uint32_t>(f.size()));
  return f;
}

std::vector<uint8_t> Masks(std::initializer_list<uint32_t> masks) {
  std::vector<uint8_t> v(masks.size() * 4);
  size_t i = 0;
  for (uint32_t m : masks) Put32(v, 4 * i++, m);
  return v;
}

std::vector<uint8_t> GreyPalette(int n) {
  std::vector<uint8_t> v;
  for (int i = 0; i < n; ++i) v.insert(v.end(), {uint8_t(i * 16), uint8_t(i * 16), uint8_t(i * 16), 0});
  return v;
}

}  // namespace

TEST(BmpFile, EveryDepthSurvivesARoundTripInBothRowOrders) {
  for (PixelFormat format : kAllFormats) {
    for (int width : {1, 3, 7, 13, 33}) {
      const Bitmap original = RandomBitmap(width, 5, format, static_cast<uint32_t>(width));
      for (BmpRowOrder order : {BmpRowOrder::BottomUp, BmpRowOrder::TopDown}) {
        const auto file = WriteBmp(original, order);
        const int32_t height =
            static_cast<int32_t>(file[22] | file[23] << 8 | file[24] << 16 | file[25] << 24);
        EXPECT_EQ(height, order == BmpRowOrder::TopDown ? -5 : 5);
        const Bitmap back = ReadBmp(file);
        EXPECT_EQ(back, original) << "bits " << BitsPerPixel(format) << " width " << width;
      }
    }
  }
}

TEST(BmpFile, FileRoundTripAndRowOrderOnDisk) {
  Bitmap b(2, 2, PixelFormat::Bits24);
  b.Row(0)[0] = 10;  // top-left blue
  b.Row(1)[0] = 20;  // bottom-left blue
  const std::string path = imaging_test::TempPath("rows.bmp");
  WriteBmpFile(path, b);
  const Bitmap back = ReadBmpFile(path);
  EXPECT_EQ(back, b);
  // Bottom-up: the first row in the file is the bottom one.
  const auto bytes = WriteBmp(b);
  EXPECT_EQ(bytes[54], 20);
  EXPECT_EQ(WriteBmp(b, BmpRowOrder::TopDown)[54], 10);
  EXPECT_THROW(ReadBmpFile(imaging_test::TempPath("missing.bmp")), ImageError);
}

TEST(BmpFile, FilesHoldWhatWriteBmpBuildsWithoutBeingBuiltWholeFirst) {
  const std::string path = imaging_test::TempPath("streamed.bmp");
  // Up to several batches of rows, the last one short.
  for (auto [width, height, format] : {std::tuple{1, 1, PixelFormat::Bits24},
                                       {33, 7, PixelFormat::Bits1},
                                       {5, 300, PixelFormat::Bits16},
                                       {367, 300, PixelFormat::Bits24},
                                       {1000, 1000, PixelFormat::Bits32}}) {
    const Bitmap b = RandomBitmap(width, height, format, static_cast<uint32_t>(width));
    for (BmpRowOrder order : {BmpRowOrder::BottomUp, BmpRowOrder::TopDown}) {
      imaging_test::AllocationMeter meter;
      WriteBmpFile(path, b, order);
      EXPECT_LT(meter.PeakBytes(), size_t{1} << 20);  // the largest file is 4 MB
      EXPECT_EQ(ReadFileBytes(path), WriteBmp(b, order)) << width << "x" << height;
    }
  }
  // What cannot be written fails before the file is touched; a folder that
  // does not exist fails too.
  EXPECT_THROW(WriteBmpFile(path, Bitmap()), ImageError);
  EXPECT_EQ(ReadBmpFile(path).Width(), 1000);
  EXPECT_THROW(
      WriteBmpFile(imaging_test::TempPath("missing") + "/x.bmp", RandomBitmap(2, 2, PixelFormat::Bits24, 1)),
      ImageError);
}

TEST(BmpFile, ReadsTheOtherHeaderVersionsAndBitFieldLayouts) {
  // V5 header, 32 bits with the usual masks and alpha: stored as is.
  {
    std::vector<uint8_t> extra;
    auto f = MakeFile(124, 1, 1, 32, 3, extra, {1, 2, 3, 4});
    Put32(f, 14 + 40, 0xFF0000);
    Put32(f, 14 + 44, 0xFF00);
    Put32(f, 14 + 48, 0xFF);
    Put32(f, 14 + 52, 0xFF000000);
    const Bitmap b = ReadBmp(f);
    ASSERT_EQ(b.Format(), PixelFormat::Bits32);
    EXPECT_EQ(std::vector<uint8_t>(b.Row(0), b.Row(0) + 4), (std::vector<uint8_t>{1, 2, 3, 4}));
  }
  // Info header + masks in RGBA byte order: widened, alpha into the fourth byte.
  {
    const auto f = MakeFile(40, 1, 1, 32, 6, Masks({0xFF, 0xFF00, 0xFF0000, 0xFF000000}), {10, 20, 30, 40});
    const Bitmap b = ReadBmp(f);
    ASSERT_EQ(b.Format(), PixelFormat::Bits32);
    EXPECT_EQ(std::vector<uint8_t>(b.Row(0), b.Row(0) + 4), (std::vector<uint8_t>{30, 20, 10, 40}));
  }
  // 16 bits, plain: 5-5-5. 16 bits with 5-6-5 masks: Bits16. 4-4-4: widened to 24.
  {
    const Bitmap b = ReadBmp(MakeFile(40, 1, 1, 16, 0, {}, {0x1F, 0x7C, 0, 0}));
    EXPECT_EQ(b.Format(), PixelFormat::Bits15);
    EXPECT_EQ(PixelColor(b, 0, 0), MakeColor(255, 0, 255));
    EXPECT_EQ(ReadBmp(MakeFile(40, 1, 1, 16, 3, Masks({0xF800, 0x07E0, 0x1F}), {0, 0, 0, 0})).Format(),
              PixelFormat::Bits16);
    const Bitmap c = ReadBmp(MakeFile(40, 1, 1, 16, 3, Masks({0xF00, 0xF0, 0xF}), {0x0F, 0x08, 0, 0}));
    ASSERT_EQ(c.Format(), PixelFormat::Bits24);
    EXPECT_EQ(PixelColor(c, 0, 0), MakeColor(0x88, 0, 0xFF));
  }
  // Core header: 16-bit sizes, 3-byte palette entries.
  {
    std::vector<uint8_t> f(14 + 12, 0);
    f[0] = 'B', f[1] = 'M';
    Put32(f, 14, 12);
    Put16(f, 18, 2);
    Put16(f, 20, 1);
    Put16(f, 22, 1);
    Put16(f, 24, 1);
    f.insert(f.end(), {0, 0, 0, 0xFF, 0x80, 0x40});
    Put32(f, 10, static_cast<uint32_t>(f.size()));
    f.insert(f.end(), {0x40, 0, 0, 0});  // pixels 0, 1
    const Bitmap b = ReadBmp(f);
    ASSERT_EQ(b.Format(), PixelFormat::Bits1);
    EXPECT_EQ(PixelColor(b, 0, 0), MakeColor(0, 0, 0));
    EXPECT_EQ(PixelColor(b, 1, 0), MakeColor(0x40, 0x80, 0xFF));
  }
}

TEST(BmpFile, DecodesRle8AndRle4) {
  // 4 x 3, bottom row first: a run, a line end, an absolute run, a delta.
  const std::vector<uint8_t> rle8 = {
      3, 7, 0, 0,        // bottom row: 7 7 7, end of line
      0, 3, 1, 2, 3, 0,  // middle row: absolute 1 2 3, padded to an even length
      0, 2, 0, 1,        // delta: up one row, x stays 3
      1, 9,              // top row, x 3: 9
      0, 1,              // end of bitmap
  };
  const Bitmap b = ReadBmp(MakeFile(40, 4, 3, 8, 1, GreyPalette(16), rle8, 16));
  ASSERT_EQ(b.Format(), PixelFormat::Bits8);
  EXPECT_EQ(std::vector<uint8_t>(b.Row(2), b.Row(2) + 4), (std::vector<uint8_t>{7, 7, 7, 0}));
  EXPECT_EQ(std::vector<uint8_t>(b.Row(1), b.Row(1) + 4), (std::vector<uint8_t>{1, 2, 3, 0}));
  EXPECT_EQ(std::vector<uint8_t>(b.Row(0), b.Row(0) + 4), (std::vector<uint8_t>{0, 0, 0, 9}));
  EXPECT_EQ(b.Palette().size(), 16u);

  // RLE4: a run alternates the two nibbles; an absolute run of 3 nibbles.
  const std::vector<uint8_t> rle4 = {5, 0x12, 0, 0, 0, 3, 0xAB, 0xC0, 0, 1};
  const Bitmap c = ReadBmp(MakeFile(40, 6, 2, 4, 2, GreyPalette(16), rle4, 16));
  ASSERT_EQ(c.Format(), PixelFormat::Bits4);
  EXPECT_EQ(std::vector<uint8_t>(c.Row(1), c.Row(1) + 3), (std::vector<uint8_t>{0x12, 0x12, 0x10}));
  EXPECT_EQ(std::vector<uint8_t>(c.Row(0), c.Row(0) + 3), (std::vector<uint8_t>{0xAB, 0xC0, 0x00}));

  // Runs past the right edge are cut, not wrapped or written outside.
  const Bitmap d = ReadBmp(MakeFile(40, 2, 1, 8, 1, GreyPalette(16), {255, 5, 0, 1}, 16));
  EXPECT_EQ(std::vector<uint8_t>(d.Row(0), d.Row(0) + 4), (std::vector<uint8_t>{5, 5, 0, 0}));
}

TEST(BmpFile, RejectsMalformedFiles) {
  const auto good = WriteBmp(RandomBitmap(4, 4, PixelFormat::Bits24, 1));
  ASSERT_NO_THROW(ReadBmp(good));
  auto patched = [&](size_t at, uint32_t v, int bytes = 4) {
    auto f = good;
    if (bytes == 4)
      Put32(f, at, v);
    else
      Put16(f, at, v);
    return f;
  };
  const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
      {"empty", {}},
      {"signature", patched(0, 'X', 2)},
      {"width 0", patched(18, 0)},
      {"negative width", patched(18, static_cast<uint32_t>(-4))},
      {"height 0", patched(22, 0)},
      {"most negative height", patched(22, 0x80000000u)},
      {"width over the limit", patched(18, 65536)},
      {"width x height over the memory limit",
       [&] {
         auto f = patched(18, 60000);
         Put32(f, 22, 60000);
         return f;
       }()},
      {"offset outside the file", patched(10, 100000)},
      {"offset inside the header", patched(10, 20)},
      {"header size", patched(14, 20)},
      {"header larger than the file", patched(14, 1000)},
      {"bit count", patched(28, 7, 2)},
      {"compression", patched(30, 4)},
      {"truncated pixels", std::vector<uint8_t>(good.begin(), good.end() - 1)},
      {"truncated header", std::vector<uint8_t>(good.begin(), good.begin() + 30)},
      {"top-down RLE", MakeFile(40, 2, -2, 8, 1, GreyPalette(16), {0, 1}, 16)},
      {"RLE with a wrong bit count", MakeFile(40, 2, 2, 4, 1, GreyPalette(16), {0, 1}, 16)},
      {"RLE without an end", MakeFile(40, 2, 2, 8, 1, GreyPalette(16), {2, 1, 0, 0}, 16)},
      {"RLE absolute run past the data", MakeFile(40, 8, 1, 8, 1, GreyPalette(16), {0, 8, 1, 2}, 16)},
      {"palette past the file", MakeFile(40, 1, 1, 8, 0, {}, {}, 200)},
      {"scattered mask", MakeFile(40, 1, 1, 16, 3, Masks({0x5, 0xF0, 0xF00}), {0, 0, 0, 0})},
      {"bit fields on 24 bits", MakeFile(40, 1, 1, 24, 3, Masks({1, 2, 4}), {0, 0, 0, 0})},
  };
  for (const auto& [what, file] : cases) {
    EXPECT_THROW(ReadBmp(file), ImageError) << what;
  }
  // A size the caller will not hold is refused before allocation.
  BmpReadOptions small;
  small.maxPixelBytes = 16;
  EXPECT_THROW(ReadBmp(good, small), ImageError);
  const auto rle = MakeFile(40, 20000, 20000, 8, 1, GreyPalette(16), {0, 1}, 16);
  EXPECT_THROW(ReadBmp(rle, small), ImageError);
}

TEST(BmpFile, EveryTruncationOfAValidFileIsRejected) {
  for (PixelFormat format : kAllFormats) {
    const auto file = WriteBmp(RandomBitmap(5, 3, format, 9));
    for (size_t n = 0; n < file.size(); ++n) {
      EXPECT_THROW(ReadBmp(std::span<const uint8_t>(file.data(), n)), ImageError) << n;
    }
  }
}

TEST(BmpFile, WritingAnEmptyBitmapFails) { EXPECT_THROW(WriteBmp(Bitmap()), ImageError); }
