#include "imaging/spi/spi_blocks.h"

#include <gtest/gtest.h>

#include <climits>

#include "fakes/fake_spi.h"
#include "imaging/bitmap_info_header.h"

using namespace tapestrel::imaging;
using tapestrel::testing::MakeInfoBlock;

namespace {

Bitmap Convert(const std::vector<uint8_t>& info, const std::vector<uint8_t>& pixels) {
  return SpiBlocksToBitmap(info, pixels);
}

// Rows of `stride` bytes, row r filled with the value r + 1.
std::vector<uint8_t> NumberedRows(size_t stride, int rows) {
  std::vector<uint8_t> p;
  for (int r = 0; r < rows; ++r) p.insert(p.end(), stride, static_cast<uint8_t>(r + 1));
  return p;
}

}  // namespace

TEST(SpiBlocks, RowOrderFollowsTheSignOfTheHeight) {
  // 2x3, 24 bits: rows of 8 bytes (6 + 2 padding).
  const Bitmap up = Convert(MakeInfoBlock(2, 3, 24), NumberedRows(8, 3));
  ASSERT_EQ(up.Format(), PixelFormat::Bits24);
  EXPECT_EQ(up.Width(), 2);
  EXPECT_EQ(up.Height(), 3);
  EXPECT_EQ(up.Row(0)[0], 3);  // the last row of a bottom-up block is the top
  EXPECT_EQ(up.Row(2)[0], 1);

  const Bitmap down = Convert(MakeInfoBlock(2, -3, 24), NumberedRows(8, 3));
  EXPECT_EQ(down.Height(), 3);
  EXPECT_EQ(down.Row(0)[0], 1);
  EXPECT_EQ(down.Row(2)[0], 3);
}

TEST(SpiBlocks, EveryDepthKeepsItsFormatAndBytes) {
  struct Case {
    int bits;
    PixelFormat format;
    size_t stride;  // for width 5
  };
  for (const Case c : {Case{1, PixelFormat::Bits1, 4}, Case{4, PixelFormat::Bits4, 4},
                       Case{8, PixelFormat::Bits8, 8}, Case{16, PixelFormat::Bits15, 12},
                       Case{24, PixelFormat::Bits24, 16}, Case{32, PixelFormat::Bits32, 20}}) {
    std::vector<uint8_t> pixels(c.stride * 2);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7 + 1);
    const std::vector<uint32_t> palette(c.bits <= 8 ? size_t{1} << c.bits : 0);
    const Bitmap b = Convert(MakeInfoBlock(5, -2, c.bits, palette), pixels);
    SCOPED_TRACE(c.bits);
    EXPECT_EQ(b.Format(), c.format);
    ASSERT_EQ(b.Stride(), c.stride);
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), b.Pixels()));  // the 4th byte of 32 bits included
  }
}

TEST(SpiBlocks, PaletteTakesTheAnnouncedEntriesWithoutTheirFourthByte) {
  // biClrUsed 0: the full table of the depth.
  std::vector<uint32_t> sixteen(16);
  for (uint32_t i = 0; i < 16; ++i) sixteen[i] = 0xFF000000u | i * 0x010203u;
  const Bitmap four = Convert(MakeInfoBlock(3, 1, 4, sixteen), std::vector<uint8_t>(4, 0x12));
  ASSERT_EQ(four.Palette().size(), 16u);
  EXPECT_EQ(four.Palette()[5], (PaletteEntry{15, 10, 5, 0}));

  // biClrUsed 3 on 8 bits: three entries, read from right after the header.
  const Bitmap eight = Convert(MakeInfoBlock(1, 1, 8, {0x00FF0000, 0x0000FF00, 0x000000FF}, 3), {2, 0, 0, 0});
  ASSERT_EQ(eight.Palette().size(), 3u);
  EXPECT_EQ(eight.Palette()[0], (PaletteEntry{0, 0, 255, 0}));
  EXPECT_EQ(eight.Palette()[2], (PaletteEntry{255, 0, 0, 0}));

  // More entries announced than the depth holds: the depth's share is used.
  const Bitmap one = Convert(MakeInfoBlock(1, 1, 1, {0, 0xFFFFFF, 0x123456}, 3), {0x80, 0, 0, 0});
  EXPECT_EQ(one.Palette().size(), 2u);

  // A color table beside a 24-bit picture is not needed, so not checked.
  EXPECT_NO_THROW(Convert(MakeInfoBlock(1, 1, 24, {}, 0xFFFFFFFFu), {1, 2, 3, 0}));
}

