#include "app/ini_values.h"

#include <gtest/gtest.h>

namespace tapestrel::app {
namespace {

TEST(ParseIniInteger, AcceptsDecimalAndTheThreeHexForms) {
  EXPECT_EQ(ParseIniInteger("42"), 42);
  EXPECT_EQ(ParseIniInteger("-7"), -7);
  EXPECT_EQ(ParseIniInteger(" 5 "), 5);
  EXPECT_EQ(ParseIniInteger("$1F"), 31);
  EXPECT_EQ(ParseIniInteger("0x10"), 16);
  EXPECT_EQ(ParseIniInteger("0X10"), 16);
  EXPECT_EQ(ParseIniInteger("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
}

TEST(ParseIniInteger, RejectsEverythingElse) {
  for (const char* text : {"", " ", "-", "$", "0x", "12a", "1.5", "2147483648", "$123456789", "--1", "abc"}) {
    EXPECT_FALSE(ParseIniInteger(text).has_value()) << text;
  }
}

TEST(Colors, NamesWinOverHex) {
  EXPECT_EQ(ColorToText(0), "clBlack");
  EXPECT_EQ(ColorToText(0xA4A0A0), "clMedGray");
  EXPECT_EQ(ColorToText(0x123456), "$00123456");
  EXPECT_EQ(ColorToText(0x80000001), "clBackground");
  EXPECT_EQ(ParseColor("clred"), 0x0000FFu);
  EXPECT_EQ(ParseColor("$000000"), 0u);
  EXPECT_EQ(ParseColor("255"), 255u);
  EXPECT_FALSE(ParseColor("red").has_value());
}

TEST(ApplicationList, DoubleByteCharactersAreNotSplit) {
  // "ポ" in Shift-JIS is 0x83 0x7C: its second byte is the separator.
  const std::string path = "C:\\\x83\x7C\\a.exe";
  EXPECT_EQ(DecodeApplicationList(EncodeApplicationList({path, "b.exe"})),
            (std::vector<std::string>{path, "b.exe"}));
  EXPECT_TRUE(DecodeApplicationList("").empty());
  EXPECT_EQ(DecodeApplicationList("a|b"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(DecodeApplicationList("a||"), (std::vector<std::string>{"a", ""}));
}

}  // namespace
}  // namespace tapestrel::app
