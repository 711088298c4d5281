#include "settings_ui/new_folder_name.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/ansi_text.h"

namespace tapestrel::settings_ui {
namespace {

constexpr char kBase[] = "NF";  // the caller passes the name in the ANSI code page

std::optional<std::string> NewIn(const std::string& parent, std::set<std::string> existing) {
  return NewFolderPath(parent, kBase, [&](const std::string& path) { return existing.count(path) > 0; });
}

TEST(NewFolderPath, FirstFreeOfTheNameThenNumbersFromTwo) {
  EXPECT_EQ(NewIn("C:\\pics", {}), "C:\\pics\\NF");
  EXPECT_EQ(NewIn("C:\\pics", {"C:\\pics\\NF"}), "C:\\pics\\NF(2)");
  EXPECT_EQ(NewIn("C:\\pics", {"C:\\pics\\NF", "C:\\pics\\NF(2)", "C:\\pics\\NF(3)"}), "C:\\pics\\NF(4)");
  // A gap is filled.
  EXPECT_EQ(NewIn("C:\\pics", {"C:\\pics\\NF", "C:\\pics\\NF(3)"}), "C:\\pics\\NF(2)");
}

TEST(NewFolderPath, SeparatorOnlyWhereMissing) {
  platform::SetAnsiCodePage(932);
  EXPECT_EQ(NewIn("C:\\", {}), "C:\\NF");
  EXPECT_EQ(NewIn("C:\\pics\\", {}), "C:\\pics\\NF");
  // "表" ends in the byte of "\" but is no separator.
  EXPECT_EQ(NewIn("C:\\\x95\x5C", {}), "C:\\\x95\x5C\\NF");
}

TEST(NewFolderPath, NothingWithoutAFolderOrAFreeName) {
  EXPECT_EQ(NewIn("", {}), std::nullopt);  // a virtual shell folder
  int asked = 0;
  const auto path = NewFolderPath("C:\\x", kBase, [&](const std::string&) {
    ++asked;
    return true;
  });
  EXPECT_EQ(path, std::nullopt);
  EXPECT_GT(asked, 1000);
}

}  // namespace
}  // namespace tapestrel::settings_ui
