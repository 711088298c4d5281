// Reading: the header checks and their texts, the lenient chunk loop, the
// conversions to bitmap formats, transparency and the metadata a load takes
// over.
#include <gtest/gtest.h>

#include <sstream>

#include "imaging/png/kvxpng.h"
#include "png_test_util.h"

using namespace tapestrel::imaging;
using namespace tapestrel::testing;

namespace {

TKVXPNG Load(const Bytes& data) {
  TKVXPNG png;
  png.LoadFromMemory(data);
  return png;
}

std::string LoadError(const Bytes& data) {
  try {
    Load(data);
  } catch (const EKVXPNG& e) {
    return e.what();
  }
  return "(loaded)";
}

// Raw rows of a width x height RGB 8-bit image, filter None, pixel (x, y) =
// (x, y, x + y).
Bytes RgbRows(int width, int height) {
  Bytes raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < width; ++x) {
      raw.push_back(static_cast<uint8_t>(x));
      raw.push_back(static_cast<uint8_t>(y));
      raw.push_back(static_cast<uint8_t>(x + y));
    }
  }
  return raw;
}

Bytes SmallRgb() { return PngBuilder().Header(3, 2, 8, 2).ImageData(RgbRows(3, 2)).End().bytes(); }

Bytes Be16(std::initializer_list<int> values) {
  Bytes b;
  for (int v : values) {
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
  }
  return b;
}

}  // namespace

TEST(PngReader, HeaderErrorsUseTheirTextsInOrder) {
  EXPECT_EQ(LoadError(Bytes{1, 2, 3}), "PNG LoadStream: Not PNG Format");
  Bytes bad_signature = SmallRgb();
  bad_signature[1] = 'p';
  EXPECT_EQ(LoadError(bad_signature), "PNG LoadStream: Not PNG Format");

  EXPECT_EQ(LoadError(PngBuilder().Header(1, 1, 8, 2).Header(1, 1, 8, 2).bytes()),
            "Read Header(PNG): appear two IHDR");
  for (int type : {1, 5, 7, 9, 15}) {
    EXPECT_EQ(LoadError(PngBuilder().Header(1, 1, 8, type).bytes()), "Read Header(PNG): Error ColorType")
        << type;
  }
  // Color type is tested before the methods, and the methods in their order.
  EXPECT_EQ(LoadError(PngBuilder().Header(1, 1, 8, 1, 2, 2, 2).bytes()), "Read Header(PNG): Error ColorType");
  EXPECT_EQ(LoadError(PngBuilder().Header(1, 1, 8, 2, 2, 2, 2).bytes()),
            "Read Header(PNG): not support Compression");
  EXPECT_EQ(LoadError(PngBuilder().Header(1, 1, 8, 2, 2, 0, 2).bytes()),
            "Read Header(PNG): not supprt Filter");
  EXPECT_EQ(LoadError(PngBuilder().Header(1, 1, 8, 2, 2).bytes()), "Read Header(PNG): not interlace type");
}

TEST(PngReader, BitDepthsAreCheckedAtTheFirstImageData) {
  const Bytes one_row{0, 0, 0, 0, 0, 0, 0, 0, 0};
  const auto with_depth = [&](int depth, int type) {
    return LoadError(PngBuilder().Header(1, 1, depth, type).ImageData(one_row).End().bytes());
  };
  EXPECT_EQ(with_depth(3, 0), "Read Header(PNG): Error Bitdepth");
  EXPECT_EQ(with_depth(32, 0), "Read Header(PNG): Error Bitdepth");
  EXPECT_EQ(with_depth(3, 4), "Read Header(PNG): Error Bitdepth");
  EXPECT_EQ(with_depth(4, 4), "Read Header(PNG): not Use AlphaChannel");
  EXPECT_EQ(with_depth(4, 2), "Read Header(PNG): Error BitDepth");
  EXPECT_EQ(with_depth(1, 6), "Read Header(PNG): Error BitDepth");
  EXPECT_EQ(with_depth(16, 3), "Read Header(PNG): Error BitDepth");
  // Without image data the depth is never looked at; the file has no picture.
  EXPECT_EQ(LoadError(PngBuilder().Header(1, 1, 3, 0).End().bytes()), "Read Image (PNG): Read Error");
  // Method 1 passes each method test.
  EXPECT_EQ(LoadError(PngBuilder().Header(3, 2, 8, 2, 0, 1, 1).ImageData(RgbRows(3, 2)).End().bytes()),
            "(loaded)");
}

