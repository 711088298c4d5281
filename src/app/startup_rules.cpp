#include "app/startup_rules.h"

#include "platform/ansi_text.h"

namespace tapestrel::app {

CommandLineSwitches ParseSwitches(const std::vector<std::string>& args) {
  CommandLineSwitches s;
  for (const std::string& arg : args) {
    const std::string lower = platform::AnsiLowerAscii(arg);
    if (lower == "/exeautorun") s.autoRun = true;
    if (lower == "/wallchange") s.change = true;
  }
  return s;
}

FolderPrompt FolderPromptFor(bool iniFileExists) {
  if (iniFileExists) return {"壁紙フォルダパスが無効なため再設定します", "壁紙フォルダパス再設定"};
  return {"初期設定\r\n壁紙フォルダパスを設定します", "壁紙フォルダパス初期設定"};
}

bool ShouldChangeOnNewDay(const SettingsRecord& settings, const CommandLineSwitches& switches,
                          platform::DateTime now) {
  return !switches.change && settings.WallDateChange &&
         platform::DatePart(settings.LastChangeTime) != platform::DatePart(now);
}

bool EndsAfterChange(const CommandLineSwitches& switches) { return switches.change && !switches.autoRun; }

StartAction DecideStartAction(const CommandLineSwitches& switches, bool startInTray) {
  if (EndsAfterChange(switches)) return StartAction::ExitAfterChange;
  if (switches.autoRun && startInTray) return StartAction::StartHidden;
  return StartAction::ShowWindow;
}

}  // namespace tapestrel::app
