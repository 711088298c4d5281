// A file of a few bytes that claims a picture of hundreds of megabytes fails
// with its codec's own error before anything is allocated for the picture;
// real large pictures, however well they compress, still decode.
#include <gtest/gtest.h>

#include <functional>
#include <istream>
#include <streambuf>

#include "common/allocation_meter.h"
#include "fakes/fake_spi.h"
#include "fakes/hostile_pictures.h"
#include "imaging/bmp_file.h"
#include "imaging/file_bytes.h"
#include "imaging/jpeg_file.h"
#include "imaging/png/kvxpng.h"
#include "imaging/png/png_file.h"
#include "imaging/spi/spi_blocks.h"
#include "imaging/thumbnail_decode.h"
#include "test_images.h"

using namespace tapestrel::imaging;
using namespace tapestrel::testing;
using imaging_test::AllocationMeter;
using imaging_test::JpegKind;
using imaging_test::MakeJpeg;
using imaging_test::SmoothPicture;

namespace {

constexpr size_t kFewMegabytes = 4u << 20;

// A stream that cannot seek, as a pipe's.
class PipeBuffer : public std::streambuf {
 public:
  explicit PipeBuffer(Bytes data) : data_(std::move(data)) {
    char* p = reinterpret_cast<char*>(data_.data());
    setg(p, p, p + data_.size());
  }

 private:
  Bytes data_;
};

std::string ErrorOf(const std::function<void()>& decode) {
  try {
    decode();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(decoded)";
}

}  // namespace

TEST(HostilePictures, TinyFilesClaimingHugePicturesFailBeforeAllocating) {
  const Bytes png = HugePng(), interlaced = HugePng(65535, 5461, 1);
  const std::string pngFile = imaging_test::TempPath("huge.png");
  WriteFileBytes(pngFile, png);
  const Bytes rle = HugeBmp(30000, 30000, 8, 1, {0, 1});  // RLE8: end of bitmap at once
  const Bytes bmp = HugeBmp(16000, 16000, 24, 0, Bytes(64, 0));
  const Bytes jpeg = ResizedJpeg(EncodeJpeg(SmoothPicture(16, 16)), 20000, 16000);
  const Bytes progressive = ResizedJpeg(MakeJpeg(SmoothPicture(16, 16), JpegKind::Progressive), 8000, 8000);
  const Bytes spiInfo = MakeInfoBlock(16000, 16000, 32), spiPixels(64);
  constexpr char kPngError[] = "Read Image (PNG): Read Error";
  constexpr char kJpegError[] = "JPEG: picture larger than its data";
  struct Case {
    const char* what;
    std::function<void()> decode;
    const char* error;
  };
  const Case cases[] = {
      {"PNG", [&] { LoadPng(png); }, kPngError},
      {"interlaced PNG", [&] { LoadPng(interlaced); }, kPngError},
      {"PNG file", [&] { LoadPngFile(pngFile); }, kPngError},
      {"PNG from a pipe",
       [&] {
         PipeBuffer pipe(png);
         std::istream in(&pipe);
         TKVXPNG().LoadFromStream(in);
       },
       kPngError},
      {"RLE bitmap", [&] { ReadBmp(rle); }, "BMP: picture larger than its RLE data"},
      {"bitmap", [&] { ReadBmp(bmp); }, "BMP: truncated pixel data"},
      {"JPEG", [&] { DecodeJpeg(jpeg); }, kJpegError},
      {"progressive JPEG", [&] { DecodeJpeg(progressive); }, kJpegError},
      {"JPEG thumbnail", [&] { DecodeThumbnailJpeg(jpeg, 120, 90, TGetType::igtPreview); }, kJpegError},
      {"plug-in blocks", [&] { SpiBlocksToBitmap(spiInfo, spiPixels); },
       "plug-in picture: pixel block smaller than the picture"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AllocationMeter meter;
    EXPECT_EQ(ErrorOf(c.decode), c.error);
    EXPECT_LT(meter.PeakBytes(), kFewMegabytes);
    EXPECT_LT(meter.LargestRequest(), kFewMegabytes);
  }
}

TEST(HostilePictures, LargeRealPicturesStillDecodeHoweverWellTheyCompress) {
  const Bitmap photo = SmoothPicture(4000, 3000);
  const Bitmap flat(4000, 3000, PixelFormat::Bits24);
  for (const auto& [what, jpeg] : {std::pair{"photo", MakeJpeg(photo, JpegKind::Rgb, 90)},
                                   {"progressive photo", MakeJpeg(photo, JpegKind::Progressive, 90)},
                                   {"flat", MakeJpeg(flat, JpegKind::Rgb)},
                                   {"flat progressive", MakeJpeg(flat, JpegKind::Progressive)}}) {
    SCOPED_TRACE(what);
    EXPECT_EQ(DecodeJpeg(jpeg).Width(), 4000);
  }
  // Arithmetic coding packs a flat picture into a couple of hundred bytes,
  // as small as a hostile file: refused like one.
  EXPECT_THROW(DecodeJpeg(MakeJpeg(flat, JpegKind::Arithmetic)), ImageError);

  // Deflated as far as zlib goes, about 1028 to 1, in the smallest IDAT
  // chunks: read from a file, the count runs on past the stream's buffer.
  TKVXPNG zeros;
  zeros.Assign(Bitmap(8000, 9000, PixelFormat::Bits8));
  zeros.CompressionLevel = 9;
  zeros.IdatSize = 256;
  const std::string pngFile = imaging_test::TempPath("zeros.png");
  zeros.SaveToFile(pngFile);
  EXPECT_GT(ReadFileBytes(pngFile).size(), TKVXCustomReadStream::kBufferSize);
  EXPECT_EQ(LoadPngFile(pngFile).image.Height(), 9000);

  // RLE8 in runs of 255, about 117 pixels a byte.
  Bytes rle;
  for (int y = 0; y < 3000; ++y) {
    for (int run = 0; run < 15; ++run) rle.insert(rle.end(), {255, 7});
    rle.insert(rle.end(), {175, 7, 0, 0});
  }
  rle.insert(rle.end(), {0, 1});
  const Bitmap fromRle = ReadBmp(HugeBmp(4000, 3000, 8, 1, rle));
  EXPECT_EQ(fromRle.Row(0)[3999], 7);
}
