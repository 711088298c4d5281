// The clipboard's file-list block: the layout we write, byte for byte, and
// what we read from blocks others write, well-formed or not.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "platform/file_drop_list.h"

namespace tapestrel::platform {
namespace {

// Code page 932 through iconv, strict as Windows' conversion with a
// default-character check.
std::optional<std::string> Convert(const char* to, const char* from, const char* in, size_t size) {
  iconv_t cd = iconv_open(to, from);
  std::string out(size * 4 + 4, '\0');
  char *src = const_cast<char*>(in), *dst = out.data();
  size_t srcLeft = size, dstLeft = out.size();
  const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (!ok) return std::nullopt;
  return out.substr(0, out.size() - dstLeft);
}
std::optional<std::string> Cp932(std::u16string_view s) {
  return Convert("CP932", "UTF-16LE", reinterpret_cast<const char*>(s.data()), s.size() * 2);
}
std::string Sjis(const std::string& utf8) { return *Convert("CP932", "UTF-8", utf8.data(), utf8.size()); }

// A header naming `offset` and the form, then the bytes of the list.
std::vector<uint8_t> Block(uint32_t offset, bool wide, const std::string& ansi,
                           std::u16string_view utf16 = u"") {
  std::vector<uint8_t> b(20, 0);
  std::memcpy(b.data(), &offset, 4);
  b[16] = wide;
  b.insert(b.end(), ansi.begin(), ansi.end());
  const auto* p = reinterpret_cast<const uint8_t*>(utf16.data());
  b.insert(b.end(), p, p + utf16.size() * 2);
  return b;
}
std::vector<std::string> Parse(const std::vector<uint8_t>& b) {
  const std::vector<uint8_t> exact(b);  // exact size: the sanitizer sees any read past it
  return ParseDropBlock(exact.data(), exact.size(), Cp932);
}
using Names = std::vector<std::string>;
using namespace std::string_literals;

TEST(DropBlockTest, TwoPathsLayOutAsTheShellsRecordWithEitherEffect) {
  const DropBlock block = BuildDropBlock({"C:\\a.jpg", "D:\\b.png"});
  std::vector<uint8_t> expected(32768, 0);
  expected[0] = 20;  // offset of the names; point, non-client and wide flag 0
  const char names[] = "C:\\a.jpg\0D:\\b.png\0";
  std::memcpy(expected.data() + 20, names, sizeof names);  // the zero fill ends the list
  EXPECT_EQ(block.bytes, expected);
  EXPECT_EQ(BuildDropEffectBlock(DropEffect::Copy), (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(BuildDropEffectBlock(DropEffect::Move), (std::vector<uint8_t>{2, 0, 0, 0}));
}

TEST(DropBlockTest, OnlyWholeRealPathsAreWrittenAndTheBlockNeverGrows) {
  // Stand-in characters of a failed conversion, a zero, nothing: no paths.
  EXPECT_EQ(BuildDropBlock({"", "C:\\?.jpg", "C:\\*.jpg", "C:\\a\0b"s, "C:\\ok.jpg"}).written,
            Names{"C:\\ok.jpg"});
  // The header, the path, its zero and the list's zero fill the block exactly.
  EXPECT_EQ(BuildDropBlock({std::string(32746, 'x')}).written.size(), 1u);
  EXPECT_EQ(BuildDropBlock({std::string(32747, 'x')}).written.size(), 0u);
  // A path that does not fit ends the list, though a later one would fit:
  // what is placed stays the first part of the selection, in order.
  const std::string big(20000, 'y');
  const DropBlock block = BuildDropBlock({"C:\\1.jpg", big, "C:\\2.jpg", big, "C:\\3.jpg"});
  EXPECT_EQ(block.written, (Names{"C:\\1.jpg", big, "C:\\2.jpg"}));
  EXPECT_EQ(block.bytes.size(), 32768u);
  EXPECT_EQ(Parse(block.bytes), block.written);
}

TEST(DropBlockTest, ReadsBothFormsAndNeverPastTheBlock) {
  const std::string cat = Sjis("C:\\写真\\猫.jpg"),
                    table = Sjis("C:\\ソフト\\表.png");  // trail bytes "\\" and "|"
  struct Case {
    const char* title;
    std::vector<uint8_t> block;
    Names names;
  };
  const Case cases[] = {
      {"ansi, Japanese", Block(20, false, cat + '\0' + table + '\0' + '\0'), {cat, table}},
      {"wide, Japanese", Block(20, true, "", u"C:\\写真\\猫.jpg\0C:\\ソフト\\表.png\0\0"s), {cat, table}},
      {"a longer header",
       Block(28, true, "\xEE\xEE\xEE\xEE\xEE\xEE\xEE\xEE", u"C:\\a.jpg\0\0"s),
       {"C:\\a.jpg"}},
      {"wide names with no form in 932 are left out",
       Block(20, true, "", u"C:\\\U0001F600.jpg\0C:\\\xD800x.jpg\0C:\\b.jpg\0\0"s),
       {"C:\\b.jpg"}},
      {"an empty first name ends the list", Block(20, false, "\0C:\\after.jpg\0"s), {}},
      {"ansi, last name without its zero", Block(20, false, "C:\\a.jpg\0C:\\cut"s), {"C:\\a.jpg"}},
      {"wide, last name without its zero", Block(20, true, "", u"C:\\a.jpg\0C:\\cut"s), {"C:\\a.jpg"}},
      {"only the header", Block(20, false, ""), {}},
      {"offset past the end", Block(200, false, "C:\\a.jpg\0\0"s), {}},
      {"offset inside the header", Block(4, false, "C:\\a.jpg\0\0"s), {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.block), c.names) << c.title;
  auto odd = Block(20, true, "", u"C:\\a.jpg\0C:\\cut"s);
  odd.push_back(0x41);  // and half a character more
  EXPECT_EQ(Parse(odd), Names{"C:\\a.jpg"});
  EXPECT_EQ(Parse(std::vector<uint8_t>(19, 0)), Names{});  // smaller than its header
  EXPECT_TRUE(ParseDropBlock(nullptr, 0, Cp932).empty());
}

// What drag and drop reads: the names as the sender wrote them, unconverted,
// so that the view can show a name no code page holds.
TEST(DropBlockTest, DroppedNamesKeepTheSendersForm) {
  const auto wide = ReadDropFileNames(Block(20, true, "", u"C:\\a.bmp\0C:\\\uD55C.jpg\0\0"s));
  EXPECT_TRUE(wide.wide);
  EXPECT_EQ(wide.wideNames, (std::vector<std::u16string>{u"C:\\a.bmp", u"C:\\\uD55C.jpg"}));
  EXPECT_TRUE(wide.ansiNames.empty());
  const auto ansi = ReadDropFileNames(Block(20, false, "C:\\a.bmp\0D:\\\x93\xfa.png\0\0"s));
  EXPECT_FALSE(ansi.wide);
  EXPECT_EQ(ansi.ansiNames, (Names{"C:\\a.bmp", "D:\\\x93\xfa.png"}));
  EXPECT_TRUE(ReadDropFileNames(Block(20, true, "", u"C:\\cut"s)).wideNames.empty());
}

TEST(DropBlockTest, RandomBlocksAreReadOnlyInsideThemselves) {
  std::mt19937 random(11);
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> block(random() % 64);
    for (uint8_t& b : block) b = static_cast<uint8_t>(random() % 4 == 0 ? 0 : random());
    if (block.size() >= 20 && random() % 2) {
      block[0] = static_cast<uint8_t>(random() % 24);
      block[1] = block[2] = block[3] = 0;
    }
    const DropFileNames names = ReadDropFileNames(block);  // under the address sanitizer
    size_t total = 0;                                      // each name with its zero, after the header
    for (const auto& n : names.wideNames) total += 2 * n.size() + 2;
    for (const auto& n : names.ansiNames) total += n.size() + 1;
    EXPECT_LE(total, block.size() < 20 ? 0 : block.size() - 20);
  }
}

}  // namespace
}  // namespace tapestrel::platform
