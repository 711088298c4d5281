// DROPFILES blocks as other programs send them, well and badly formed.
#include "browser/drop_files.h"

#include <gtest/gtest.h>

#include <random>

namespace tapestrel::browser {
namespace {

std::vector<uint8_t> Header(uint32_t offset, bool wide) {
  std::vector<uint8_t> b(20, 0);
  for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(offset >> (8 * i));
  b[16] = wide;
  return b;
}

std::vector<uint8_t> Wide(std::vector<uint8_t> b, std::u16string names) {
  for (char16_t c : names) b.push_back(static_cast<uint8_t>(c)), b.push_back(static_cast<uint8_t>(c >> 8));
  return b;
}

TEST(DropFiles, WideAndAnsiLists) {
  static const char16_t kNames[] = u"C:\\a.bmp\0C:\\\uD55C.jpg\0";  // the literal's zero ends the list
  const auto wide = ParseDropFiles(Wide(Header(20, true), std::u16string(kNames, std::size(kNames))));
  EXPECT_TRUE(wide.wide);
  EXPECT_EQ(wide.wideNames, (std::vector<std::u16string>{u"C:\\a.bmp", u"C:\\\uD55C.jpg"}));
  std::vector<uint8_t> ansi = Header(20, false);
  static const char kAnsi[] = "C:\\a.bmp\0D:\\\x93\xfa.png\0";
  for (char c : kAnsi) ansi.push_back(static_cast<uint8_t>(c));
  const auto narrow = ParseDropFiles(ansi);
  EXPECT_FALSE(narrow.wide);
  EXPECT_EQ(narrow.ansiNames, (std::vector<std::string>{"C:\\a.bmp", "D:\\\x93\xfa.png"}));
}

TEST(DropFiles, BrokenBlocksAreReadOnlyInsideThemselves) {
  EXPECT_TRUE(ParseDropFiles({}).wideNames.empty());
  EXPECT_TRUE(ParseDropFiles(std::vector<uint8_t>(19, 0)).ansiNames.empty());
  EXPECT_TRUE(ParseDropFiles(Wide(Header(0xFFFFFFF0u, true), u"C:\\x")).wideNames.empty());
  // Unterminated, and ending in half a character.
  EXPECT_EQ(ParseDropFiles(Wide(Header(20, true), u"C:\\x")).wideNames,
            std::vector<std::u16string>{u"C:\\x"});
  std::vector<uint8_t> odd = Wide(Header(20, true), u"ab");
  odd.push_back('c');
  EXPECT_EQ(ParseDropFiles(odd).wideNames, std::vector<std::u16string>{u"ab"});
  // Names that start inside the header.
  EXPECT_EQ(ParseDropFiles(Header(0, false)).ansiNames.size(), 0u);
}

TEST(DropFiles, RandomBlocksNeverReadOutside) {
  std::mt19937 random(11);
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> block(random() % 64);
    for (uint8_t& b : block) b = static_cast<uint8_t>(random() % 4 == 0 ? 0 : random());
    if (block.size() >= 20 && random() % 2)
      block[0] = static_cast<uint8_t>(random() % 24), block[1] = block[2] = block[3] = 0;
    const DropFileNames names = ParseDropFiles(block);  // under the address sanitizer
    size_t total = 0;
    for (const auto& n : names.wideNames) total += 2 * n.size();
    for (const auto& n : names.ansiNames) total += n.size();
    EXPECT_LE(total, block.size());
  }
}

}  // namespace
}  // namespace tapestrel::browser