TEST(PngReader, BrokenImageDataIsAReadError) {
  const std::string kReadError = "Read Image (PNG): Read Error";
  // Filter type 5.
  Bytes raw = RgbRows(3, 2);
  raw[10] = 5;
  EXPECT_EQ(LoadError(PngBuilder().Header(3, 2, 8, 2).ImageData(raw).End().bytes()), kReadError);
  // Too few rows in the zlib stream.
  EXPECT_EQ(LoadError(PngBuilder().Header(3, 3, 8, 2).ImageData(RgbRows(3, 2)).End().bytes()), kReadError);
  // Not a zlib stream.
  EXPECT_EQ(LoadError(PngBuilder().Header(3, 2, 8, 2).Add("IDAT", Bytes(40, 0xAB)).End().bytes()),
            kReadError);
  // Another chunk interrupts the image data.
  const Bytes z = Deflate(RgbRows(3, 2));
  EXPECT_EQ(LoadError(PngBuilder()
                          .Header(3, 2, 8, 2)
                          .Add("IDAT", Bytes(z.begin(), z.begin() + 5))
                          .Add("tEXt", Bytes{'a', 0, 'b'})
                          .Add("IDAT", Bytes(z.begin() + 5, z.end()))
                          .End()
                          .bytes()),
            kReadError);
  // The data end inside the image.
  Bytes truncated = SmallRgb();
  truncated.resize(8 + 25 + 8 + 4);  // signature, IHDR, four bytes of IDAT
  EXPECT_EQ(LoadError(truncated), kReadError);
  // No image at all.
  EXPECT_EQ(LoadError(PngBuilder().End().bytes()), kReadError);
  EXPECT_EQ(LoadError(PngBuilder().bytes()), kReadError);
}

TEST(PngReader, SizesThatCannotBeHeldFailBeforeAllocating) {
  const Bytes tiny = Deflate(Bytes{0, 0, 0, 0});
  for (auto [w, h] : {std::pair<uint32_t, uint32_t>{0, 1},
                      {1, 0},
                      {65536, 1},
                      {0x80000000u, 1},
                      {0xFFFFFFFFu, 0xFFFFFFFFu},
                      {65535, 65535}}) {
    EXPECT_EQ(LoadError(PngBuilder().Header(w, h, 8, 6).Add("IDAT", tiny).End().bytes()),
              "Read Image (PNG): Read Error")
        << w << " x " << h;
  }
}

TEST(PngReader, ImageDataMayBeSplitAnywhere) {
  const Bytes raw = RgbRows(5, 4);
  const Bytes whole = PngBuilder().Header(5, 4, 8, 2).ImageData(raw).End().bytes();
  const Bitmap expected = Load(whole).Image();
  for (size_t split : {1, 2, 7}) {
    EXPECT_EQ(Load(PngBuilder().Header(5, 4, 8, 2).ImageData(raw, split).End().bytes()).Image(), expected)
        << split;
  }
  // Empty IDAT chunks in the run, and IDAT chunks after the image, are fine.
  const Bytes z = Deflate(raw);
  const Bytes odd = PngBuilder()
                        .Header(5, 4, 8, 2)
                        .Add("IDAT", {})
                        .Add("IDAT", Bytes(z.begin(), z.begin() + 3))
                        .Add("IDAT", {})
                        .Add("IDAT", Bytes(z.begin() + 3, z.end()))
                        .Add("tEXt", Bytes{'x', 0})
                        .Add("IDAT", Bytes(9, 0xEE))
                        .End()
                        .bytes();
  EXPECT_EQ(Load(odd).Image(), expected);
}

