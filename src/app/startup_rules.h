// The decisions of program start-up that do not need Windows.
#pragma once

#include <string>
#include <vector>

#include "app/settings_record.h"
#include "platform/date_time.h"

namespace tapestrel::app {

struct CommandLineSwitches {
  bool autoRun = false;  // "/exeautorun": started from the Startup folder
  bool change = false;   // "/wallchange": change the wallpaper once
};

// Every argument, lower-cased, compared as a whole with the two switches.
CommandLineSwitches ParseSwitches(const std::vector<std::string>& args);

// What start-up says and asks when the wallpaper folder does not exist.
struct FolderPrompt {
  const char* message;  // UTF-8
  const char* caption;  // of the folder dialog, UTF-8
};
FolderPrompt FolderPromptFor(bool iniFileExists);

// The start-up change on a new day: not when "/wallchange" already changes,
// only with "WallDateChange" on and a last change on another date.
bool ShouldChangeOnNewDay(const SettingsRecord& settings, const CommandLineSwitches& switches,
                          platform::DateTime now);

// "/wallchange" without "/exeautorun": the program ends after the one change.
bool EndsAfterChange(const CommandLineSwitches& switches);

// After the switches: how the program goes on.
enum class StartAction {
  ExitAfterChange,  // "/wallchange" alone: nothing shown, nothing saved
  StartHidden,      // in the notification area only
  ShowWindow,
};
StartAction DecideStartAction(const CommandLineSwitches& switches, bool startInTray);

}  // namespace tapestrel::app
