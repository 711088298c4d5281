#include "settings_ui/win32/plugin_install.h"

#include "platform/win32/common_dialogs.h"

#include "imaging/spi/splugin.h"
#include "imaging/win32/spi_library.h"
#include "platform/paths.h"
#include "platform/win32/ansi_path.h"
#include "platform/win32/file_system.h"
#include "platform/win32/text.h"

namespace tapestrel::settings_ui {

const char kPluginInstallTitle[] = "Susie Plug-in　インストール";
const char kPluginRestartMessage[] = "プラグインを有効にするためにTapestrelの再起動が必要です。";

namespace {

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates the folder and every missing folder above it.
void ForceDirectories(const std::string& folder) {
  const std::string path = platform::ExcludeTrailingBackslash(folder);
  if (path.empty() || IsDirectory(path)) return;
  const std::string parent = platform::ExtractFilePath(path);
  // Stop at a drive ("C:\") or share root, whose parent is itself.
  if (!parent.empty() && platform::ExcludeTrailingBackslash(parent) != path) ForceDirectories(parent);
  CreateDirectoryA(path.c_str(), nullptr);
}

}  // namespace

int InstallPlugins(const std::vector<std::string>& files, const std::string& executableFolder,
                   const std::function<void(const std::string& message)>& inform) {
  const std::string pluginFolder = platform::IncludeTrailingBackslash(executableFolder) + imaging::kPluginFolderName;
  ForceDirectories(pluginFolder);
  int copied = 0;
  for (const std::string& file : files) {
    const std::string target = pluginFolder + platform::ExtractFileName(file);
    if (CopyFileA(file.c_str(), target.c_str(), FALSE)) ++copied;
  }
  if (inform) inform(kPluginRestartMessage);
  return copied;
}

std::vector<std::string> ChoosePluginFiles(HWND owner) {
  // "Susie Plug-in (*.spi)|*.spi", or the same for ".sph" in the 64-bit program.
  const std::string extension(imaging::kPluginExtension.substr(1));
  const std::string filter = "Susie Plug-in (*." + extension + ")|*." + extension;
  // A file whose name has no ANSI form is left out, as from every list.
  return platform::PathsToAnsi(
      platform::ChooseFilesToOpen(owner, {kPluginInstallTitle, filter, extension, true}));
}

void SusiePluginInstallClick(HWND owner) {
  const std::vector<std::string> files = ChoosePluginFiles(owner);
  if (files.empty()) return;
  InstallPlugins(files, platform::ExecutableFolder(), [owner](const std::string& message) {
    MessageBoxW(owner, platform::Utf8ToWide(message).c_str(), L"Tapestrel", MB_OK | MB_ICONINFORMATION);
  });
}

}  // namespace tapestrel::settings_ui
