#include "imaging/auto_color.h"

#include <gtest/gtest.h>

#include <random>

using namespace tapestrel::imaging;

namespace {

constexpr ColorValue kRed = MakeColor(255, 0, 0);
constexpr ColorValue kGreen = MakeColor(0, 255, 0);
constexpr ColorValue kBlue = MakeColor(0, 0, 255);

void Set(Bitmap& b, int x, int y, ColorValue c) {
  uint8_t* p = b.Row(y) + 3 * x;
  p[0] = BlueOf(c), p[1] = GreenOf(c), p[2] = RedOf(c);
}

// Random pixels everywhere, so that no edge is uniform by accident.
Bitmap Noise(int w, int h, uint32_t seed) {
  std::mt19937 rng(seed);
  Bitmap b(w, h, PixelFormat::Bits24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) Set(b, x, y, rng() & 0xFFFFFF);
  return b;
}

void Frame(Bitmap& b, bool top, bool right, bool bottom, bool left, ColorValue c) {
  for (int x = 0; x < b.Width(); ++x) {
    if (top) Set(b, x, 0, c);
    if (bottom) Set(b, x, b.Height() - 1, c);
  }
  for (int y = 0; y < b.Height(); ++y) {
    if (left) Set(b, 0, y, c);
    if (right) Set(b, b.Width() - 1, y, c);
  }
}

ColorValue EdgeMean(const Bitmap& b) {
  uint64_t r = 0, g = 0, bl = 0, n = 0;
  auto add = [&](int x, int y) {
    const ColorValue c = PixelColor(b, x, y);
    r += RedOf(c), g += GreenOf(c), bl += BlueOf(c), ++n;
  };
  for (int x = 0; x < b.Width(); ++x) add(x, 0), add(x, b.Height() - 1);
  for (int y = 0; y < b.Height(); ++y) add(0, y), add(b.Width() - 1, y);
  return MakeColor(static_cast<uint8_t>(r / n), static_cast<uint8_t>(g / n), static_cast<uint8_t>(bl / n));
}

}  // namespace

TEST(AutoBlankColor, AUniformFrameGivesItsColor) {
  Bitmap b = Noise(20, 10, 1);
  Frame(b, true, true, true, true, kRed);
  EXPECT_EQ(AutoBlankColor(b), kRed);
}

TEST(AutoBlankColor, OneUniformEdgeIsEnough) {
  Bitmap b = Noise(20, 10, 2);
  Frame(b, true, false, false, false, kBlue);
  EXPECT_EQ(AutoBlankColor(b), kBlue);
}

TEST(AutoBlankColor, TheLeftEdgeIsJudgedAgainstTheBottomRightPixel) {
  Bitmap b = Noise(20, 10, 3);
  Frame(b, false, false, false, true, kGreen);
  // The bottom-right pixel is not green: no edge is uniform, so the mean.
  ASSERT_NE(PixelColor(b, 19, 9), kGreen);
  EXPECT_EQ(AutoBlankColor(b), EdgeMean(b));
  Set(b, 19, 9, kGreen);
  EXPECT_EQ(AutoBlankColor(b), kGreen);
}

TEST(AutoBlankColor, DisagreeingUniformEdgesGiveTheMeanWithCornersCountedTwice) {
  //   R R R     top uniform red, bottom uniform blue: they disagree.
  //   B . G     right (R G B) and left (R B B) are not uniform.
  //   B B B
  Bitmap b(3, 3, PixelFormat::Bits24);
  Frame(b, true, false, false, false, kRed);
  Frame(b, false, false, true, false, kBlue);
  Set(b, 0, 1, kBlue);
  Set(b, 2, 1, kGreen);
  // 12 samples: red 5, green 1, blue 6 (once per edge for the corners).
  EXPECT_EQ(AutoBlankColor(b), MakeColor(255 * 5 / 12, 255 / 12, 255 * 6 / 12));
}

TEST(AutoBlankColor, SmallAndPalettedPictures) {
  Bitmap one(1, 1, PixelFormat::Bits24);
  Set(one, 0, 0, kBlue);
  EXPECT_EQ(AutoBlankColor(one), kBlue);
  Bitmap indexed(3, 3, PixelFormat::Bits8);
  indexed.Palette() = {{0, 0, 200, 0}};  // index 0 is red 200
  EXPECT_EQ(AutoBlankColor(indexed), MakeColor(200, 0, 0));
  EXPECT_EQ(AutoBlankColor(Bitmap()), 0u);
}
