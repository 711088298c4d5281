#include "imaging/ratio_layout.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/allocation_meter.h"
#include "imaging/auto_color.h"
#include "imaging/jpeg_file.h"
#include "imaging/stretch_bilinear.h"
#include "test_images.h"

using namespace tapestrel::imaging;

TEST(RatioExpansionRect, WiderPicturesSpanTheWidthAndAnchorVertically) {
  EXPECT_EQ(RatioExpansionRect(2000, 1000, 1000, 1000, kAnchorTop), (RatioRect{0, 0, 1000, 500}));
  EXPECT_EQ(RatioExpansionRect(2000, 1000, 1000, 1000, kAnchorCentre), (RatioRect{0, 250, 1000, 500}));
  EXPECT_EQ(RatioExpansionRect(2000, 1000, 1000, 1000, kAnchorRight), (RatioRect{0, 250, 1000, 500}));
  EXPECT_EQ(RatioExpansionRect(2000, 1000, 1000, 1000, kAnchorBottomRight), (RatioRect{0, 500, 1000, 500}));
  EXPECT_EQ(RatioExpansionRect(2000, 1000, 1000, 1000, 42), (RatioRect{0, 250, 1000, 500}));
  EXPECT_EQ(RatioExpansionRect(2000, 999, 1000, 1000, kAnchorCentre), (RatioRect{0, 250, 1000, 499}));
}

TEST(RatioExpansionRect, TallerPicturesSpanTheHeightAndAnchorHorizontally) {
  EXPECT_EQ(RatioExpansionRect(500, 1000, 1000, 1000, kAnchorBottomRight), (RatioRect{500, 0, 500, 1000}));
  EXPECT_EQ(RatioExpansionRect(500, 1000, 1000, 1000, kAnchorCentre), (RatioRect{250, 0, 500, 1000}));
  EXPECT_EQ(RatioExpansionRect(500, 1000, 1000, 1000, kAnchorTop), (RatioRect{250, 0, 500, 1000}));
  EXPECT_EQ(RatioExpansionRect(500, 1000, 1000, 1000, kAnchorTopLeft), (RatioRect{0, 0, 500, 1000}));
}

TEST(RatioExpansionRect, EqualAspectLeavesTheFileAlone) {
  EXPECT_FALSE(RatioExpansionRect(1024, 768, 1024, 768, kAnchorCentre));
  EXPECT_FALSE(RatioExpansionRect(512, 384, 1024, 768, kAnchorTop));
  EXPECT_FALSE(RenderRatioExpansion(imaging_test::RandomBitmap(64, 48, PixelFormat::Bits8, 1), 1024, 768, 0,
                                    std::nullopt));
}

TEST(RenderRatioExpansion, FillsTheBarsAndDrawsThePictureInItsRectangle) {
  Bitmap picture(200, 100, PixelFormat::Bits24);
  for (int y = 0; y < 100; ++y) std::fill(picture.Row(y), picture.Row(y) + 600, 0xFF);  // white
  const auto canvas = RenderRatioExpansion(picture, 100, 100, kAnchorTop, MakeColor(1, 2, 3));
  ASSERT_TRUE(canvas);
  ASSERT_EQ(canvas->Width(), 100);
  ASSERT_EQ(canvas->Height(), 100);
  ASSERT_EQ(canvas->Dib().Format(), PixelFormat::Bits32);
  // Rows 0..49 the picture, rows 50..99 the blank color with fourth byte 0.
  EXPECT_EQ(PixelColor(canvas->Dib(), 50, 0), MakeColor(255, 255, 255));
  EXPECT_EQ(PixelColor(canvas->Dib(), 99, 49), MakeColor(255, 255, 255));
  EXPECT_EQ(PixelColor(canvas->Dib(), 0, 50), MakeColor(1, 2, 3));
  EXPECT_EQ(canvas->Row(99)[3], 0);
}

