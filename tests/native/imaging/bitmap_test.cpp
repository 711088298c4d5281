#include "imaging/bitmap.h"

#include <gtest/gtest.h>

using namespace tapestrel::imaging;

TEST(Bitmap, RowsArePaddedToFourBytesAndBoundsChecked) {
  Bitmap b(3, 2, PixelFormat::Bits24);
  EXPECT_EQ(b.Stride(), 12u);
  EXPECT_EQ(b.PixelBytes(), 24u);
  EXPECT_EQ(b.Row(1) - b.Row(0), 12);
  EXPECT_THROW(b.Row(2), std::out_of_range);
  EXPECT_THROW(b.Row(-1), std::out_of_range);
  EXPECT_EQ(Bitmap::StrideFor(33, PixelFormat::Bits1), 8u);
  EXPECT_EQ(Bitmap::StrideFor(3, PixelFormat::Bits15), 8u);
}

TEST(Bitmap, RejectsSizesThatCannotBeHeld) {
  EXPECT_THROW(Bitmap(0, 1, PixelFormat::Bits8), ImageError);
  EXPECT_THROW(Bitmap(1, -1, PixelFormat::Bits8), ImageError);
  EXPECT_THROW(Bitmap(65536, 1, PixelFormat::Bits8), ImageError);
  EXPECT_THROW(Bitmap(65535, 65535, PixelFormat::Bits32), ImageError);
}
