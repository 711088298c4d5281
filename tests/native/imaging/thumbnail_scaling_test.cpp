#include "imaging/thumbnail_scaling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "imaging/bmp_file.h"
#include "imaging/jpeg_file.h"
#include "imaging/pixel_convert.h"
#include "imaging/thumbnail_decode.h"
#include "test_images.h"

using namespace tapestrel::imaging;

namespace {

Bitmap Uniform(int w, int h, uint8_t b, uint8_t g, uint8_t r) {
  Bitmap bm(w, h, PixelFormat::Bits24);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      bm.Row(y)[3 * x] = b, bm.Row(y)[3 * x + 1] = g, bm.Row(y)[3 * x + 2] = r;
    }
  }
  return bm;
}

// A one-row picture from blue values.
Bitmap Line(std::initializer_list<int> blues) {
  Bitmap bm(static_cast<int>(blues.size()), 1, PixelFormat::Bits24);
  int x = 0;
  for (int v : blues) bm.Row(0)[3 * x++] = static_cast<uint8_t>(v);
  return bm;
}

std::vector<int> Blues(const Bitmap& bm) {
  std::vector<int> v;
  for (int x = 0; x < bm.Width(); ++x) v.push_back(bm.Row(0)[3 * x]);
  return v;
}

}  // namespace

TEST(FitSize, KeepsTheAspectWithTheDoubleRatioTruncated) {
  EXPECT_EQ(FitSize(300, 100, 120, 90), (Size{120, 40}));
  EXPECT_EQ(FitSize(100, 300, 120, 90), (Size{29, 90}));  // 0.333... x 90 lies just below 30
  EXPECT_EQ(FitSize(60, 40, 120, 90), (Size{60, 40}));
  EXPECT_EQ(FitSize(4000, 3000, 120, 90), (Size{120, 90}));
  EXPECT_EQ(FitSize(200, 100, 120, 30), (Size{60, 30}));  // landscape limited by the height
  EXPECT_EQ(FitSize(100, 200, 30, 120), (Size{30, 60}));  // portrait limited by the width
  EXPECT_EQ(FitSize(0, 200, 120, 90), (Size{120, 90}));
}

TEST(FitSize, AgreesWithExtendedPrecisionArithmetic) {
  // The exact integer truncation must give what 80-bit arithmetic gives.
  std::mt19937 rng(11);
  auto truncTimes = [](double r, int n) { return static_cast<int>(static_cast<long double>(r) * n); };
  auto truncDivide = [](int n, double r) { return static_cast<int>(n / static_cast<long double>(r)); };
  for (int i = 0; i < 200000; ++i) {
    const int pw = 1 + static_cast<int>(rng() % 65535), ph = 1 + static_cast<int>(rng() % 65535);
    const int w = 1 + static_cast<int>(rng() % 2000), h = 1 + static_cast<int>(rng() % 2000);
    const double r = static_cast<double>(pw) / ph;
    Size expected{pw, ph};
    if (pw > w || ph > h) {
      if (pw > ph) {
        expected = {w, truncDivide(w, r)};
        if (expected.height > h) expected = {truncTimes(r, h), h};
      } else {
        expected = {truncTimes(r, h), h};
        if (expected.width > w) expected = {w, truncDivide(w, r)};
      }
    }
    ASSERT_EQ(FitSize(pw, ph, w, h), expected) << pw << "x" << ph << " in " << w << "x" << h;
  }
}

