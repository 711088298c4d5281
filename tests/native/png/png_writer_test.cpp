// Writing: the chunk sequence and each chunk's condition, parameter checks,
// and the row filters including the adaptive choice.
#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <sstream>

#include "imaging/png/kvxpng.h"
#include "imaging/png/png_filters.h"
#include "png_test_util.h"

using namespace tapestrel::imaging;
using namespace tapestrel::testing;

namespace {

Bytes Save(const TKVXPNG& png) {
  Bytes out;
  png.SaveToMemory(out);
  return out;
}

std::vector<std::string> Types(const std::vector<Chunk>& chunks) {
  std::vector<std::string> types;
  for (const auto& c : chunks) types.push_back(c.type);
  return types;
}

const Chunk* Find(const std::vector<Chunk>& chunks, const std::string& type) {
  for (const auto& c : chunks) {
    if (c.type == type) return &c;
  }
  return nullptr;
}

// The image data inflated, filter bytes included.
Bytes ImageData(const std::vector<Chunk>& chunks) {
  Bytes z;
  for (const auto& c : chunks) {
    if (c.type == "IDAT") z.insert(z.end(), c.data.begin(), c.data.end());
  }
  Bytes raw(1 << 24);
  uLongf size = static_cast<uLongf>(raw.size());
  EXPECT_EQ(uncompress(raw.data(), &size, z.data(), static_cast<uLong>(z.size())), Z_OK);
  raw.resize(size);
  return raw;
}

}  // namespace

TEST(PngWriter, DefaultCaptureChunkSequence) {
  for (PixelFormat format : {PixelFormat::Bits24, PixelFormat::Bits32}) {
    TKVXPNG png;
    png.Assign(Pattern(400, 300, format));
    const auto before = std::chrono::system_clock::now();
    const std::vector<Chunk> chunks = ParseChunks(Save(png));
    const auto after = std::chrono::system_clock::now();

    std::vector<std::string> expected{"IHDR", "tIME", "tEXt", "tpNG", "gAMA"};
    const size_t idats = chunks.size() - expected.size() - 1;
    ASSERT_GE(idats, 2u);
    expected.insert(expected.end(), idats, "IDAT");
    expected.push_back("IEND");
    ASSERT_EQ(Types(chunks), expected);

    EXPECT_EQ(chunks[0].data, (Bytes{0, 0, 1, 0x90, 0, 0, 1, 0x2C, 8, 2, 0, 0, 0}));
    // tIME is the save time in UTC.
    const Bytes& t = chunks[1].data;
    ASSERT_EQ(t.size(), 7u);
    using namespace std::chrono;
    const sys_seconds stamp =
        sys_days{year{t[0] << 8 | t[1]} / t[2] / t[3]} + hours{t[4]} + minutes{t[5]} + seconds{t[6]};
    EXPECT_GE(stamp, floor<seconds>(before));
    EXPECT_LE(stamp, floor<seconds>(after));
    EXPECT_EQ(std::string(chunks[2].data.begin(), chunks[2].data.end()),
              std::string("Software\0KVXPNG ver 3.4", 23));
    EXPECT_EQ(chunks[3].data, (Bytes{'K', 'V', 'X', '3', 0, 0, 0, 0}));
    EXPECT_EQ(Be32(chunks[4].data.data()), 45455u);
    for (size_t i = 5; i < 5 + idats - 1; ++i) EXPECT_EQ(chunks[i].data.size(), 32768u);
    EXPECT_LE(chunks[5 + idats - 1].data.size(), 32768u);
    EXPECT_TRUE(chunks.back().data.empty());

    const Bytes raw = ImageData(chunks);
    ASSERT_EQ(raw.size(), 300u * (1 + 400 * 3));
    for (size_t y = 0; y < 300; ++y) ASSERT_EQ(raw[y * (1 + 400 * 3)], 0) << "row " << y;
    // The fourth byte of 32-bit pixels is dropped.
    const Bitmap& b = png.Image();
    const size_t step = format == PixelFormat::Bits32 ? 4 : 3;
    EXPECT_EQ(raw[1 + 3 * 7], b.Row(0)[step * 7 + 2]);
    EXPECT_EQ(raw[1 + 3 * 7 + 2], b.Row(0)[step * 7]);
  }
}