TEST(PngReader, CorruptedCrcsAreNotChecked) {
  const Bytes good = PngBuilder()
                         .Header(3, 2, 8, 2)
                         .Add("gAMA", Be16({0, 45455}))
                         .Add("tEXt", Bytes{'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'h', 'i'})
                         .ImageData(RgbRows(3, 2), 10)
                         .End()
                         .bytes();
  const TKVXPNG expected = Load(good);
  // Flip one bit of every CRC in turn.
  size_t pos = 8;
  while (pos < good.size()) {
    const uint32_t length = Be32(&good[pos]);
    Bytes bad = good;
    bad[pos + 8 + length] ^= 0x10;
    const TKVXPNG png = Load(bad);
    EXPECT_EQ(png.Image(), expected.Image());
    EXPECT_EQ(png.Comment, "hi\r\n");
    EXPECT_DOUBLE_EQ(png.Gamma, 0.45455);
    pos += 12 + length;
  }
}

TEST(PngReader, MacBinaryHeaderIsSkippedOnlyWhenAllowed) {
  Bytes data(128, 0x41);
  data[0] = 0;
  data[74] = 0;
  const Bytes png = SmallRgb();
  data.insert(data.end(), png.begin(), png.end());

  TKVXPNG on;
  on.LoadFromMemory(data);
  EXPECT_EQ(on.Image(), Load(png).Image());

  TKVXPNG off;
  off.SkipMacHeader = false;
  try {
    off.LoadFromMemory(data);
    FAIL() << "loaded";
  } catch (const EKVXPNG& e) {
    EXPECT_STREQ(e.what(), "PNG LoadStream: Not PNG Format");
  }

  // Byte 74 not zero: not a MacBinary header.
  data[74] = 1;
  EXPECT_EQ(LoadError(data), "PNG LoadStream: Not PNG Format");
}

TEST(PngReader, CommentChunksAreJoinedWithCrLf) {
  const TKVXPNG png = Load(PngBuilder()
                               .Header(3, 2, 8, 2)
                               .Add("tEXt", Bytes{'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'a'})
                               .Add("tEXt", Bytes{'T', 'i', 't', 'l', 'e', 0, 'x'})
                               .Add("tEXt", Bytes{'c', 'o', 'm', 'm', 'e', 'n', 't', 0, 'y'})
                               .Add("tEXt", Bytes{'C', 'o', 'm', 'm', 'e', 'n', 't', 's', 0, 'z'})
                               .Add("tEXt", Bytes{'C', 'o', 'm', 'm', 'e', 'n'})
                               .ImageData(RgbRows(3, 2))
                               .Add("tEXt", Bytes{'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'b'})
                               .End()
                               .bytes());
  EXPECT_EQ(png.Comment, "a\r\n\r\nb\r\n");
}

TEST(PngReader, SixteenBitSamplesKeepTheirHighByte) {
  Bytes raw{0};
  for (int v : {0x1234, 0x56FF, 0x9A01, 0xFE80, 0x0102, 0x0304}) {
    raw.push_back(static_cast<uint8_t>(v >> 8));
    raw.push_back(static_cast<uint8_t>(v));
  }
  const TKVXPNG png = Load(PngBuilder().Header(2, 1, 16, 2).ImageData(raw).End().bytes());
  ASSERT_EQ(png.Image().Format(), PixelFormat::Bits24);
  const uint8_t* p = png.Image().Row(0);
  EXPECT_EQ((Bytes{p, p + 6}), (Bytes{0x9A, 0x56, 0x12, 0x03, 0x01, 0xFE}));
  EXPECT_FALSE(png.HasAlpha());
  EXPECT_FALSE(png.Greyscale());
}

TEST(PngReader, PaletteTransparency) {
  const Bytes plte{10, 0, 0, 20, 0, 0, 30, 0, 0, 40, 0, 0, 50, 0, 0};
  const Bytes raw{0, 0, 1, 2, 3, 4};
  // One fully transparent entry and the rest opaque: a transparent color.
  const TKVXPNG single = Load(PngBuilder()
                                  .Header(5, 1, 8, 3)
                                  .Add("PLTE", plte)
                                  .Add("tRNS", Bytes{255, 255, 255, 0})
                                  .ImageData(raw)
                                  .End()
                                  .bytes());
  EXPECT_EQ(single.Image().Format(), PixelFormat::Bits8);
  EXPECT_TRUE(single.Transparent());
  EXPECT_EQ(single.TransparentColor, 0x01000003);
  EXPECT_FALSE(single.HasAlpha());
  EXPECT_TRUE(single.AlphaMask().Empty());

  // Partial alpha: a mask by palette index, entries beyond tRNS opaque.
  const TKVXPNG partial = Load(PngBuilder()
                                   .Header(5, 1, 8, 3)
                                   .Add("PLTE", plte)
                                   .Add("tRNS", Bytes{0, 128, 255, 0})
                                   .ImageData(raw)
                                   .End()
                                   .bytes());
  EXPECT_FALSE(partial.Transparent());
  ASSERT_TRUE(partial.HasAlpha());
  const uint8_t* m = partial.AlphaMask().Row(0);
  EXPECT_EQ((Bytes{m, m + 5}), (Bytes{255, 127, 0, 255, 0}));

  // tRNS longer than the palette reads no more than the palette.
  const TKVXPNG longer = Load(PngBuilder()
                                  .Header(5, 1, 8, 3)
                                  .Add("PLTE", plte)
                                  .Add("tRNS", Bytes{255, 255, 255, 255, 255, 0})
                                  .ImageData(raw)
                                  .End()
                                  .bytes());
  EXPECT_FALSE(longer.Transparent());
  EXPECT_FALSE(longer.HasAlpha());
}

TEST(PngReader, GreyAndRgbTransparentColors) {
  // Grey samples of low depths name the ramp color they show as.
  const TKVXPNG grey1 =
      Load(PngBuilder().Header(8, 1, 1, 0).Add("tRNS", Be16({1})).ImageData(Bytes{0, 0x0F}).End().bytes());
  EXPECT_TRUE(grey1.Transparent());
  EXPECT_EQ(grey1.TransparentColor, 0xFFFFFF);
  const TKVXPNG grey2 = Load(PngBuilder()
                                 .Header(4, 1, 2, 0)
                                 .Add("tRNS", Be16({2}))
                                 .Add("bKGD", Be16({1}))
                                 .ImageData(Bytes{0, 0x1B})
                                 .End()
                                 .bytes());
  EXPECT_EQ(grey2.TransparentColor, 0xAAAAAA);
  EXPECT_EQ(grey2.BackgroundColor, 0x555555);
  const TKVXPNG grey16 = Load(
      PngBuilder().Header(1, 1, 16, 0).Add("tRNS", Be16({0x1234})).ImageData(Bytes{0, 1, 2}).End().bytes());
  EXPECT_EQ(grey16.TransparentColor, 0x121212);

  const TKVXPNG rgb = Load(PngBuilder()
                               .Header(3, 2, 8, 2)
                               .Add("tRNS", Be16({1, 2, 3}))
                               .Add("bKGD", Be16({0x10, 0x20, 0x30}))
                               .ImageData(RgbRows(3, 2))
                               .End()
                               .bytes());
  EXPECT_TRUE(rgb.Transparent());
  EXPECT_EQ(rgb.TransparentColor, 0x030201);
  EXPECT_EQ(rgb.BackgroundColor, 0x302010);

  // Images with alpha ignore tRNS.
  const TKVXPNG rgba = Load(PngBuilder()
                                .Header(1, 1, 8, 6)
                                .Add("tRNS", Be16({1, 2, 3}))
                                .ImageData(Bytes{0, 1, 2, 3, 4})
                                .End()
                                .bytes());
  EXPECT_FALSE(rgba.Transparent());
  EXPECT_EQ(rgba.TransparentColor, -1);
  EXPECT_EQ(rgba.AlphaMask().Row(0)[0], 251);
}

TEST(PngReader, PaletteIndicesBeyondAShortPaletteStillHaveAColor) {
  const TKVXPNG png = Load(PngBuilder()
                               .Header(3, 1, 8, 3)
                               .Add("PLTE", Bytes{1, 2, 3, 4, 5, 6})
                               .ImageData(Bytes{0, 0, 1, 200})
                               .End()
                               .bytes());
  ASSERT_EQ(png.Image().Palette().size(), 201u);
  EXPECT_EQ(png.Image().Palette()[1], (PaletteEntry{6, 5, 4, 0}));
  EXPECT_EQ(png.Image().Palette()[200], (PaletteEntry{0, 0, 0, 0}));
  // A full palette is left as it is.
  EXPECT_EQ(
      Load(PngBuilder().Header(2, 1, 1, 3).Add("PLTE", Bytes(6, 9)).ImageData(Bytes{0, 0x40}).End().bytes())
          .Image()
          .Palette()
          .size(),
      2u);
}

TEST(PngReader, MetadataIsTakenWhereAllowedAndReplacedByEachLoad) {
  Bytes chrm;
  for (int i = 1; i <= 8; ++i) chrm.insert(chrm.end(), {0, 0, 0, static_cast<uint8_t>(i)});
  const Bytes data = PngBuilder()
                         .Add("gAMA", Be16({0, 1}))  // before IHDR: ignored
                         .Header(3, 2, 8, 2, 1)
                         .Add("gAMA", Be16({0, 57000}))
                         .Add("cHRM", chrm)
                         .Add("sBIT", Bytes{5, 6, 5})
                         .Add("gIFg", Bytes{1, 2, 3, 4})
                         .Add("tIME", Bytes{0x07, 0xE8, 2, 29, 23, 59, 60})
                         .Add("PLTE", Bytes{1, 2, 3})
                         .Add("gAMA", Be16({0, 99999}))  // after PLTE: ignored
                         .Add("pHYs", Bytes{0, 0, 0x0B, 0x13, 0, 0, 0x0B, 0x13, 1})
                         .Add("tpNG", Bytes{'K', 'V', 'X', '3', 1, 1, 0, 0})
                         .ImageData(Bytes(22, 0))  // passes 1, 4, 6 and 7 of a 3 x 2 image
                         .Add("pHYs", Bytes{0, 0, 0, 9, 0, 0, 0, 9, 0})  // after the image: ignored
                         .End()
                         .bytes();
  TKVXPNG png = Load(data);
  EXPECT_TRUE(png.Interlaced);
  EXPECT_DOUBLE_EQ(png.Gamma, 0.57);
  EXPECT_EQ(png.Chromaticities[7], 8u);
  EXPECT_EQ(png.SignificantBits, (std::array<uint8_t, 4>{5, 6, 5, 0}));
  EXPECT_EQ(png.Gifg, (std::array<uint8_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(png.StoredTime, (PngTime{2024, 2, 29, 23, 59, 60}));
  EXPECT_EQ(png.PhysicalSize, (PngPhysicalSize{2835, 2835, 1}));

  // The next load without these chunks clears them; settings stay.
  png.IdatSize = 1000;
  png.LoadFromMemory(SmallRgb());
  EXPECT_FALSE(png.Interlaced);
  EXPECT_EQ(png.Gamma, 0);
  EXPECT_EQ(png.Chromaticities[7], 0u);
  EXPECT_EQ(png.StoredTime, PngTime{});
  EXPECT_EQ(png.PhysicalSize, PngPhysicalSize{});
  EXPECT_EQ(png.IdatSize, 1000);
}

TEST(PngReader, StreamsAndMemoryGiveTheSamePicture) {
  // Larger than the 64 KiB read buffer, with IDAT chunks straddling refills.
  Bitmap source = Pattern(300, 200, PixelFormat::Bits24);
  TKVXPNG writer;
  writer.Assign(source);
  writer.IdatSize = 1000;
  writer.CompressionLevel = 0;
  writer.Comment = std::string(70000, 'c');
  std::vector<uint8_t> data;
  writer.SaveToMemory(data);
  ASSERT_GT(data.size(), 3 * TKVXCustomReadStream::kBufferSize);

  TKVXPNG from_memory = Load(data);
  std::istringstream in(std::string(data.begin(), data.end()));
  TKVXPNG from_stream;
  from_stream.LoadFromStream(in);
  EXPECT_EQ(from_stream.Image(), source);
  EXPECT_EQ(from_memory.Image(), source);
  EXPECT_EQ(from_stream.Comment, writer.Comment + "\r\n");
}

TEST(PngReader, ReportsProgress) {
  std::vector<std::pair<ProgressStage, int>> events;
  TKVXPNG png;
  png.SetOnProgress([&](ProgressStage s, int percent) { events.emplace_back(s, percent); });
  png.LoadFromMemory(PngBuilder().Header(2, 8, 8, 0).ImageData(Bytes(8 * 3, 0)).End().bytes());
  const std::vector<std::pair<ProgressStage, int>> expected{{ProgressStage::Starting, 0},
                                                            {ProgressStage::Running, 50},
                                                            {ProgressStage::Running, 100},
                                                            {ProgressStage::Ending, 100}};
  EXPECT_EQ(events, expected);

  // A handler may abort the load by throwing.
  png.SetOnProgress([](ProgressStage s, int) {
    if (s == ProgressStage::Running) throw std::runtime_error("stop");
  });
  EXPECT_THROW(png.LoadFromMemory(SmallRgb()), std::runtime_error);
}
