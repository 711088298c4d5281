// The help page as shipped: one self-contained UTF-8 file whose links all
// land, whose tags nest, and that names every key of "Tapestrel.ini".
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/ini_file.h"
#include "app/settings_store.h"
#include "fakes/fake_ports.h"

namespace tapestrel::app {
namespace {

std::string HelpPage() {
  std::ifstream in(TAPESTREL_SOURCE_DIR "/resources/help.htm", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The values of every attribute `name`="...".
std::vector<std::string> AttributeValues(const std::string& page, const std::string& name) {
  std::vector<std::string> values;
  const std::string start = " " + name + "=\"";
  for (size_t at = page.find(start); at != std::string::npos; at = page.find(start, at + 1)) {
    const size_t begin = at + start.size();
    const size_t end = page.find('"', begin);
    if (end == std::string::npos) break;
    values.push_back(page.substr(begin, end - begin));
  }
  return values;
}

struct Tag {
  bool closing;
  std::string name;
  size_t offset;
};

std::vector<Tag> Tags(const std::string& page) {
  std::vector<Tag> tags;
  for (size_t at = page.find('<'); at != std::string::npos; at = page.find('<', at + 1)) {
    size_t i = at + 1;
    const bool closing = i < page.size() && page[i] == '/';
    if (closing) ++i;
    size_t end = i;
    while (end < page.size() && std::isalnum(static_cast<unsigned char>(page[end]))) ++end;
    if (end > i && std::isalpha(static_cast<unsigned char>(page[i])))
      tags.push_back({closing, page.substr(i, end - i), at});
  }
  return tags;
}

TEST(HelpPage, OneSelfContainedUtf8File) {
  const std::string page = HelpPage();
  ASSERT_GT(page.size(), 20000u);
  // Read as UTF-8, as it declares.
  EXPECT_NE(page.find("<title>Tapestrel ヘルプ</title>"), std::string::npos);
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
  // Nothing from outside the file: no pictures, style sheets, scripts or web links.
  for (const char* outside : {"src=", "<link", "@import", "url(", "http:", "https:", "<script"})
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
}

TEST(HelpPage, EveryLinkLandsOnOneAnchor) {
  const std::string page = HelpPage();
  const std::vector<std::string> ids = AttributeValues(page, "id");
  const std::set<std::string> unique(ids.begin(), ids.end());
  EXPECT_EQ(unique.size(), ids.size()) << "an id is used twice";
  const std::vector<std::string> links = AttributeValues(page, "href");
  EXPECT_GT(links.size(), 10u);
  for (const std::string& link : links) {
    ASSERT_FALSE(link.empty());
    ASSERT_EQ(link[0], '#') << link;
    EXPECT_TRUE(unique.count(link.substr(1))) << link;
  }
}

TEST(HelpPage, TagsNest) {
  const std::string page = HelpPage();
  const std::set<std::string> empty = {"meta", "br", "hr", "img", "input", "col", "wbr"};
  std::vector<std::string> open;
  for (const Tag& tag : Tags(page)) {
    if (empty.count(tag.name)) continue;
    if (!tag.closing) {
      open.push_back(tag.name);
    } else {
      ASSERT_FALSE(open.empty()) << "</" << tag.name << "> closes nothing";
      ASSERT_EQ(open.back(), tag.name) << "</" << tag.name << "> at offset " << tag.offset;
      open.pop_back();
    }
  }
  EXPECT_TRUE(open.empty());
}

TEST(HelpPage, NamesEveryKeyTheProgramWrites) {
  // The keys as the program's writers put them into the file.
  testing::FakeProfile profile;
  testing::FakeLocale locale;
  IniFile ini(profile, locale);
  SettingsRecord record;
  SaveSettings(record, ini, true);
  WriteChangeState(ini, 0, "", {});
  WriteUrgentEvasionMode(ini, false);
  WriteCustomColors(ini, {});
  ASSERT_GT(profile.writeLog.size(), 60u);

  const std::string page = HelpPage();
  std::set<std::string> sections;
  for (const auto& [key, value] : profile.values) {
    sections.insert(key.first);
    // The sixteen custom colors are named together, "ColorA" to "ColorP".
    if (key.second.size() == 6 && key.second.rfind("Color", 0) == 0) continue;
    EXPECT_NE(page.find(key.second), std::string::npos) << key.first << "/" << key.second;
  }
  EXPECT_NE(page.find("ColorA"), std::string::npos);
  EXPECT_NE(page.find("ColorP"), std::string::npos);
  for (const std::string& section : sections)
    EXPECT_NE(page.find("[" + section + "]"), std::string::npos) << section;
}

}  // namespace
}  // namespace tapestrel::app
