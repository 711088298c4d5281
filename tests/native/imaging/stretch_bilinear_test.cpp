#include "imaging/stretch_bilinear.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "test_images.h"

using namespace tapestrel::imaging;

namespace {

// Random bytes, or for odd seeds mostly the extremes 0 and 255, where a
// rounding slip would show as a wrapped value.
Bitmap RandomPicture(int w, int h, PixelFormat format, uint32_t seed) {
  Bitmap b = imaging_test::RandomBitmap(w, h, format, seed);
  if (seed & 1) {
    for (int y = 0; y < h; ++y) {
      for (int i = 0; i < w * b.BitsPerPixel() / 8; ++i) {
        uint8_t& v = b.Row(y)[i];
        v = v < 100 ? 0 : v < 200 ? 255 : v;
      }
    }
  }
  return b;
}

TABitmap RandomTA(int w, int h, uint32_t seed) {
  return TABitmap(RandomPicture(w, h, PixelFormat::Bits32, seed));
}

// The filter exactly as described, one pixel and one channel at a time, with
// neighbours past the source's edge repeating the edge pixel.
void ReferenceStretch(int srcW, int srcH, int dstW, double srcX, double srcY, double dstX, double dstY,
                      int dstH, const TABitmap& src, TABitmap& dst) {
  if (srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0) return;
  const uint32_t stepX = static_cast<uint32_t>(srcW * 255 / dstW);
  const uint32_t stepY = static_cast<uint32_t>(srcH * 255 / dstH);
  if (!ClipStretchRect(srcX, srcY, srcW, srcH, dstX, dstY, dstW, dstH, src.Width(), src.Height(), dst.Width(),
                       dst.Height())) {
    return;
  }
  const uint32_t x0 = static_cast<uint32_t>(srcX * 256);
  const int ys = static_cast<int>(srcY), c0 = static_cast<int>(dstX), r0 = static_cast<int>(dstY);
  auto at = [&](int col, int row, int ch) {
    return src.Row(std::min(row, src.Height() - 1))[4 * std::min(col, src.Width() - 1) + ch];
  };
  uint32_t y = 0;
  for (int r = r0; r < r0 + dstH; ++r, y += stepY) {
    const int s = static_cast<int>(y >> 8) + ys;
    const uint32_t fy = y - ((y >> 8) << 8);
    uint32_t x = x0;
    for (int c = c0; c < c0 + dstW; ++c, x += stepX) {
      const int k = static_cast<int>(x >> 8);
      const uint32_t fx = x - (static_cast<uint32_t>(k) << 8);
      for (int ch = 0; ch < 4; ++ch) {
        dst.Row(r)[4 * c + ch] = InterpolateChannel(at(k, s, ch), at(k + 1, s, ch), at(k, s + 1, ch),
                                                    at(k + 1, s + 1, ch), fx, fy);
      }
    }
  }
}

TABitmap Blank(int w, int h, uint8_t fill) {
  TABitmap b;
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y) std::fill(b.Row(y), b.Row(y) + 4 * w, fill);
  return b;
}

struct ScalarKernel {
  explicit ScalarKernel(bool on) { detail::ForceScalarStretchRows(on); }
  ~ScalarKernel() { detail::ForceScalarStretchRows(false); }
};

}  // namespace

TEST(InterpolateChannel, WorkedValues) {
  EXPECT_EQ(InterpolateChannel(0, 255, 0, 255, 128, 0), 127);
  EXPECT_EQ(InterpolateChannel(255, 0, 255, 0, 128, 0), 127);
  EXPECT_EQ(InterpolateChannel(0, 0, 0, 255, 255, 255), 253);
  EXPECT_EQ(InterpolateChannel(100, 200, 50, 250, 64, 192), 106);
}

TEST(StretchBilinear, MatchesThePixelByPixelDefinitionBitForBit) {
  std::mt19937 rng(7);
  for (bool scalar : {false, true}) {
    ScalarKernel kernel(scalar);
    for (int trial = 0; trial < 300; ++trial) {
      const int sw = 1 + static_cast<int>(rng() % 40), sh = 1 + static_cast<int>(rng() % 40);
      const int dw = 1 + static_cast<int>(rng() % 60), dh = 1 + static_cast<int>(rng() % 60);
      const TABitmap src = RandomTA(sw, sh, rng());
      const int rw = 1 + static_cast<int>(rng() % 80), rh = 1 + static_cast<int>(rng() % 80);
      const double dx = static_cast<int>(rng() % 50) - 15 + (rng() % 4) * 0.25;
      const double dy = static_cast<int>(rng() % 50) - 15 + (rng() % 4) * 0.25;
      const double sx = trial % 3 ? 0.0 : (rng() % 8) * 0.5, sy = trial % 3 ? 0.0 : (rng() % 8) * 0.5;
      const int srw = trial % 5 ? sw : sw + 3;  // a source rectangle overhanging the bitmap
      TABitmap expected = Blank(dw, dh, 0xA5), actual = Blank(dw, dh, 0xA5);
      ReferenceStretch(srw, sh, rw, sx, sy, dx, dy, rh, src, expected);
      StretchBilinear(srw, sh, rw, sx, sy, dx, dy, rh, src, actual);
      ASSERT_EQ(actual.Dib(), expected.Dib()) << "trial " << trial << " scalar " << scalar;
    }
  }
}

