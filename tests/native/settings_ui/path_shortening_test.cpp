#include "settings_ui/path_shortening.h"

#include <gtest/gtest.h>

#include <vector>

namespace tapestrel::settings_ui {
namespace {

int Characters(std::wstring_view text) { return static_cast<int>(text.size()); }

// Every text shown while the field narrows one character at a time.
std::vector<std::wstring> Candidates(const std::wstring& path) {
  std::vector<std::wstring> seen;
  for (int width = static_cast<int>(path.size()); width >= 0; --width) {
    const std::wstring shown = ShortenPath(path, width, Characters);
    if (seen.empty() || seen.back() != shown) seen.push_back(shown);
  }
  return seen;
}

TEST(ShortenPath, FoldersGoFromTheLeftThenTheDriveThenTheEllipsis) {
  // Folder names longer than "..." so that every candidate is narrower.
  EXPECT_EQ(Candidates(LR"(C:\aaaa\bbbb\cccc\f)"),
            (std::vector<std::wstring>{LR"(C:\aaaa\bbbb\cccc\f)", LR"(C:\...\bbbb\cccc\f)",
                                       LR"(C:\...\cccc\f)", LR"(C:\...\f)", LR"(...\f)", L"f"}));
  EXPECT_EQ(Candidates(LR"(aaaa\bbbb\f)"),
            (std::vector<std::wstring>{LR"(aaaa\bbbb\f)", LR"(...\bbbb\f)", LR"(...\f)", L"f"}));
  EXPECT_EQ(Candidates(LR"(C:\f)"), (std::vector<std::wstring>{LR"(C:\f)", L"f"}));
  EXPECT_EQ(Candidates(L"f"), (std::vector<std::wstring>{L"f"}));
  EXPECT_EQ(Candidates(L""), (std::vector<std::wstring>{L""}));
  // A folder's path ends in its own name, shown last.
  EXPECT_EQ(Candidates(LR"(C:\Users\Pictures)").back(), L"Pictures");
}

TEST(ShortenPath, TheFileNameIsShownEvenWhenItDoesNotFit) {
  EXPECT_EQ(ShortenPath(LR"(C:\a\long-name.jpg)", 3, Characters), L"long-name.jpg");
  EXPECT_EQ(ShortenPath(LR"(C:\a\b.jpg)", 100, Characters), LR"(C:\a\b.jpg)");
}

}  // namespace
}  // namespace tapestrel::settings_ui
