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
  // Room for many names: the dialog returns the folder, then each name.
  std::wstring buffer(32768, L'\0');
  const std::wstring title = platform::Utf8ToWide(kPluginInstallTitle);
  // "Susie Plug-in (*.spi)|*.spi", or the same for ".sph" in the 64-bit program.
  const std::wstring extension(imaging::kPluginExtension.begin() + 1, imaging::kPluginExtension.end());
  const std::wstring filter = L"Susie Plug-in (*." + extension + L")" + L'\0' + L"*." + extension + L'\0';
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = extension.c_str();
  ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_FILEMUSTEXIST;
  if (!platform::ShowOpenFileDialog(ofn)) return {};

  // A file whose name has no ANSI form is left out, as from every list.
  return platform::PathsToAnsi(platform::ChosenFiles(ofn));
}

void SusiePluginInstallClick(HWND owner) {
  const std::vector<std::string> files = ChoosePluginFiles(owner);
  if (files.empty()) return;
  InstallPlugins(files, platform::ExecutableFolder(), [owner](const std::string& message) {
    MessageBoxW(owner, platform::Utf8ToWide(message).c_str(), L"Tapestrel", MB_OK | MB_ICONINFORMATION);
  });
}

}  // namespace tapestrel::settings_ui