TEST(StretchBilinear, EqualSizesShrinkSlightlyInsteadOfCopying) {
  // One channel counts columns; column n samples n x 255 / 256.
  TABitmap src = Blank(200, 2, 0);
  for (int x = 0; x < 200; ++x) src.Row(0)[4 * x] = src.Row(1)[4 * x] = static_cast<uint8_t>(x);
  TABitmap dst = Blank(200, 2, 0);
  StretchBilinear(200, 2, 200, 0, 0, 0, 0, 2, src, dst);
  for (int n = 0; n < 200; ++n) {
    const int pos = n * 255;
    EXPECT_EQ(dst.Row(0)[4 * n],
              InterpolateChannel(pos >> 8, (pos >> 8) + 1, pos >> 8, (pos >> 8) + 1, pos & 255, 0));
  }
  EXPECT_EQ(dst.Row(0)[4 * 199], 198);  // 199 x 255 / 256 = 198.2
}

TEST(StretchBilinear, HundredToThousandEndsAtColumn97Fraction143) {
  // Only columns 97 and 98 are lit, differently: the last destination pixel
  // blends them with fraction 143 and column 99 never shows.
  TABitmap src = Blank(100, 1, 0);
  src.Row(0)[4 * 98] = 200;
  src.Row(0)[4 * 99] = 255;
  TABitmap dst = Blank(1000, 1, 0);
  StretchBilinear(100, 1, 1000, 0, 0, 0, 0, 1, src, dst);
  EXPECT_EQ(dst.Row(0)[4 * 999], 200 * 143 / 256);
}

TEST(StretchBilinear, ClipsAgainstTheLeftEdge) {
  double srcX = 0, srcY = 0, dstX = -10, dstY = 0;
  int srcW = 100, srcH = 100, dstW = 100, dstH = 100;
  ASSERT_TRUE(ClipStretchRect(srcX, srcY, srcW, srcH, dstX, dstY, dstW, dstH, 100, 100, 200, 200));
  EXPECT_EQ(dstW, 90);
  EXPECT_EQ(srcW, 89);
  EXPECT_DOUBLE_EQ(srcX, 10 * 65535 / 65536.0);
  EXPECT_EQ(dstX, 0);
  EXPECT_EQ(dstH, 100);

  const TABitmap src = RandomTA(100, 100, 3);
  TABitmap dst = Blank(200, 100, 0x11);
  StretchBilinear(100, 100, 100, 0, 0, -10, 0, 100, src, dst);
  EXPECT_NE(dst.Row(50)[4 * 89], 0x11);
  EXPECT_EQ(dst.Row(50)[4 * 90], 0x11);  // 90 columns drawn, the rest untouched
}

TEST(StretchBilinear, RectanglesOutsideTheDestinationDrawNothing) {
  const TABitmap src = RandomTA(10, 10, 4);
  const TABitmap before = Blank(50, 40, 0x33);
  for (auto [x, y, w, h] : {std::tuple{50.0, 0.0, 10, 10},
                            {0.0, 40.0, 10, 10},
                            {-10.0, 0.0, 10, 10},
                            {0.0, -10.0, 10, 10},
                            {0.0, 0.0, 0, 10},
                            {0.0, 0.0, 10, 0}}) {
    TABitmap dst = before;
    StretchBilinear(10, 10, w, 0, 0, x, y, h, src, dst);
    EXPECT_EQ(dst.Dib(), before.Dib()) << x << "," << y << " " << w << "x" << h;
  }
  // Nor do an empty source rectangle, a source start past the bitmap, or
  // positions that are not numbers.
  TABitmap dst = before;
  StretchBilinear(0, 10, 10, 0, 0, 0, 0, 10, src, dst);
  StretchBilinear(10, 10, 10, 10.5, 0, 0, 0, 10, src, dst);
  StretchBilinear(10, 10, 10, NAN, 0, 0, 0, 10, src, dst);
  EXPECT_EQ(dst.Dib(), before.Dib());
}

TEST(StretchBilinear, TheFourthByteIsInterpolatedToo) {
  TABitmap src = Blank(2, 1, 0);
  src.Row(0)[7] = 255;  // fourth byte of the second pixel
  TABitmap dst = Blank(4, 1, 0);
  StretchBilinear(2, 1, 4, 0, 0, 0, 0, 1, src, dst);  // step 127
  const uint8_t expected[4] = {0, 126, 253, 255};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(dst.Row(0)[4 * x + 3], expected[x]) << x;
    EXPECT_EQ(dst.Row(0)[4 * x], 0);
  }
}

