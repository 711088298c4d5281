// Installing plug-ins from the settings page "対応ピクチャファイル形式": the
// chosen ".spi" files are copied into "SPlugin\" beside the executable and
// take effect at the next start.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tapestrel::settings_ui {

extern const char kPluginInstallTitle[];  // "Susie Plug-in　インストール"
extern const char kPluginRestartMessage[];  // "プラグインを有効にするためにTapestrelの再起動が必要です。"

// Creates "SPlugin\" below `executableFolder` (with any missing parent),
// copies each file into it under its own name, overwriting, and then tells
// the user through `inform` (UTF-8 text) that a restart is needed. A copy
// that fails is skipped without a word. Returns the number of files copied.
int InstallPlugins(const std::vector<std::string>& files, const std::string& executableFolder,
                   const std::function<void(const std::string& message)>& inform);

// The file-open dialog for plug-ins (several may be chosen); empty when the
// user cancels. Paths in the ANSI code page.
std::vector<std::string> ChoosePluginFiles(HWND owner);

// The page's button: the dialog, then InstallPlugins beside the running
// executable with an information message box.
void SusiePluginInstallClick(HWND owner);

}  // namespace tapestrel::settings_ui
