#include "imaging/jpeg_file.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "imaging/pixel_convert.h"
#include "test_images.h"

using namespace tapestrel::imaging;
using imaging_test::JpegKind;
using imaging_test::MakeJpeg;
using imaging_test::MeanAbsDiff;
using imaging_test::SmoothPicture;

namespace {

Bitmap Grey(const Bitmap& bgr) {
  Bitmap g(bgr.Width(), bgr.Height(), PixelFormat::Bits24);
  for (int y = 0; y < bgr.Height(); ++y) {
    for (int x = 0; x < bgr.Width(); ++x) {
      const uint8_t* p = bgr.Row(y) + 3 * x;
      const uint8_t v = static_cast<uint8_t>((p[2] * 299 + p[1] * 587 + p[0] * 114) / 1000);
      std::fill(g.Row(y) + 3 * x, g.Row(y) + 3 * x + 3, v);
    }
  }
  return g;
}

// Position of the first byte after the first marker `code`, or npos.
size_t FindMarker(const std::vector<uint8_t>& f, uint8_t code) {
  for (size_t i = 0; i + 1 < f.size(); ++i) {
    if (f[i] == 0xFF && f[i + 1] == code) return i + 2;
  }
  return std::string::npos;
}

}  // namespace

TEST(JpegFile, DecodesEveryColorLayoutTo24Bits) {
  const Bitmap picture = SmoothPicture(67, 45);
  struct Case {
    JpegKind kind;
    Bitmap expected;
  };
  const Case cases[] = {{JpegKind::Rgb, picture},
                        {JpegKind::Progressive, picture},
                        {JpegKind::AdobeCmyk, picture},
                        {JpegKind::Grey, Grey(picture)}};
  for (const auto& c : cases) {
    for (JpegMode mode : {JpegMode::BestQuality, JpegMode::BestSpeed}) {
      JpegDecodeOptions options;
      options.mode = mode;
      JpegHeader header;
      const Bitmap b = DecodeJpeg(MakeJpeg(picture, c.kind), options, &header);
      ASSERT_EQ(b.Format(), PixelFormat::Bits24);
      EXPECT_EQ(header.width, 67);
      EXPECT_EQ(header.height, 45);
      // Blue stays blue: a swapped channel order or uninverted inks would be far off.
      EXPECT_LT(MeanAbsDiff(b, c.expected), 3.0)
          << static_cast<int>(c.kind) << " mode " << static_cast<int>(mode);
    }
  }
}

TEST(JpegFile, ScalesByEighthsQuartersAndHalves) {
  const auto jpeg = MakeJpeg(SmoothPicture(203, 101), JpegKind::Rgb);
  for (int scale : {1, 2, 4, 8}) {
    JpegDecodeOptions options;
    options.scaleDenominator = scale;
    const Bitmap b = DecodeJpeg(jpeg, options);
    EXPECT_EQ(b.Width(), (203 + scale - 1) / scale);
    EXPECT_EQ(b.Height(), (101 + scale - 1) / scale);
  }
  JpegDecodeOptions bad;
  bad.scaleDenominator = 3;
  EXPECT_THROW(DecodeJpeg(jpeg, bad), ImageError);
  // The chooser sees the picture's own size and decides the scale.
  JpegDecodeOptions chosen;
  int seenW = 0, seenH = 0;
  chosen.chooseScale = [&](int w, int h) {
    seenW = w, seenH = h;
    return 4;
  };
  EXPECT_EQ(DecodeJpeg(jpeg, chosen).Width(), 51);
  EXPECT_EQ(seenW, 203);
  EXPECT_EQ(seenH, 101);
}

