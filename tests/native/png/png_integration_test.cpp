// The PNG codec where the rest of the program meets it: wallpaper decoding by
// extension, thumbnails, and the tapestrel-imaging commands.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "imaging/bmp_file.h"
#include "imaging/picture_file.h"
#include "imaging/thumbnail_decode.h"
#include "png_test_util.h"

using namespace tapestrel::imaging;
using namespace tapestrel::testing;

namespace {

std::string Temp(const std::string& name) {
  return std::string(TAPESTREL_BINARY_DIR) + "/png_integration_" + name;
}

}  // namespace

TEST(PngIntegration, PicturesAndThumbnailsDecodePng) {
  const Bitmap image = Pattern(40, 30, PixelFormat::Bits24);
  const Bitmap mask = PatternMask(40, 30);
  const std::string path = Temp("Picture.PNG");
  SavePngFile(path, image, &mask);

  // The wallpaper takes the image bitmap.
  EXPECT_EQ(LoadPictureFile(path), image);

  const ThumbnailPicture thumb = LoadThumbnailPicture(path, 20, 20, TGetType::igtPreview);
  EXPECT_EQ(thumb.sourceWidth, 40);
  EXPECT_EQ(thumb.sourceHeight, 30);
  EXPECT_EQ(thumb.bitmap.Format(), PixelFormat::Bits24);
  EXPECT_LE(thumb.bitmap.Width(), 20);

  // A damaged PNG is a picture error like any other.
  WriteBmpFile(Temp("not_a.png"), image);
  EXPECT_THROW(LoadPictureFile(Temp("not_a.png")), ImageError);
  std::filesystem::remove(path);
  std::filesystem::remove(Temp("not_a.png"));
}

TEST(PngIntegration, ToolConvertsBothWays) {
  const std::string tool = std::string(TAPESTREL_BINARY_DIR) + "/tapestrel-imaging";
  if (!std::filesystem::exists(tool)) GTEST_SKIP() << "tapestrel-imaging is not built";
  const Bitmap image = Pattern(17, 9, PixelFormat::Bits24);
  const Bitmap mask = PatternMask(17, 9);
  WriteBmpFile(Temp("in.bmp"), image);
  WriteBmpFile(Temp("mask.bmp"), mask);
  const auto run = [&](const std::string& args) {
    return std::system((tool + " " + args + " 2>/dev/null").c_str());
  };

  ASSERT_EQ(run("bmp2png " + Temp("in.bmp") + " " + Temp("out.png") +
                " --interlace --filter 0 --level 9 --mask " + Temp("mask.bmp")),
            0);
  Rgba reference;
  ASSERT_TRUE(DecodeWithLibpng(ReadFile(Temp("out.png")), reference));
  EXPECT_EQ(reference.color_type, 6);
  EXPECT_EQ(reference.At(3, 4)[3], 255 - mask.Row(4)[3]);

  ASSERT_EQ(run("png2bmp " + Temp("out.png") + " " + Temp("back.bmp") + " --mask " + Temp("back_mask.bmp")),
            0);
  EXPECT_EQ(ReadBmpFile(Temp("back.bmp")), image);
  const Bitmap back_mask = ReadBmpFile(Temp("back_mask.bmp"));
  EXPECT_EQ(back_mask.Row(8)[16], mask.Row(8)[16]);

  ASSERT_EQ(run("bmp2png " + Temp("in.bmp") + " " + Temp("grey.png") + " --grey"), 0);
  ASSERT_TRUE(DecodeWithLibpng(ReadFile(Temp("grey.png")), reference));
  EXPECT_EQ(reference.color_type, 0);

  EXPECT_NE(run("bmp2png " + Temp("in.bmp") + " " + Temp("x.png") + " --filter"), 0);
  EXPECT_NE(run("bmp2png " + Temp("in.bmp") + " " + Temp("x.png") + " --bogus"), 0);
  EXPECT_NE(run("png2bmp " + Temp("in.bmp") + " " + Temp("x.bmp")), 0);
  for (const char* f : {"in.bmp", "mask.bmp", "out.png", "back.bmp", "back_mask.bmp", "grey.png"}) {
    std::filesystem::remove(Temp(f));
  }
}
