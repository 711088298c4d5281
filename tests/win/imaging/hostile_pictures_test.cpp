// In the shipped 32-bit build, under the real C runtime: a file of a few bytes
// that claims a picture of hundreds of megabytes fails with its codec's own
// error without asking for more than a few megabytes, whether it comes as a
// file, from memory or from a picture plug-in; a 4000 x 3000 JPEG and a PNG
// deflated as far as zlib goes still decode.
#include <gtest/gtest.h>

#include <functional>

#include "common/allocation_meter.h"
#include "fakes/hostile_pictures.h"
#include "imaging/bmp_file.h"
#include "imaging/file_bytes.h"
#include "imaging/jpeg_file.h"
#include "imaging/png/kvxpng.h"
#include "imaging/png/png_file.h"
#include "imaging/thumbnail_decode.h"
#include "imaging/win32/plugin_host.h"
#include "win_support/test_plugins.h"

namespace tt = tapestrel::testing;
using namespace tapestrel::imaging;
using namespace tapestrel::testing;
using imaging_test::AllocationMeter;

namespace {

constexpr size_t kFewMegabytes = 4u << 20;
constexpr uint8_t kClaimsAGigabyte = 20;  // the hostile plug-in's mode

Bitmap Photo(int width, int height) {
  Bitmap b(width, height, PixelFormat::Bits24);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = b.Row(y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<uint8_t>(x * 255 / width);
      row[3 * x + 1] = static_cast<uint8_t>(y * 255 / height);
      row[3 * x + 2] = static_cast<uint8_t>((x ^ y) & 0x3F);
    }
  }
  return b;
}

std::string ErrorOf(const std::function<void()>& decode) {
  try {
    decode();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(decoded)";
}

}  // namespace

TEST(HostilePictures, TinyFilesClaimingHugePicturesAskForAFewMegabytesAtMost) {
  tt::PluginStage stage;
  stage.Put("tsp_hostile");
  PictureFormatRegistry registry;
  PluginHost plugins(stage.AppFolder(), registry);
  plugins.LoadAtStartup();
  tt::Tspx claim;
  claim.mode = kClaimsAGigabyte;
  const std::string plugInFile = stage.Picture("huge.bad", claim.Bytes());

  const Bytes png = HugePng();
  const std::string pngFile = stage.Picture("huge.png", std::string(png.begin(), png.end()));
  const Bytes rle = HugeBmp(30000, 30000, 8, 1, {0, 1});
  const std::string rleFile = stage.Picture("huge.bmp", std::string(rle.begin(), rle.end()));
  const Bytes jpeg = ResizedJpeg(EncodeJpeg(Photo(16, 16)), 20000, 16000);
  const std::string jpegFile = stage.Picture("huge.jpg", std::string(jpeg.begin(), jpeg.end()));
  constexpr char kPngError[] = "Read Image (PNG): Read Error";
  constexpr char kJpegError[] = "JPEG: picture larger than its data";
  struct Case {
    const char* what;
    std::function<void()> decode;
    const char* error;
  };
  const Case cases[] = {
      {"PNG", [&] { LoadPng(png); }, kPngError},
      {"interlaced PNG", [&] { LoadPng(HugePng(65535, 5461, 1)); }, kPngError},
      {"PNG file", [&] { LoadPngFile(pngFile); }, kPngError},
      {"RLE bitmap file", [&] { ReadBmpFile(rleFile); }, "BMP: picture larger than its RLE data"},
      {"bitmap", [&] { ReadBmp(HugeBmp(16000, 16000, 24, 0, Bytes(64, 0))); }, "BMP: truncated pixel data"},
      {"JPEG file", [&] { DecodeJpegFile(jpegFile); }, kJpegError},
      {"JPEG thumbnail", [&] { DecodeThumbnailJpeg(jpeg, 120, 90, TGetType::igtPreview); }, kJpegError},
      {"plug-in picture",
       [&] { TSPIBitmap([](const std::string& f) { return ReadBmpFile(f); }).LoadFromFile(plugInFile); },
       "Susie Plugins could not decode"},
      {"plug-in thumbnail",
       [&] {
         Bitmap thumb;
         if (plugins.SPlugin().LoadPicture(plugInFile, thumb) != kSpiSuccess) throw ImageError("refused");
       },
       "refused"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AllocationMeter meter;
    EXPECT_EQ(ErrorOf(c.decode), c.error);
    EXPECT_LT(meter.LargestRequest(), kFewMegabytes);
    EXPECT_LT(meter.PeakBytes(), kFewMegabytes);
  }
}

TEST(HostilePictures, LargeRealPicturesStillDecode) {
  EXPECT_EQ(DecodeJpeg(EncodeJpeg(Photo(4000, 3000))).Width(), 4000);
  TKVXPNG zeros;  // about 1028 to 1
  zeros.Assign(Bitmap(8000, 2000, PixelFormat::Bits8));
  zeros.CompressionLevel = 9;
  Bytes png;
  zeros.SaveToMemory(png);
  EXPECT_EQ(LoadPng(png).image.Height(), 2000);
}