TEST(FitByGetType, EachModeFitsAsNamed) {
  EXPECT_EQ(FitByGetType(TGetType::igtPreview, 60, 40, 120, 90), (Size{60, 40}));
  EXPECT_EQ(FitByGetType(TGetType::igtPreview, 300, 100, 120, 90), (Size{120, 40}));
  EXPECT_EQ(FitByGetType(TGetType::igtNormal, 300, 100, 120, 90), (Size{300, 100}));
  EXPECT_EQ(FitByGetType(TGetType::igtFit, 60, 40, 120, 90), (Size{120, 90}));
  EXPECT_EQ(FitByGetType(TGetType::igtStretch, 60, 40, 120, 90), (Size{120, 80}));
  EXPECT_EQ(FitByGetType(TGetType::igtStretch, 60, 20, 120, 30), (Size{90, 30}));  // height-limited
  EXPECT_EQ(FitByGetType(TGetType::igtStretch, 30, 40, 120, 90), (Size{67, 90}));
  EXPECT_EQ(FitByGetType(TGetType::igtStretch, 300, 100, 120, 90), (Size{120, 40}));  // shrinks
  // A portrait picture in a box narrower than high stays inside the box.
  EXPECT_EQ(FitByGetType(TGetType::igtStretch, 40, 45, 50, 200), (Size{50, 56}));
}

TEST(ResampleTo, UniformPicturesStayExactlyUniform) {
  for (auto [w, h, tw, th] :
       {std::tuple{500, 375, 120, 90}, {60, 40, 120, 80}, {7, 3, 1, 1}, {1, 1, 9, 5}, {333, 7, 17, 29}}) {
    for (uint8_t v : {0, 1, 128, 254, 255}) {
      Bitmap bm = Uniform(w, h, v, static_cast<uint8_t>(255 - v), v);
      ResampleTo(bm, tw, th);
      ASSERT_EQ(bm, Uniform(tw, th, v, static_cast<uint8_t>(255 - v), v))
          << w << "x" << h << " value " << int(v);
    }
  }
}

TEST(ResampleTo, ShrinkingAveragesTheCoveredArea) {
  Bitmap two = Line({0, 100, 200, 50});
  ResampleTo(two, 2, 1);
  EXPECT_EQ(Blues(two), (std::vector<int>{50, 125}));
  // Three into two: the middle pixel is split half and half.
  Bitmap three = Line({0, 100, 200});
  ResampleTo(three, 2, 1);
  EXPECT_EQ(Blues(three), (std::vector<int>{33, 167}));
  // Vertically the same.
  Bitmap column(1, 4, PixelFormat::Bits24);
  for (int y = 0; y < 4; ++y) column.Row(y)[1] = static_cast<uint8_t>(y * 80);
  ResampleTo(column, 1, 2);
  EXPECT_EQ(column.Row(0)[1], 40);
  EXPECT_EQ(column.Row(1)[1], 200);
}

TEST(ResampleTo, EnlargingInterpolatesCubicallyThroughTheSamples) {
  // Samples are hit exactly; between them a ramp stays straight where all
  // four neighbours exist (90, 150: cubic Lagrange is exact on it, rounding
  // down the half) and bends next to the ends, whose missing neighbour
  // repeats the edge pixel.
  Bitmap ramp = Line({0, 60, 120, 180, 240});
  ResampleTo(ramp, 9, 1);
  EXPECT_EQ(Blues(ramp), (std::vector<int>{0, 26, 60, 90, 120, 150, 180, 214, 240}));
  // Overshoot past black or white is clamped, not wrapped.
  Bitmap step = Line({0, 0, 255, 255});
  ResampleTo(step, 13, 1);
  for (int v : Blues(step)) EXPECT_TRUE(v >= 0 && v <= 255);
  EXPECT_EQ(Blues(step).front(), 0);
  EXPECT_EQ(Blues(step).back(), 255);
}

TEST(ResampleTo, ConvertsTo24BitsAndHandlesDegenerateTargets) {
  Bitmap indexed(4, 4, PixelFormat::Bits8);
  indexed.Palette() = {{10, 20, 30, 0}};
  ResampleTo(indexed, 4, 4);
  EXPECT_EQ(indexed.Format(), PixelFormat::Bits24);
  EXPECT_TRUE(indexed.Palette().empty());
  EXPECT_EQ(PixelColor(indexed, 3, 3), MakeColor(30, 20, 10));
  ResampleTo(indexed, 0, 5);
  EXPECT_TRUE(indexed.Empty());
  EXPECT_THROW(ResampleTo(indexed, 5, 5), ImageError);
}

