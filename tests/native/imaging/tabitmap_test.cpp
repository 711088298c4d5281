#include "imaging/tabitmap.h"

#include <gtest/gtest.h>

#include <cstring>

#include "imaging/bmp_file.h"
#include "imaging/file_bytes.h"
#include "imaging/picture_file.h"
#include "imaging/pixel_convert.h"
#include "test_images.h"

using namespace tapestrel::imaging;

TEST(PixelConversion, EveryFormatWidensToTheSameColors) {
  // 5-bit and 6-bit channels repeat their high bits: full scale stays full.
  Bitmap b15(2, 1, PixelFormat::Bits15);
  b15.Row(0)[0] = 0xFF, b15.Row(0)[1] = 0x7F;  // white
  b15.Row(0)[2] = 0x10, b15.Row(0)[3] = 0x42;  // 10000 10000 10000
  EXPECT_EQ(PixelColor(b15, 0, 0), MakeColor(255, 255, 255));
  EXPECT_EQ(PixelColor(b15, 1, 0), MakeColor(0x84, 0x84, 0x84));
  Bitmap b16(1, 1, PixelFormat::Bits16);
  b16.Row(0)[0] = 0xE0, b16.Row(0)[1] = 0x07;  // green only, 6 bits
  EXPECT_EQ(PixelColor(b16, 0, 0), MakeColor(0, 255, 0));

  for (PixelFormat format : {PixelFormat::Bits1, PixelFormat::Bits4, PixelFormat::Bits8, PixelFormat::Bits15,
                             PixelFormat::Bits16, PixelFormat::Bits24, PixelFormat::Bits32}) {
    const Bitmap original = imaging_test::RandomBitmap(11, 3, format, 5);
    const Bitmap wide24 = ConvertTo24(original), wide32 = ConvertTo32(original);
    ASSERT_EQ(wide24.Format(), PixelFormat::Bits24);
    ASSERT_EQ(wide32.Format(), PixelFormat::Bits32);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 11; ++x) {
        ASSERT_EQ(PixelColor(wide24, x, y), PixelColor(original, x, y)) << BitsPerPixel(format);
        ASSERT_EQ(PixelColor(wide32, x, y), PixelColor(original, x, y)) << BitsPerPixel(format);
      }
    }
  }
  // Indices past a short palette read as black rather than past its end.
  Bitmap shortPalette(2, 1, PixelFormat::Bits8);
  shortPalette.Palette() = {{1, 2, 3, 0}};
  shortPalette.Row(0)[1] = 200;
  EXPECT_EQ(PixelColor(shortPalette, 0, 0), MakeColor(3, 2, 1));
  EXPECT_EQ(PixelColor(shortPalette, 1, 0), 0u);
  EXPECT_THROW(PixelColor(shortPalette, 2, 0), std::out_of_range);
}

TEST(TABitmap, Is32BitsAndResizesKeepingItsPixels) {
  TABitmap b(imaging_test::RandomBitmap(5, 4, PixelFormat::Bits4, 8));
  EXPECT_EQ(b.Dib().Format(), PixelFormat::Bits32);
  const Bitmap before = b.Dib();
  b.SetSize(3, 6);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Height(), 6);
  for (int y = 0; y < 4; ++y) EXPECT_EQ(std::memcmp(b.Row(y), before.Row(y), 12), 0);
  EXPECT_EQ(b.Row(5)[0], 0);
  EXPECT_THROW(b.Row(6), std::out_of_range);
  EXPECT_THROW(b.Row(-1), std::out_of_range);
  b.SetSize(0, 0);
  EXPECT_TRUE(b.Empty());
}

TEST(TABitmap, LoadsAnyDepthAndSavesA32BitFile) {
  const std::string path = imaging_test::TempPath("ta.bmp");
  const Bitmap original = imaging_test::RandomBitmap(7, 5, PixelFormat::Bits8, 2);
  WriteBmpFile(path, original);
  TABitmap b;
  b.LoadFromFile(path);
  EXPECT_EQ(b.Dib(), ConvertTo32(original));
  b.SaveToFile(path);
  const Bitmap saved = ReadBmpFile(path);
  EXPECT_EQ(saved.Format(), PixelFormat::Bits32);
  EXPECT_EQ(saved, b.Dib());
}

TEST(PictureFile, ChoosesTheDecoderByTheLowerCasedExtension) {
  EXPECT_EQ(LowerCaseExtension("C:\\pics\\A.JPEG"), ".jpeg");
  EXPECT_EQ(LowerCaseExtension("C:\\pics.d\\noext"), "");
  EXPECT_EQ(LowerCaseExtension("photo"), "");

  const Bitmap picture = imaging_test::RandomBitmap(6, 4, PixelFormat::Bits16, 3);
  const std::string bmp = imaging_test::TempPath("Pic.BMP");
  WriteBmpFile(bmp, picture);
  EXPECT_EQ(LoadPictureFile(bmp), picture);  // its own depth

  const std::string jpg = imaging_test::TempPath("Pic.JpG");
  const auto jpeg = imaging_test::MakeJpeg(imaging_test::SmoothPicture(20, 10), imaging_test::JpegKind::Grey);
  WriteFileBytes(jpg, jpeg);
  const Bitmap decoded = LoadPictureFile(jpg);
  EXPECT_EQ(decoded.Format(), PixelFormat::Bits24);
  EXPECT_EQ(decoded.Width(), 20);

  // A JPEG named .bmp is not a bitmap; a missing PNG and unknown types are refused.
  const std::string wrong = imaging_test::TempPath("wrong.bmp");
  WriteFileBytes(wrong, jpeg);
  EXPECT_THROW(LoadPictureFile(wrong), ImageError);
  EXPECT_THROW(LoadPictureFile(imaging_test::TempPath("x.png")), ImageError);
  EXPECT_THROW(LoadPictureFile(jpg + ".gif"), ImageError);
  EXPECT_THROW(LoadPictureFile(imaging_test::TempPath("missing.jpg")), ImageError);
}
