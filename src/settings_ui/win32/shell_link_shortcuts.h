// The Startup folder of the user and shell links (IShellLinkA through COM) in
// it: the Windows side of the start-with-Windows shortcut.
#pragma once

#include <windows.h>

#include <string>

#include "settings_ui/startup_shortcut.h"

namespace tapestrel::settings_ui {

class ShellLinkShortcuts : public ShortcutPort {
 public:
  // `owner` is handed to the shell when it looks up the Startup folder.
  explicit ShellLinkShortcuts(HWND owner = nullptr) : owner_(owner) {}

  std::optional<std::string> StartupFolder() override;
  bool Exists(const std::string& linkPath) override;
  std::string ReadArguments(const std::string& linkPath) override;
  void Save(const std::string& linkPath, const std::string& target, const std::string& workingFolder,
            const std::string& arguments) override;
  void Delete(const std::string& linkPath) override;

 private:
  HWND owner_;
};

}  // namespace tapestrel::settings_ui
