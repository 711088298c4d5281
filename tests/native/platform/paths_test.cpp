#include <gtest/gtest.h>

#include "platform/paths.h"

namespace tapestrel::platform {
namespace {

TEST(Paths, DoubleByteCharactersAreNotTornApart) {
  // "表" is 0x95 0x5C in Shift-JIS: its second byte is a backslash.
  const std::string folder = "C:\\\x95\x5C";
  EXPECT_EQ(ExtractFileName(folder + "\\a.JPG"), "a.JPG");
  EXPECT_EQ(ExtractFileName(folder), "\x95\x5C");
  EXPECT_EQ(ExtractFilePath(folder + "\\a.JPG"), folder + "\\");
  EXPECT_EQ(IncludeTrailingBackslash(folder), folder + "\\");
  EXPECT_EQ(ExcludeTrailingBackslash(folder + "\\"), folder);
  EXPECT_EQ(ExtractFileExt("C:\\dir.x\\file"), "");
  EXPECT_EQ(ExtractFileExt("a.tar.GZ"), ".GZ");
}

TEST(Paths, ReplacementsAreBesideTheirTargetsAndNoLonger) {
  EXPECT_EQ(ReplacementPathFor("C:\\app\\Tapestrel.ini"), "C:\\app\\Tapestrel.in~");
  EXPECT_EQ(ReplacementPathFor("C:\\back~"), "C:\\back_");
  EXPECT_EQ(ReplacementPathFor("C:\\\x95\x5C"), "C:\\~");  // "表" is one character
}

}  // namespace
}  // namespace tapestrel::platform