TEST(JpegFile, EncodesBaselineAtQuality90) {
  const Bitmap picture = SmoothPicture(40, 30);
  const auto jpeg = EncodeJpeg(picture);
  EXPECT_NE(FindMarker(jpeg, 0xC0), std::string::npos);  // baseline frame
  EXPECT_EQ(FindMarker(jpeg, 0xC2), std::string::npos);  // no progressive frame
  // The first luminance quantiser of quality 90 is 16 x 20% = 3.
  const size_t dqt = FindMarker(jpeg, 0xDB);
  ASSERT_NE(dqt, std::string::npos);
  EXPECT_EQ(jpeg[dqt + 2], 0);  // table 0, 8-bit
  EXPECT_EQ(jpeg[dqt + 3], 3);
  EXPECT_LT(MeanAbsDiff(DecodeJpeg(jpeg), picture), 2.0);

  // Paletted and 32-bit pictures are widened first.
  Bitmap indexed(3, 2, PixelFormat::Bits8);
  indexed.Palette() = {{255, 0, 0, 0}};
  const Bitmap blue = DecodeJpeg(EncodeJpeg(indexed));
  EXPECT_GT(BlueOf(PixelColor(blue, 1, 1)), 240);
  EXPECT_LT(RedOf(PixelColor(blue, 1, 1)), 15);
  EXPECT_THROW(EncodeJpeg(Bitmap()), ImageError);

  const std::string path = imaging_test::TempPath("capture.jpg");
  EncodeJpegFile(path, picture);
  EXPECT_EQ(DecodeJpegFile(path).Width(), 40);
}

TEST(JpegFile, CorruptAndTruncatedFilesAreErrorsNotCrashes) {
  const auto jpeg = MakeJpeg(SmoothPicture(64, 64), JpegKind::Rgb);
  const auto progressive = MakeJpeg(SmoothPicture(64, 64), JpegKind::Progressive);
  EXPECT_THROW(DecodeJpeg({}), ImageError);
  EXPECT_THROW(DecodeJpeg(std::vector<uint8_t>(100, 0x55)), ImageError);
  EXPECT_THROW(ReadJpegHeader(std::vector<uint8_t>{0xFF, 0xD8}), ImageError);
  // Cut in the middle of the picture data, or early in a progressive file's first scan.
  EXPECT_THROW(DecodeJpeg(std::span<const uint8_t>(jpeg.data(), jpeg.size() / 2)), ImageError);
  const size_t firstScan = FindMarker(progressive, 0xDA);
  ASSERT_NE(firstScan, std::string::npos);
  EXPECT_THROW(DecodeJpeg(std::span<const uint8_t>(progressive.data(), firstScan + 16)), ImageError);
  // Every shorter prefix either fails cleanly or, when only the end is
  // missing, still gives the whole picture.
  for (const auto* f : {&jpeg, &progressive}) {
    for (size_t n = 0; n < f->size(); n += 7) {
      try {
        const Bitmap b = DecodeJpeg(std::span<const uint8_t>(f->data(), n));
        EXPECT_EQ(b.Width(), 64);
      } catch (const ImageError&) {
      }
    }
  }
  // Only the end marker missing: the picture is complete.
  EXPECT_EQ(DecodeJpeg(std::span<const uint8_t>(jpeg.data(), jpeg.size() - 2)).Height(), 64);
}

TEST(JpegFile, WarningsStaySilent) {
  auto jpeg = MakeJpeg(SmoothPicture(64, 64), JpegKind::Rgb);
  // Damage the entropy-coded data with a stray marker: libjpeg recovers with
  // a warning that must not reach the console.
  const size_t sos = FindMarker(jpeg, 0xDA);
  ASSERT_NE(sos, std::string::npos);
  jpeg[sos + 40] = 0xFF;
  jpeg[sos + 41] = 0xD3;
  testing::internal::CaptureStderr();
  try {
    DecodeJpeg(jpeg);
  } catch (const ImageError&) {
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(JpegFile, HugeDeclaredSizesAreRefusedBeforeAllocating) {
  auto jpeg = MakeJpeg(SmoothPicture(16, 16), JpegKind::Progressive);
  const size_t sof = FindMarker(jpeg, 0xC2);
  ASSERT_NE(sof, std::string::npos);
  // Frame header: length(2) precision(1) height(2) width(2).
  jpeg[sof + 3] = 0xEA, jpeg[sof + 4] = 0x60;  // 60000
  jpeg[sof + 5] = 0xEA, jpeg[sof + 6] = 0x60;
  EXPECT_THROW(DecodeJpeg(jpeg), ImageError);
  JpegDecodeOptions eighth;
  eighth.scaleDenominator = 8;  // small output, but the coefficients would be 20 GB
  EXPECT_THROW(DecodeJpeg(jpeg, eighth), ImageError);
  JpegDecodeOptions small;
  small.maxBytes = 100;
  EXPECT_THROW(DecodeJpeg(MakeJpeg(SmoothPicture(16, 16), JpegKind::Rgb), small), ImageError);
}
