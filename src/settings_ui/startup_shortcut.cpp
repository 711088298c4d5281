#include "settings_ui/startup_shortcut.h"

#include "platform/ansi_text.h"
#include "platform/paths.h"

namespace tapestrel::settings_ui {

const char kStartupShortcutName[] = "Tapestrel.lnk";

AutostartFlags ParseAutostartArguments(std::string_view arguments) {
  AutostartFlags flags;
  auto take = [&](std::string_view token) {
    const std::string lower = platform::AnsiLowerAscii(token);
    if (lower == "/exeautorun") flags.startWithWindows = true;
    if (lower == "/wallchange") flags.changeAtStartup = true;
  };
  size_t start = 0;
  for (size_t i = 0; i <= arguments.size(); ++i) {
    if (i == arguments.size() || arguments[i] == ' ') {
      take(arguments.substr(start, i - start));
      start = i + 1;
    }
  }
  return flags;
}

std::string BuildAutostartArguments(AutostartFlags flags) {
  std::string arguments;
  if (flags.startWithWindows) arguments = "/ExeAutorun";
  if (flags.changeAtStartup) arguments += arguments.empty() ? "/WallChange" : " /WallChange";
  return arguments;
}

AutostartFlags WithAutostartMode(AutostartFlags flags, AutostartMode mode) {
  switch (mode) {
    case AutostartMode::StartOn:
    case AutostartMode::StartOff:
      flags.startWithWindows = mode == AutostartMode::StartOn;
      break;
    case AutostartMode::ChangeOn:
    case AutostartMode::ChangeOff:
      flags.changeAtStartup = mode == AutostartMode::ChangeOn;
      break;
  }
  return flags;
}

std::string ShortcutWorkingFolder(std::string_view executablePath) {
  const std::string folder = platform::ExtractFilePath(executablePath);
  if (folder.size() == 3 && folder[1] == ':') return folder;
  return platform::ExcludeTrailingBackslash(folder);
}

std::optional<std::string> StartupShortcut::LinkPath() {
  const std::optional<std::string> folder = port_.StartupFolder();
  if (!folder) return std::nullopt;
  return *folder + "\\" + kStartupShortcutName;
}

AutostartFlags StartupShortcut::ReadFrom(const std::string& linkPath) {
  if (!port_.Exists(linkPath)) return {};
  return ParseAutostartArguments(port_.ReadArguments(linkPath));
}

AutostartFlags StartupShortcut::ReadAutostartFlags() {
  // No folder, no shortcut: the dialog still opens, with both boxes clear.
  const std::optional<std::string> linkPath = LinkPath();
  return linkPath ? ReadFrom(*linkPath) : AutostartFlags{};
}

void StartupShortcut::SetAutostartFlag(AutostartMode mode) {
  const std::optional<std::string> found = LinkPath();
  if (!found) throw ShortcutError("no Startup folder");
  const std::string& linkPath = *found;
  const std::string arguments = BuildAutostartArguments(WithAutostartMode(ReadFrom(linkPath), mode));
  if (arguments.empty()) {
    if (port_.Exists(linkPath)) port_.Delete(linkPath);
    return;
  }
  port_.Save(linkPath, executablePath_, ShortcutWorkingFolder(executablePath_), arguments);
}

}  // namespace tapestrel::settings_ui
