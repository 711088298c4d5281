#include "platform/win32/file_system.h"

#include <windows.h>

#include "platform/paths.h"
#include "platform/win32/ansi_path.h"
#include "platform/win32/handles.h"
#include "platform/win32/whole_file.h"

namespace tapestrel::platform {

bool WindowsFileSystem::FileExists(const std::string& path) const {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WindowsFileSystem::DirectoryExists(const std::string& path) const {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<FolderEntry> FindFolderEntries(const std::string& pattern) {
  std::vector<FolderEntry> entries;
  FindEachAnsi(pattern, [&](const std::string& name, const WIN32_FIND_DATAW& data) {
    entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                       (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0,
                       (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
  });
  return entries;
}

std::vector<FolderEntry> WindowsFileSystem::ListFolder(const std::string& folder) const {
  return FindFolderEntries(IncludeTrailingBackslash(folder) + "*");
}

bool WindowsFileSystem::CreateFolder(const std::string& folder) const {
  const std::string path = ExcludeTrailingBackslash(folder);
  if (path.empty() || DirectoryExists(path)) return !path.empty();
  const std::string parent = ExcludeTrailingBackslash(ExtractFilePath(path));
  if (!parent.empty() && parent != path && parent.back() != ':') CreateFolder(parent);
  return CreateDirectoryA(path.c_str(), nullptr) || DirectoryExists(path);
}

bool WindowsFileSystem::MoveReplacementOver(const std::string& replacement, const std::string& target) const {
  return platform::MoveReplacementOver(replacement, target);
}

std::string ExecutableFolder() {
  // The program does not start from a folder without an ANSI name (main.cpp).
  return ExtractFilePath(ModulePathToAnsi(nullptr).value_or(""));
}

}  // namespace tapestrel::platform
