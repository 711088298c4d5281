#include <gtest/gtest.h>

#include "platform/ansi_text.h"

namespace tapestrel::platform {
namespace {

TEST(AnsiText, ScansStepOverDoubleByteCharacters) {
  // "ア" is 0x83 0x41: lower-casing must leave its second byte alone.
  EXPECT_EQ(AnsiLowerAscii("\x83\x41.BMP"), "\x83\x41.bmp");
  EXPECT_TRUE(AnsiEqualsIgnoreAsciiCase("\x83\x41.BMP", "\x83\x41.bmp"));
  EXPECT_FALSE(AnsiEqualsIgnoreAsciiCase("\x83\x41", "\x83\x61"));
  // "表" (0x95 0x5C) ends in a backslash byte that is not a separator.
  EXPECT_EQ(AnsiFindLastOf("a\\\x95\x5C", "\\"), 1u);
  EXPECT_EQ(AnsiFindIgnoreCase("\x83\x41\x83\x41"
                               "A",
                               "a"),
            4u);
  EXPECT_EQ(AnsiFindIgnoreCase("abc", "D"), std::string_view::npos);
}

}  // namespace
}  // namespace tapestrel::platform
