// The two start-up options that live in a shortcut in the user's Startup
// folder rather than in the INI file: start with Windows ("/ExeAutorun") and
// change the wallpaper at Windows start-up ("/WallChange"). The shortcut is
// the only storage of both; it is deleted when neither is left.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace tapestrel::settings_ui {

struct AutostartFlags {
  bool startWithWindows = false;  // "/ExeAutorun"
  bool changeAtStartup = false;   // "/WallChange"
  bool operator==(const AutostartFlags&) const = default;
};

// Tokens between blanks, ASCII letters compared without regard to case;
// other tokens and empty ones are ignored.
AutostartFlags ParseAutostartArguments(std::string_view arguments);
// "", "/ExeAutorun", "/WallChange" or "/ExeAutorun /WallChange".
std::string BuildAutostartArguments(AutostartFlags flags);

enum class AutostartMode { StartOn = 0, StartOff = 1, ChangeOn = 2, ChangeOff = 3 };
AutostartFlags WithAutostartMode(AutostartFlags flags, AutostartMode mode);

// The shortcut's file name in the Startup folder, whatever the executable is
// called: one name for reading, writing and deleting.
extern const char kStartupShortcutName[];  // "Tapestrel.lnk"

// The executable's folder as a shortcut's working folder: without its
// trailing backslash, except for a drive root ("C:\").
std::string ShortcutWorkingFolder(std::string_view executablePath);

// A failure of the Startup folder or of a shell link. It ends the settings
// command before the INI file is written.
class ShortcutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The Startup folder and the shell links in it. Paths in the ANSI code page.
class ShortcutPort {
 public:
  virtual ~ShortcutPort() = default;
  // Without a trailing backslash; empty when the shell cannot find one.
  virtual std::optional<std::string> StartupFolder() = 0;
  virtual bool Exists(const std::string& linkPath) = 0;
  // Throws ShortcutError when the link cannot be read.
  virtual std::string ReadArguments(const std::string& linkPath) = 0;
  // A new link to `target`; throws ShortcutError when it cannot be saved.
  virtual void Save(const std::string& linkPath, const std::string& target, const std::string& workingFolder,
                    const std::string& arguments) = 0;
  virtual void Delete(const std::string& linkPath) = 0;
};

class StartupShortcut {
 public:
  StartupShortcut(ShortcutPort& port, std::string executablePath)
      : port_(port), executablePath_(std::move(executablePath)) {}

  // Both false when there is no shortcut, or no Startup folder to hold one.
  AutostartFlags ReadAutostartFlags();
  // Reads the shortcut again, switches one flag and writes the shortcut (or
  // deletes it when no flag is left). The other flag keeps what was read.
  // Without a Startup folder it throws ShortcutError.
  void SetAutostartFlag(AutostartMode mode);

 private:
  std::optional<std::string> LinkPath();
  AutostartFlags ReadFrom(const std::string& linkPath);

  ShortcutPort& port_;
  std::string executablePath_;
};

}  // namespace tapestrel::settings_ui