TEST(ChooseJpegScale, TakesTheLargestReductionThatStillCoversTheBox) {
  EXPECT_EQ(ChooseJpegScale(4000, 3000, 120, 90), 8);
  EXPECT_EQ(ChooseJpegScale(200, 150, 120, 90), 1);
  EXPECT_EQ(ChooseJpegScale(500, 375, 120, 90), 4);
  EXPECT_EQ(ChooseJpegScale(240, 180, 120, 90), 2);
  EXPECT_EQ(ChooseJpegScale(120, 90, 120, 90), 1);
  EXPECT_EQ(ChooseJpegScale(960, 90, 120, 90), 1);  // both sides must cover
}

TEST(ThumbnailDecode, JpegsAreDecodedAtTheChosenScaleThenFitted) {
  Bitmap direct = imaging_test::SmoothPicture(4000, 3000);
  const auto big = imaging_test::MakeJpeg(direct, imaging_test::JpegKind::Rgb, 75);
  // What the loader decodes: 1/8 of 4000 x 3000.
  JpegDecodeOptions options;
  options.mode = JpegMode::BestSpeed;
  options.chooseScale = [](int w, int h) { return ChooseJpegScale(w, h, 120, 90); };
  const Bitmap decoded = DecodeJpeg(big, options);
  EXPECT_EQ(decoded.Width(), 500);
  EXPECT_EQ(decoded.Height(), 375);
  const ThumbnailPicture t = DecodeThumbnailJpeg(big, 120, 90, TGetType::igtPreview);
  EXPECT_EQ(t.bitmap.Width(), 120);
  EXPECT_EQ(t.bitmap.Height(), 90);
  EXPECT_EQ(t.sourceWidth, 4000);
  EXPECT_EQ(t.sourceHeight, 3000);
  // Its colors are the picture's: compare with the full picture shrunk directly.
  ResampleTo(direct, 120, 90);
  EXPECT_LT(imaging_test::MeanAbsDiff(t.bitmap, direct), 3.0);

  const auto small =
      imaging_test::MakeJpeg(imaging_test::SmoothPicture(200, 150), imaging_test::JpegKind::Rgb);
  const ThumbnailPicture s = DecodeThumbnailJpeg(small, 120, 90, TGetType::igtPreview);
  EXPECT_EQ(s.bitmap.Width(), 120);
  EXPECT_EQ(s.bitmap.Height(), 90);
}

TEST(ThumbnailDecode, PreviewKeepsSmallPicturesAndNormalKeepsEverything) {
  const auto jpeg = imaging_test::MakeJpeg(imaging_test::SmoothPicture(60, 40), imaging_test::JpegKind::Rgb);
  const ThumbnailPicture t = DecodeThumbnailJpeg(jpeg, 120, 90, TGetType::igtPreview);
  EXPECT_EQ(t.bitmap.Width(), 60);
  EXPECT_EQ(t.bitmap.Height(), 40);
  const auto big = imaging_test::MakeJpeg(imaging_test::SmoothPicture(300, 200), imaging_test::JpegKind::Rgb);
  const ThumbnailPicture n = DecodeThumbnailJpeg(big, 120, 90, TGetType::igtNormal);
  EXPECT_EQ(n.bitmap.Width(), 300);
  const Bitmap indexed = imaging_test::RandomBitmap(30, 20, PixelFormat::Bits4, 3);
  const ThumbnailPicture b = DecodeThumbnailBmp(WriteBmp(indexed), 120, 90, TGetType::igtStretch);
  EXPECT_EQ(b.bitmap.Format(), PixelFormat::Bits24);
  EXPECT_EQ(b.bitmap.Width(), 120);
  EXPECT_EQ(b.bitmap.Height(), 80);
}
