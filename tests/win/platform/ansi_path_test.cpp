// Paths into the ANSI code page: exact when they can be, else by the short
// path, else not at all; never a look-alike or "?" that names another file.
#include <gtest/gtest.h>
#include <windows.h>

#include "win_support/names_outside_code_page.h"

namespace tapestrel::testing {
namespace {

TEST(PathToAnsi, ExactElseTheShortPathElseNothing) {
  TempFolder folder;
  const std::wstring base = platform::AnsiToWide(folder.Path()) + L"\\";
  std::vector<std::wstring> outside;
  for (const std::wstring& name : NamesOutsideTheCodePage()) outside.push_back(name + L".bmp");
  outside.push_back(L"\u00A5.bmp");  // the yen sign, whose best fit is the path separator
  WriteFile(folder / "Cafe.bmp", "look-alike");
  for (const std::wstring& name : outside) {
    WriteFile(folder / "x", platform::WideToUtf8(name));
    RenameWide(folder / "x", name);
  }
  for (bool shortNames : {true, false}) {
    SCOPED_TRACE(shortNames ? "short names" : "no short names");
    std::optional<NoShortNames> none;
    if (!shortNames) none.emplace();
    EXPECT_EQ(platform::PathToAnsi(L"C:\\\x65E5\x672C.bmp"), "C:\\\x93\xfa\x96\x7b.bmp");  // Shift-JIS as it is
    EXPECT_EQ(platform::PathToAnsi(L""), "");
    EXPECT_EQ(platform::PathToAnsi(base + L"missing\xD55C.bmp"), std::nullopt);  // nothing to shorten
    for (const std::wstring& name : outside) {
      const std::optional<std::string> ansi = platform::PathToAnsi(base + name);
      if (!shortNames) {
        EXPECT_EQ(ansi, std::nullopt) << platform::WideToUtf8(name);
        continue;
      }
      ASSERT_TRUE(ansi) << platform::WideToUtf8(name);
      EXPECT_EQ(ReadFile(*ansi), platform::WideToUtf8(name));  // the very file
    }
    EXPECT_EQ(platform::PathsToAnsi({base + outside[0], base + L"Cafe.bmp"}).size(), shortNames ? 2u : 1u);
  }
}

}  // namespace
}  // namespace tapestrel::testing