TEST(StretchBilinear, SmallSourcesRepeatTheirEdgeAndNeverReadOutside) {
  TABitmap one = Blank(1, 1, 0);
  std::copy_n("\x10\x20\x30\x40", 4, one.Row(0));
  TABitmap dst = Blank(64, 48, 0);
  StretchBilinear(1, 1, 64, 0, 0, 0, 0, 48, one, dst);
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) ASSERT_EQ(std::memcmp(dst.Row(y) + 4 * x, one.Row(0), 4), 0);
  }
  // Source start at the very edge, and an oversized source rectangle.
  const TABitmap src = RandomTA(3, 3, 5);
  StretchBilinear(3, 3, 64, 3, 3, 0, 0, 48, src, dst);
  StretchBilinear(1000, 1000, 64, 0, 0, 0, 0, 48, src, dst);
}

TEST(StretchBilinear, PicturesAreReadInTheirOwnFormatAsIfWidenedFirst) {
  // Every width from 1 (one column, repeated) to 40, among them those whose
  // 24-bit rows have no padding, so that the last row's last pixel pair ends
  // exactly at the end of the pixels; enlarged (the right edge repeats) and
  // reduced, clipped on every side, from whole and fractional offsets.
  std::mt19937 rng(11);
  for (bool scalar : {false, true}) {
    ScalarKernel kernel(scalar);
    for (int sw = 1; sw <= 40; ++sw) {
      for (int sh : {1, 2, 5}) {
        const Bitmap picture = RandomPicture(sw, sh, PixelFormat::Bits24, rng());
        const TABitmap widened(picture);
        for (int enlarge : {0, 1}) {
          const int rw = enlarge ? sw * 3 + 7 : 1 + static_cast<int>(rng() % sw);
          const int rh = enlarge ? sh * 4 + 3 : 1 + static_cast<int>(rng() % sh);
          const double dx = static_cast<int>(rng() % 12) - 4, dy = static_cast<int>(rng() % 8) - 3;
          const double sx = rng() % 3 ? 0.0 : (rng() % 4) * 0.5, sy = rng() % 3 ? 0.0 : 0.5;
          TABitmap expected = Blank(rw + 2, rh + 1, 0xA5), actual = expected;
          StretchBilinear(sw, sh, rw, sx, sy, dx, dy, rh, widened, expected);
          StretchBilinear(sw, sh, rw, sx, sy, dx, dy, rh, picture, actual);
          ASSERT_EQ(actual.Dib(), expected.Dib())
              << sw << "x" << sh << " enlarge " << enlarge << " scalar " << scalar;
        }
      }
    }
    // Other formats alike; a 32-bit picture keeps its fourth byte.
    for (PixelFormat format : {PixelFormat::Bits8, PixelFormat::Bits16, PixelFormat::Bits32}) {
      const Bitmap picture = RandomPicture(13, 7, format, 3);
      TABitmap expected = Blank(50, 30, 0), actual = expected;
      StretchBilinear(13, 7, 50, 0.5, 0, -2, 1, 30, TABitmap(picture), expected);
      StretchBilinear(13, 7, 50, 0.5, 0, -2, 1, 30, picture, actual);
      ASSERT_EQ(actual.Dib(), expected.Dib()) << BitsPerPixel(format);
    }
  }
}

// A large picture is shared out among threads by destination rows; the
// pixels are those of one pass over the rows in order, as a decoder hands
// them over, clipped or not, from 24 or 32 bits.
TEST(StretchBilinear, LargePicturesDrawnInSharesEqualOnePassInOrder) {
  class InOrder : public StretchSourceRows {
   public:
    explicit InOrder(const Bitmap& b) : b_(b) {}
    int Width() const override { return b_.Width(); }
    int Height() const override { return b_.Height(); }
    int BytesPerPixel() const override { return b_.Format() == PixelFormat::Bits24 ? 3 : 4; }
    Pair Rows(int y, int next) override {
      const int below = std::min(y + 1, b_.Height() - 1);
      const size_t room = static_cast<size_t>(b_.Pixels() + b_.PixelBytes() - b_.Row(below));
      return {b_.Row(y), b_.Row(below), room, b_.Row(next), b_.Row(std::min(next + 1, b_.Height() - 1))};
    }

    const Bitmap& b_;
  };
  const struct {
    PixelFormat format;
    int sw, sh, dw, dh;
    double dx, dy;
  } cases[] = {
      {PixelFormat::Bits24, 1601, 1203, 1920, 1081, 0, 0},
      {PixelFormat::Bits32, 3000, 2000, 1500, 1401, 0, 0},
      {PixelFormat::Bits24, 2000, 1500, 2600, 1900, -301.5, -77.25},  // clipped on two sides
  };
  for (const auto& c : cases) {
    const Bitmap src = RandomPicture(c.sw, c.sh, c.format, 11);
    TABitmap shared = Blank(c.dw, c.dh, 0xA5), inOrder = Blank(c.dw, c.dh, 0xA5);
    StretchBilinear(c.sw, c.sh, c.dw, 0, 0, c.dx, c.dy, c.dh, src, shared);
    InOrder rows(src);
    StretchBilinear(c.sw, c.sh, c.dw, 0, 0, c.dx, c.dy, c.dh, rows, inOrder);
    ASSERT_EQ(shared.Dib(), inOrder.Dib()) << c.sw << "x" << c.sh << " to " << c.dw << "x" << c.dh;
  }
}