TEST(PngWriter, IdatSizeIsCheckedBeforeAnythingIsWritten) {
  TKVXPNG png;
  png.Assign(Pattern(4, 4, PixelFormat::Bits24));
  for (int size : {255, 100001, 0, -1}) {
    png.IdatSize = size;
    std::ostringstream out;
    try {
      png.SaveToStream(out);
      FAIL() << size;
    } catch (const EKVXPNG& e) {
      EXPECT_STREQ(e.what(), "Write PNG Param: Err IDAT Size(min:256  max:100000)");
    }
    EXPECT_TRUE(out.str().empty());
  }
  for (int size : {256, 100000}) {
    png.IdatSize = size;
    EXPECT_NO_THROW(Save(png));
  }
  png.IdatSize = 256;
  png.Assign(Pattern(200, 200, PixelFormat::Bits24));
  const std::vector<Chunk> chunks = ParseChunks(Save(png));
  for (size_t i = 0; i + 1 < chunks.size(); ++i) {
    if (chunks[i].type == "IDAT" && chunks[i + 1].type == "IDAT") {
      EXPECT_EQ(chunks[i].data.size(), 256u);
    }
  }
}

TEST(PngWriter, OptionalChunksAndTheirConditions) {
  TKVXPNG png;
  png.Assign(Pattern(8, 2, PixelFormat::Bits8));
  png.StampTime = false;
  png.StoredTime = {2001, 2, 3, 4, 5, 6};
  png.Comment = "note";
  png.Gifg = {0, 0, 1, 0};
  png.Gamma = 0.57;  // 0.57 * 100000 is 56999.99... in binary
  png.Chromaticities = {31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000};
  png.SignificantBits = {4, 4, 4, 0};
  png.BackgroundColor = 0x01000005;
  png.TransparentColor =
      RgbColor(png.Image().Palette()[9].red, png.Image().Palette()[9].green, png.Image().Palette()[9].blue);
  png.PhysicalSize = {72, 96, 2};
  std::vector<Chunk> chunks = ParseChunks(Save(png));
  EXPECT_EQ(Types(chunks),
            (std::vector<std::string>{"IHDR", "tIME", "tEXt", "tEXt", "tpNG", "gIFg", "gAMA", "cHRM", "sBIT",
                                      "PLTE", "bKGD", "tRNS", "pHYs", "IDAT", "IEND"}));
  EXPECT_EQ(chunks[1].data, (Bytes{0x07, 0xD1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(std::string(chunks[2].data.begin(), chunks[2].data.end()), std::string("Comment\0note", 12));
  EXPECT_EQ(Be32(chunks[6].data.data()), 57000u);
  EXPECT_EQ(chunks[8].data, (Bytes{4, 4, 4}));
  EXPECT_EQ(chunks[9].data.size(), 256u * 3);
  EXPECT_EQ(chunks[10].data, Bytes{5});
  Bytes trns(10, 255);
  trns[9] = 0;
  EXPECT_EQ(chunks[11].data, trns);
  EXPECT_EQ(chunks[12].data, (Bytes{0, 0, 0x0B, 0x13, 0, 0, 0x0E, 0xC4, 1}));  // 2835, 3780 per metre

  // Conditions not met: nothing written.
  png.StoredTime = {2001, 13, 3, 4, 5, 6};
  png.Comment.clear();
  png.Gifg = {0, 0, 0, 9};
  png.Gamma = 0.000001;
  png.Chromaticities[1] = 0;
  png.SignificantBits = {};
  png.BackgroundColor = 0x123456;     // not in the palette
  png.TransparentColor = 0x01000100;  // index 256
  png.PhysicalSize = {0, 96, 1};
  chunks = ParseChunks(Save(png));
  EXPECT_EQ(Types(chunks), (std::vector<std::string>{"IHDR", "tEXt", "tpNG", "PLTE", "IDAT", "IEND"}));
}

TEST(PngWriter, ColorChunksOfRgbAndGreyImages) {
  TKVXPNG png;
  png.Assign(Pattern(3, 3, PixelFormat::Bits16));
  png.BackgroundColor = 0x302010;
  png.TransparentColor = 0x030201;
  png.PhysicalSize = {5, 6, 7};
  std::vector<Chunk> chunks = ParseChunks(Save(png));
  EXPECT_EQ(Find(chunks, "sBIT")->data, (Bytes{5, 6, 5}));
  EXPECT_EQ(Find(chunks, "bKGD")->data, (Bytes{0, 0x10, 0, 0x20, 0, 0x30}));
  EXPECT_EQ(Find(chunks, "tRNS")->data, (Bytes{0, 1, 0, 2, 0, 3}));
  EXPECT_EQ(Find(chunks, "pHYs")->data, (Bytes{0, 0, 0, 5, 0, 0, 0, 6, 0}));

  // With alpha written: sBIT gains the alpha byte and tRNS is left out.
  png.Assign(Pattern(3, 3, PixelFormat::Bits15));
  png.AlphaMask() = PatternMask(3, 3);
  png.SetHasAlpha(true);
  chunks = ParseChunks(Save(png));
  EXPECT_EQ(chunks[0].data[9], 6);
  EXPECT_EQ(Find(chunks, "sBIT")->data, (Bytes{5, 5, 5, 8}));
  EXPECT_EQ(Find(chunks, "tRNS"), nullptr);

  // Greyscale: one value at the image depth, no sBIT; 1-bit palettes go
  // through the top bit of their grey level.
  Bitmap one_bit = Pattern(8, 1, PixelFormat::Bits1);
  one_bit.Palette() = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  png.Assign(one_bit);
  png.SetHasAlpha(false);
  png.SetGreyscale(true);
  png.BackgroundColor = 0xFFFFFF;
  png.TransparentColor = 0x01000000;
  chunks = ParseChunks(Save(png));
  EXPECT_EQ(chunks[0].data[8], 1);
  EXPECT_EQ(chunks[0].data[9], 0);
  EXPECT_EQ(Find(chunks, "bKGD")->data, (Bytes{0, 1}));
  EXPECT_EQ(Find(chunks, "tRNS")->data, (Bytes{0, 0}));
  EXPECT_EQ(Find(chunks, "sBIT"), nullptr);
  EXPECT_EQ(ImageData(chunks), (Bytes{0, one_bit.Row(0)[0]}));
}

TEST(PngWriter, GreyAlphaOfAnEightBitMaskedImage) {
  TKVXPNG png;
  png.Assign(Pattern(4, 2, PixelFormat::Bits8));
  png.AlphaMask() = PatternMask(4, 2);
  png.SetHasAlpha(true);
  png.SetGreyscale(true);
  const std::vector<Chunk> chunks = ParseChunks(Save(png));
  EXPECT_EQ(chunks[0].data[9], 4);
  EXPECT_EQ(Find(chunks, "tpNG")->data, (Bytes{'K', 'V', 'X', '3', 0, 1, 0, 0}));
  // PLTE is not allowed with grey + alpha.
  EXPECT_EQ(Find(chunks, "PLTE"), nullptr);
  const Bytes raw = ImageData(chunks);
  const PaletteEntry& e = png.Image().Palette()[png.Image().Row(1)[3]];
  EXPECT_EQ(raw[9 + 1 + 6], (77 * e.red + 150 * e.green + 29 * e.blue) >> 8);
  EXPECT_EQ(raw[9 + 1 + 7], 255 - png.AlphaMask().Row(1)[3]);
}

TEST(PngWriter, MaskIsUsedOnlyWhenItFits) {
  TKVXPNG png;
  png.Assign(Pattern(4, 4, PixelFormat::Bits24));
  png.SetHasAlpha(true);
  for (const Bitmap& mask : {Bitmap(), PatternMask(4, 3), Pattern(4, 4, PixelFormat::Bits24)}) {
    png.AlphaMask() = mask;
    EXPECT_EQ(ParseChunks(Save(png))[0].data[9], 2);
  }
  png.AlphaMask() = PatternMask(4, 4);
  EXPECT_EQ(ParseChunks(Save(png))[0].data[9], 6);
  png.SetHasAlpha(false);
  EXPECT_EQ(ParseChunks(Save(png))[0].data[9], 2);
}

TEST(PngWriter, FixedFilterModes) {
  TKVXPNG png;
  png.Assign(Pattern(16, 5, PixelFormat::Bits24));
  for (int mode : {1, 2, 3, 4, 5, 6, -3}) {
    png.FilterMode = mode;
    const Bytes raw = ImageData(ParseChunks(Save(png)));
    const int expected = mode >= 2 && mode <= 5 ? mode - 1 : 0;
    for (size_t y = 0; y < 5; ++y) EXPECT_EQ(raw[y * 49], expected) << mode;
  }
}

TEST(PngFilters, FilterAndUnfilterAreInverse) {
  std::vector<uint8_t> prior(67), row(67), filtered(67), back(67);
  for (size_t i = 0; i < row.size(); ++i) {
    prior[i] = static_cast<uint8_t>(i * 71 + 5);
    row[i] = static_cast<uint8_t>(i * i * 13 + 1);
  }
  for (size_t bpp : {1, 2, 3, 4, 6, 8}) {
    for (int type = 0; type <= 4; ++type) {
      FilterRow(type, row.data(), prior.data(), filtered.data(), row.size(), bpp);
      back = filtered;
      UnfilterRow(type, back.data(), prior.data(), back.size(), bpp);
      EXPECT_EQ(back, row) << "bpp " << bpp << " type " << type;
    }
  }
}

TEST(PngFilters, AdaptiveScores) {
  // One value, or up to eight distinct values: best possible.
  Bytes flat(100, 7);
  EXPECT_EQ(FilterScore(0, flat.data(), flat.size(), false), -1);
  Bytes few;
  for (int i = 0; i < 100; ++i) few.push_back(static_cast<uint8_t>(i % 8));
  EXPECT_EQ(FilterScore(0, few.data(), few.size(), false), -1);
  // 99 data bytes of 9 values plus the type byte 0: n = 100, j = 9.
  Bytes nine;
  for (int i = 0; i < 99; ++i) nine.push_back(static_cast<uint8_t>(1 + i % 9));
  // counts: type 0 -> 1, values 1..9 -> 11 each; c1 + c2 + c3 = 33.
  EXPECT_EQ(FilterScore(0, nine.data(), nine.size(), false),
            static_cast<long long>(100 / 1.5 / 10 * 1000 + 33 / 100.0 * 1000));
  EXPECT_EQ(FilterScore(0, nine.data(), nine.size(), true),
            static_cast<long long>(100 / 1.5 / 10 * 1500 + 22 / 100.0 * 1000));

  // A smooth gradient: None has many values, Sub has one.
  Bytes ramp(300), prior(300, 0), out(300), scratch(300);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint8_t>(i * 3);
  EXPECT_EQ(ChooseAdaptiveFilter(ramp.data(), prior.data(), out.data(), scratch.data(), ramp.size(), 8),
            kFilterSub);
  EXPECT_EQ(out[5], 3);
  // Four-bit images never filter; a flat row stays None.
  EXPECT_EQ(ChooseAdaptiveFilter(ramp.data(), prior.data(), out.data(), scratch.data(), ramp.size(), 4),
            kFilterNone);
  EXPECT_EQ(out, ramp);
  EXPECT_EQ(ChooseAdaptiveFilter(flat.data(), prior.data(), out.data(), scratch.data(), flat.size(), 24),
            kFilterNone);
  // The same row again below itself: Up gives zeros.
  Bytes noise(300);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * i * 7 + i / 3);
  EXPECT_EQ(ChooseAdaptiveFilter(noise.data(), noise.data(), out.data(), scratch.data(), noise.size(), 24),
            kFilterUp);
  EXPECT_EQ(out, Bytes(300, 0));
}