TEST(RenderRatioExpansion, WithoutAColorTheBarsTakeThePicturesOwn) {
  Bitmap picture(30, 10, PixelFormat::Bits8);
  picture.Palette() = {{0, 128, 0, 0}};  // all green
  const auto canvas = RenderRatioExpansion(picture, 40, 40, kAnchorBottom, std::nullopt);
  ASSERT_TRUE(canvas);
  EXPECT_EQ(PixelColor(canvas->Dib(), 0, 0), AutoBlankColor(picture));
  EXPECT_EQ(PixelColor(canvas->Dib(), 0, 0), MakeColor(0, 128, 0));
}

TEST(RenderRatioExpansion, ExtremeShapesAndBadSizesDoNotCrash) {
  // 1000 x 1 on a 100 x 100 screen: the picture is 0 rows high.
  const auto canvas =
      RenderRatioExpansion(Bitmap(1000, 1, PixelFormat::Bits24), 100, 100, 0, MakeColor(9, 9, 9));
  ASSERT_TRUE(canvas);
  EXPECT_EQ(PixelColor(canvas->Dib(), 50, 50), MakeColor(9, 9, 9));
  EXPECT_TRUE(RenderRatioExpansion(Bitmap(1, 1000, PixelFormat::Bits1), 100, 100, 7, std::nullopt));
  EXPECT_THROW(RenderRatioExpansion(Bitmap(), 100, 100, 0, std::nullopt), ImageError);
  EXPECT_THROW(RenderRatioExpansion(Bitmap(2, 2, PixelFormat::Bits24), 0, 100, 0, std::nullopt), ImageError);
}

TEST(RenderRatioExpansion, EqualsTheWholeCanvasFilledAndTheWidenedPictureDrawnOnIt) {
  // Wider and taller pictures (some 24-bit widths without row padding), a
  // picture too flat to cover a row, every anchor, several formats.
  const std::tuple<int, int, int, int> shapes[] = {{40, 10, 17, 9}, {8, 30, 16, 9},  {4, 9, 30, 20},
                                                   {33, 21, 9, 16}, {12, 5, 31, 29}, {300, 1, 20, 20}};
  uint32_t seed = 1;
  for (PixelFormat format : {PixelFormat::Bits24, PixelFormat::Bits8, PixelFormat::Bits32}) {
    for (auto [w, h, screenW, screenH] : shapes) {
      for (int anchor = 0; anchor <= 8; ++anchor) {
        const Bitmap picture = imaging_test::RandomBitmap(w, h, format, seed++);
        const ColorValue blank = MakeColor(7, 8, 9);
        const auto rect = RatioExpansionRect(w, h, screenW, screenH, anchor);
        ASSERT_TRUE(rect);
        TABitmap expected;
        expected.SetSize(screenW, screenH);
        for (int y = 0; y < screenH; ++y) {
          for (int x = 0; x < screenW; ++x) std::copy_n("\x09\x08\x07", 4, expected.Row(y) + 4 * x);
        }
        StretchBilinear(w, h, rect->width, 0, 0, rect->x, rect->y, rect->height, TABitmap(picture), expected);
        const auto canvas = RenderRatioExpansion(picture, screenW, screenH, anchor, blank);
        ASSERT_TRUE(canvas);
        ASSERT_EQ(canvas->Dib(), expected.Dib()) << w << "x" << h << " anchor " << anchor;
      }
    }
  }
}

TEST(RenderRatioExpansion, ReadsThePictureWithoutAWidenedCopy) {
  const Bitmap picture(1200, 900, PixelFormat::Bits24);  // 3.2 MB, 4.3 MB widened
  imaging_test::AllocationMeter meter;
  ASSERT_TRUE(RenderRatioExpansion(picture, 160, 100, kAnchorCentre, MakeColor(0, 0, 0)));
  EXPECT_LT(meter.PeakBytes(), size_t{1} << 20);
}

namespace {

// The canvas from a JPEG decoded whole, as the streamed drawing must give it.
std::variant<TABitmap, Bitmap> DrawnWhole(const std::vector<uint8_t>& jpeg, int screenW, int screenH,
                                          int anchor, std::optional<ColorValue> blank) {
  const Bitmap picture = DecodeJpeg(jpeg);
  auto canvas = RenderRatioExpansion(picture, screenW, screenH, anchor, blank);
  if (canvas) return std::move(*canvas);
  return picture;
}

bool Throws(const std::function<void()>& f) {
  try {
    f();
  } catch (const ImageError&) {
    return true;
  }
  return false;
}

}  // namespace

