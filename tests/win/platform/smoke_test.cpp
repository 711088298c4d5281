#include <windows.h>

#include <gtest/gtest.h>

TEST(Wine, RunsWithTheJapaneseCodePage) { EXPECT_EQ(GetACP(), 932u); }

#include "platform/win32/text.h"

TEST(Text, JapaneseSurvivesTheAnsiCodePage) {
  using namespace tapestrel::platform;
  const std::string utf8 = "壁紙フォルダ";
  const std::string ansi = Utf8ToAnsi(utf8);
  EXPECT_EQ(ansi.size(), 12u);  // six double-byte characters in Shift-JIS
  EXPECT_EQ(AnsiToUtf8(ansi), utf8);
  EXPECT_EQ(Utf8ToWide(utf8), L"壁紙フォルダ");
}