TEST(SpiBlocks, BlocksThatHoldLessThanTheirHeaderClaimAreRefused) {
  // Header block shorter than a BITMAPINFOHEADER.
  std::vector<uint8_t> shortInfo = MakeInfoBlock(1, 1, 24);
  shortInfo.resize(39);
  EXPECT_THROW(Convert(shortInfo, {0, 0, 0, 0}), ImageError);
  // 256 colors announced, 4 present.
  EXPECT_THROW(Convert(MakeInfoBlock(1, 1, 8, {1, 2, 3, 4}), {0, 0, 0, 0}), ImageError);
  EXPECT_THROW(Convert(MakeInfoBlock(1, 1, 8, {1, 2, 3, 4}, 0xFFFFFFFFu), {0, 0, 0, 0}), ImageError);
  // One pixel byte missing, whichever row order.
  EXPECT_THROW(Convert(MakeInfoBlock(2, 3, 24), std::vector<uint8_t>(23)), ImageError);
  EXPECT_THROW(Convert(MakeInfoBlock(2, -3, 24), std::vector<uint8_t>(23)), ImageError);
  EXPECT_NO_THROW(Convert(MakeInfoBlock(2, -3, 24), std::vector<uint8_t>(24)));
}

TEST(SpiBlocks, AbsurdSizesAndUnknownKindsAreRefusedBeforeAllocating) {
  const std::vector<uint8_t> pixels(64);
  for (auto [w, h] : {std::pair{0, 1},
                      {-4, 1},
                      {1, 0},
                      {INT_MIN, 1},
                      {1, INT_MIN},
                      {INT_MAX, 1},
                      {1, INT_MAX},
                      {65536, 1},
                      {1, -65536}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    EXPECT_THROW(Convert(MakeInfoBlock(w, h, 8), pixels), ImageError);
  }
  // Within the dimension limit but larger than any block could be.
  EXPECT_THROW(Convert(MakeInfoBlock(65535, 65535, 32), pixels), ImageError);
  EXPECT_THROW(Convert(MakeInfoBlock(1, 1, 7), pixels), ImageError);
  EXPECT_THROW(Convert(MakeInfoBlock(1, 1, 0), pixels), ImageError);
  EXPECT_THROW(Convert(MakeInfoBlock(1, 1, 8, {}, 0, 1 /* BI_RLE8 */), pixels), ImageError);
}

TEST(SpiBlocks, HeaderFieldsAndSizesHoldAnyValue) {
  const BitmapInfoHeader h = ReadBitmapInfoHeader(MakeInfoBlock(33, -2, 1));
  EXPECT_EQ(h.Colors(), 2u);
  EXPECT_TRUE(h.TopDown());
  EXPECT_EQ(h.ImageSize(), 16u);  // 33 bits padded to 8 bytes, two rows
  EXPECT_EQ(ReadBitmapInfoHeader(MakeInfoBlock(1, 1, 8, {}, 0xFFFFFFFFu)).Colors(), 0xFFFFFFFFu);
  EXPECT_EQ(ReadBitmapInfoHeader(MakeInfoBlock(-5, 3, 32)).ImageSize(), 0u);
  EXPECT_EQ(ReadBitmapInfoHeader(MakeInfoBlock(65535, INT_MIN, 32)).ImageSize(), 262140ull << 31);
  EXPECT_THROW(ReadBitmapInfoHeader(std::vector<uint8_t>(39)), ImageError);
}
