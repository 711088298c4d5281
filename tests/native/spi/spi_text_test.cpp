#include "imaging/spi/spi_text.h"

#include <gtest/gtest.h>

#include "fakes/fake_spi.h"

using namespace tapestrel::imaging;
using Strings = std::vector<std::string>;

TEST(SpiText, MaskRegistersItsExtensionsRightToLeft) {
  EXPECT_EQ(MaskExtensionsRightToLeft("*.a;*.b;*.c"), (Strings{"c", "b", "a"}));
  EXPECT_EQ(MaskExtensionsRightToLeft("*.pic"), (Strings{"pic"}));
  // The text after the first dot, wildcards and all.
  EXPECT_EQ(MaskExtensionsRightToLeft("*.tar.gz;*.*"), (Strings{"*", "tar.gz"}));
  // Elements without an extension register nothing.
  EXPECT_EQ(MaskExtensionsRightToLeft("readme;*.;;*.x;"), (Strings{"x"}));
  EXPECT_TRUE(MaskExtensionsRightToLeft("").empty());
}

TEST(SpiText, PromotionLooksAtTheMasksLastExtensionOnly) {
  EXPECT_EQ(MaskPromotionExtension("*.pic;*.pi2"), ".pi2");
  EXPECT_EQ(MaskPromotionExtension("*.PIC"), ".PIC");
  EXPECT_EQ(MaskPromotionExtension("*"), "");
}

TEST(SpiText, MaskTextPreFilter) {
  const std::string text = BuildMaskText({"*.PIC;*.Mag", ";;", "*.q0"});
  EXPECT_EQ(text, "*.pic\n*.mag\n*.q0\n");
  EXPECT_TRUE(MaskTextMayAccept(text, "C:\\x\\A.PIC"));
  EXPECT_TRUE(MaskTextMayAccept(text, "a.mag"));
  // The extension only has to occur somewhere in the text.
  EXPECT_TRUE(MaskTextMayAccept(text, "a.pi"));
  EXPECT_FALSE(MaskTextMayAccept(text, "a.png"));
  // No extension: never, even though "." occurs everywhere; a dot in a
  // folder name does not make one.
  EXPECT_FALSE(MaskTextMayAccept(text, "C:\\pic.mag\\picture"));
  EXPECT_FALSE(MaskTextMayAccept(text, "pic"));
}

TEST(SpiText, HeaderBufferIsZeroFilledAndHoldsAtMost2176Bytes) {
  tapestrel::testing::FakeSpiHost host;
  host.AddFile("small", "ABC");
  host.AddFile("large", std::string(5000, 'x'));
  const SpiHeaderBuffer small = ReadSpiHeaderBuffer(host, "small");
  EXPECT_EQ(small[2], 'C');
  EXPECT_EQ(small[3], 0);
  EXPECT_EQ(small[kSpiHeaderBufferSize - 1], 0);
  EXPECT_EQ(ReadSpiHeaderBuffer(host, "large")[kSpiHeaderBufferSize - 1], 'x');
  const SpiHeaderBuffer missing = ReadSpiHeaderBuffer(host, "missing");
  EXPECT_TRUE(std::all_of(missing.begin(), missing.end(), [](uint8_t b) { return b == 0; }));
}

TEST(SpiText, ProgressPercentRoundsLikeMulDiv) {
  EXPECT_EQ(SpiProgressPercent(0, 100), 2);
  EXPECT_EQ(SpiProgressPercent(100, 100), 99);
  EXPECT_EQ(SpiProgressPercent(1, 2), 51);  // 48.5 rounds away from zero
  EXPECT_EQ(MulDiv(-1, 97, 2), -49);
  EXPECT_EQ(MulDiv(5, 3, -2), -8);
  // A plug-in's nonsense stays a number.
  EXPECT_EQ(SpiProgressPercent(5, 0), 1);
  EXPECT_EQ(MulDiv(INT32_MAX, 97, 1), -1);
}
