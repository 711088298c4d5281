// The clipboard's file-list block: the layout we write, byte for byte, and
// what we read from blocks others write, well-formed or not.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>

#include "platform/file_drop_list.h"

namespace tapestrel::platform {
namespace {

// Code page 932 through iconv, strict: what Windows' conversion does with
// WC_NO_BEST_FIT_CHARS and a default-character check.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  std::string out(in.size() * 4 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) return std::nullopt;
  out.resize(out.size() - dstLeft);
  return out;
}
std::optional<std::string> Utf16ToCp932(std::u16string_view s) {
  return Convert("CP932", "UTF-16LE", {reinterpret_cast<const char*>(s.data()), s.size() * 2});
}
std::string Sjis(const char* utf8) { return *Convert("CP932", "UTF-8", utf8); }

std::vector<uint8_t> Header(uint32_t offset, bool wide) {
  std::vector<uint8_t> b(20, 0);
  b[0] = static_cast<uint8_t>(offset);
  b[1] = static_cast<uint8_t>(offset >> 8);
  b[16] = wide ? 1 : 0;
  return b;
}
void AppendAnsi(std::vector<uint8_t>& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
void AppendWide(std::vector<uint8_t>& b, std::u16string_view s) {
  for (char16_t c : s) {
    b.push_back(static_cast<uint8_t>(c));
    b.push_back(static_cast<uint8_t>(c >> 8));
  }
}
std::vector<std::string> Parse(const std::vector<uint8_t>& b) {
  return ParseDropBlock(b.data(), b.size(), Utf16ToCp932);
}

TEST(DropBlockWriteTest, TwoPathsLayOutAsTheShellRecordWithBothEffects) {
  const DropBlock block = BuildDropBlock({"C:\\a.jpg", "D:\\b.png"});
  ASSERT_EQ(block.bytes.size(), 32768u);
  std::vector<uint8_t> expected(32768, 0);
  expected[0] = 20;  // offset of the names; point, non-client and wide flag 0
  const char names[] = "C:\\a.jpg\0D:\\b.png\0";
  std::memcpy(expected.data() + 20, names, sizeof names);  // and the zero fill ends the list
  EXPECT_EQ(block.bytes, expected);
  EXPECT_EQ(block.written, (std::vector<std::string>{"C:\\a.jpg", "D:\\b.png"}));

  EXPECT_EQ(BuildDropEffectBlock(DropEffect::Copy), (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(BuildDropEffectBlock(DropEffect::Move), (std::vector<uint8_t>{2, 0, 0, 0}));
}

TEST(DropBlockWriteTest, PathsThatAreNoRealPathsAreLeftOut) {
  const DropBlock block =
      BuildDropBlock({"", "C:\\?.jpg", "C:\\*.jpg", std::string("C:\\a\0b", 6), "C:\\ok.jpg"});
  EXPECT_EQ(block.written, std::vector<std::string>{"C:\\ok.jpg"});
  EXPECT_EQ(Parse(block.bytes), std::vector<std::string>{"C:\\ok.jpg"});
}

TEST(DropBlockWriteTest, AListTooLongForTheBlockKeepsTheWholePathsThatFit) {
  // The header, the path, its zero and the list's zero fill the block exactly.
  const std::string fits(32768 - 20 - 2, 'x');
  EXPECT_EQ(BuildDropBlock({fits}).written.size(), 1u);
  EXPECT_EQ(BuildDropBlock({fits + "x"}).written.size(), 0u);

  // A path that does not fit ends the list, even if a later one would fit:
  // the list stays a prefix of the selection.
  const std::string big(20000, 'y');
  const DropBlock block = BuildDropBlock({"C:\\1.jpg", big, "C:\\2.jpg", big, "C:\\3.jpg"});
  EXPECT_EQ(block.written, (std::vector<std::string>{"C:\\1.jpg", big, "C:\\2.jpg"}));
  EXPECT_EQ(block.bytes.size(), 32768u);
  EXPECT_EQ(Parse(block.bytes), block.written);
}

TEST(DropBlockReadTest, WellFormedBlocksInBothForms) {
  const std::string cat = Sjis("C:\\写真\\猫.jpg");
  const std::string soft = Sjis("C:\\ソフト\\表.png");  // trail bytes that look like "\" and "|"
  struct Case {
    const char* title;
    std::vector<uint8_t> block;
    std::vector<std::string> names;
  };
  std::vector<Case> cases;
  {
    auto b = Header(20, false);
    AppendAnsi(b, cat + '\0' + soft + '\0' + '\0');
    cases.push_back({"ansi with Japanese", b, {cat, soft}});
  }
  {
    auto b = Header(20, true);
    AppendWide(b, u"C:\\写真\\猫.jpg");
    AppendWide(b, std::u16string(1, u'\0'));
    AppendWide(b, u"C:\\ソフト\\表.png");
    AppendWide(b, std::u16string(2, u'\0'));
    cases.push_back({"wide with Japanese", b, {cat, soft}});
  }
  {
    auto b = Header(28, true);  // a longer header: the offset is honoured
    b.resize(28, 0xEE);
    AppendWide(b, u"C:\\a.jpg");
    AppendWide(b, std::u16string(2, u'\0'));
    cases.push_back({"offset beyond 20", b, {"C:\\a.jpg"}});
  }
  {
    auto b = Header(20, true);
    AppendWide(b, u"C:\\\U0001F600.jpg");  // no form in code page 932
    AppendWide(b, std::u16string(1, u'\0'));
    AppendWide(b, std::u16string(u"C:\\\xD800x.jpg"));  // a lone surrogate
    AppendWide(b, std::u16string(1, u'\0'));
    AppendWide(b, u"C:\\b.jpg");
    AppendWide(b, std::u16string(2, u'\0'));
    cases.push_back({"unconvertible wide names are dropped", b, {"C:\\b.jpg"}});
  }
  {
    auto b = Header(20, false);
    b.push_back(0);
    AppendAnsi(b, std::string("C:\\after.jpg") + '\0');
    cases.push_back({"an empty first name ends the list", b, {}});
  }
  for (const Case& c : cases) EXPECT_EQ(Parse(c.block), c.names) << c.title;
}

TEST(DropBlockReadTest, MalformedBlocksNeverReadPastTheirEnd) {
  struct Case {
    const char* title;
    std::vector<uint8_t> block;
    std::vector<std::string> names;
  };
  std::vector<Case> cases;
  {
    auto b = Header(20, false);
    AppendAnsi(b, std::string("C:\\a.jpg") + '\0' + "C:\\cut");
    cases.push_back({"ansi, last name without its zero", b, {"C:\\a.jpg"}});
  }
  {
    auto b = Header(20, true);
    AppendWide(b, u"C:\\a.jpg");
    AppendWide(b, std::u16string(1, u'\0'));
    AppendWide(b, u"C:\\cut");
    b.push_back(0);  // half a character: an odd size
    cases.push_back({"wide, no terminator and an odd size", b, {"C:\\a.jpg"}});
  }
  cases.push_back({"smaller than its header", std::vector<uint8_t>(19, 0), {}});
  cases.push_back({"only the header", Header(20, false), {}});
  {
    auto b = Header(200, false);
    AppendAnsi(b, std::string("C:\\a.jpg") + '\0' + '\0');
    cases.push_back({"offset past the end", b, {}});
  }
  {
    auto b = Header(4, false);
    AppendAnsi(b, std::string("C:\\a.jpg") + '\0' + '\0');
    cases.push_back({"offset inside the header", b, {}});
  }
  for (const Case& c : cases) {
    // An exact-size heap copy, so that the sanitizer sees any read past it.
    const std::vector<uint8_t> exact(c.block);
    EXPECT_EQ(ParseDropBlock(exact.data(), exact.size(), Utf16ToCp932), c.names) << c.title;
  }
  EXPECT_TRUE(ParseDropBlock(nullptr, 0, Utf16ToCp932).empty());
}

}  // namespace
}  // namespace tapestrel::platform
