// A Startup folder in memory for the shortcut and settings-dialog tests.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings_ui/startup_shortcut.h"

namespace tapestrel::testing {

class FakeShortcuts : public settings_ui::ShortcutPort {
 public:
  struct Link {
    std::string target, workingFolder, arguments;
  };
  std::string folder = "C:\\Users\\me\\Start Menu\\Programs\\Startup";
  std::map<std::string, Link> links;
  std::vector<std::string> log;  // "save <arguments>", "delete"
  bool unreadable = false, readOnly = false, noFolder = false;

  std::string LinkPath() const { return folder + "\\Tapestrel.lnk"; }
  std::optional<std::string> StartupFolder() override {
    if (noFolder) return std::nullopt;
    return folder;
  }
  bool Exists(const std::string& path) override { return links.count(path) != 0; }
  std::string ReadArguments(const std::string& path) override {
    if (unreadable) throw settings_ui::ShortcutError("unreadable");
    return links.at(path).arguments;
  }
  void Save(const std::string& path, const std::string& target, const std::string& workingFolder,
            const std::string& arguments) override {
    if (readOnly) throw settings_ui::ShortcutError("read-only");
    links[path] = {target, workingFolder, arguments};
    log.push_back("save " + arguments);
  }
  void Delete(const std::string& path) override {
    links.erase(path);
    log.push_back("delete");
  }
};

}  // namespace tapestrel::testing
