#include "imaging/bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

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

TEST(Bitmap, ForOverwriteLeavesOnlyThePaddingZeroed) {
  // The sanitizers' allocator fills fresh memory with non-zero bytes, so
  // padding left unset shows here.
  for (auto [width, format] : {std::pair{5, PixelFormat::Bits24},
                               {3, PixelFormat::Bits8},
                               {33, PixelFormat::Bits1},
                               {3, PixelFormat::Bits15},
                               {2, PixelFormat::Bits32}}) {
    Bitmap fresh = Bitmap::ForOverwrite(width, 3, format), zeroed(width, 3, format);
    const size_t used =
        (static_cast<size_t>(width) * (format == PixelFormat::Bits15 ? 16 : BitsPerPixel(format)) + 7) / 8;
    for (int y = 0; y < 3; ++y) {
      std::fill_n(fresh.Row(y), used, 0xC3);
      std::fill_n(zeroed.Row(y), used, 0xC3);
    }
    EXPECT_EQ(fresh, zeroed) << width << " pixels of " << BitsPerPixel(format) << " bits";
    Bitmap copy = fresh;
    copy.Row(2)[0] = 0;
    EXPECT_NE(copy, fresh);
  }
  EXPECT_THROW(Bitmap::ForOverwrite(65536, 1, PixelFormat::Bits8), ImageError);
}
