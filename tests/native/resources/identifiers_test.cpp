// The resource scripts are written by several hands, each with a header of
// identifiers: a name defined in two of them would silently take the value
// of whichever the resource compiler reads last.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace {

TEST(ResourceIdentifiers, EveryNameIsDefinedOnce) {
  const std::filesystem::path resources = std::filesystem::path(TAPESTREL_SOURCE_DIR) / "resources";
  const std::regex define(R"(^\s*#define\s+(ID[A-Z]?_\w+)\s+\d+)");
  std::map<std::string, std::string> firstHeader;
  int names = 0;
  for (const auto& entry : std::filesystem::directory_iterator(resources)) {
    if (entry.path().extension() != ".h") continue;
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);) {
      std::smatch m;
      if (!std::regex_search(line, m, define)) continue;
      ++names;
      const auto [it, added] = firstHeader.emplace(m[1], entry.path().filename().string());
      EXPECT_TRUE(added) << m[1] << " in " << it->second << " and " << entry.path().filename();
    }
  }
  EXPECT_GT(names, 50);
}

}  // namespace