TEST(RenderRatioExpansionJpeg, DrawsWhatTheDecodedPictureGivesWithoutHoldingIt) {
  using imaging_test::JpegKind;
  const Bitmap flat(24, 16, PixelFormat::Bits24);  // black: every edge uniform
  const std::tuple<Bitmap, JpegKind, int, int> cases[] = {
      {imaging_test::SmoothPicture(67, 45), JpegKind::Rgb, 40, 40},    // wider, reduced
      {imaging_test::SmoothPicture(64, 45), JpegKind::Rgb, 300, 140},  // taller, enlarged, rows unpadded
      {imaging_test::SmoothPicture(33, 70), JpegKind::Progressive, 50, 50},
      {imaging_test::SmoothPicture(40, 30), JpegKind::AdobeCmyk, 16, 9},
      {imaging_test::SmoothPicture(9, 1), JpegKind::Grey, 20, 20},  // a single row
      {flat, JpegKind::Rgb, 30, 30},
      {imaging_test::SmoothPicture(64, 36), JpegKind::Rgb, 32, 18}};  // equal proportions: the picture
  for (const auto& [picture, kind, screenW, screenH] : cases) {
    const auto jpeg = imaging_test::MakeJpeg(picture, kind);
    for (int anchor : {kAnchorCentre, kAnchorTopLeft, kAnchorBottomRight}) {
      for (std::optional<ColorValue> blank :
           {std::optional<ColorValue>{}, std::optional(MakeColor(1, 2, 3))}) {
        const auto streamed = RenderRatioExpansionJpeg(jpeg, screenW, screenH, anchor, blank);
        const auto whole = DrawnWhole(jpeg, screenW, screenH, anchor, blank);
        ASSERT_EQ(streamed.index(), whole.index()) << picture.Width() << "x" << picture.Height();
        if (streamed.index() == 0) {
          EXPECT_EQ(std::get<0>(streamed).Dib(), std::get<0>(whole).Dib())
              << picture.Width() << " " << anchor;
        } else {
          EXPECT_EQ(std::get<1>(streamed), std::get<1>(whole));
        }
      }
    }
  }

  // A 1500 x 1000 photograph held whole would take 4.5 MB.
  const auto big = imaging_test::MakeJpeg(imaging_test::SmoothPicture(1500, 1000), JpegKind::Rgb, 80);
  imaging_test::AllocationMeter meter;
  RenderRatioExpansionJpeg(big, 160, 160, kAnchorCentre, std::nullopt);
  EXPECT_LT(meter.PeakBytes(), size_t{1} << 20);
}

TEST(RenderRatioExpansionJpeg, FailsWhereverTheWholeDecodeFails) {
  // Drawn 2 rows high, the picture is read down to its middle row only. Cut
  // inside the rows the drawing reads, past them, and just before the end
  // marker (which the whole decode does without).
  const auto jpeg =
      imaging_test::MakeJpeg(imaging_test::SmoothPicture(400, 200), imaging_test::JpegKind::Rgb);
  for (size_t size : {size_t{0}, size_t{300}, jpeg.size() / 4, jpeg.size() * 3 / 4, jpeg.size() - 2}) {
    const std::vector<uint8_t> cut(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_EQ(Throws([&] { RenderRatioExpansionJpeg(cut, 4, 100, kAnchorTop, MakeColor(0, 0, 0)); }),
              Throws([&] { DecodeJpeg(cut); }))
        << size;
  }
  EXPECT_THROW(RenderRatioExpansionJpeg(jpeg, 0, 10, 0, std::nullopt), ImageError);
  EXPECT_THROW(RenderRatioExpansionJpegFile(imaging_test::TempPath("missing.jpg"), 10, 10, 0, std::nullopt),
               ImageError);
}
