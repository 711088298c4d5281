#include "platform/win32/file_system.h"

#include <windows.h>

#include "platform/paths.h"
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

std::vector<FolderEntry> WindowsFileSystem::ListFolder(const std::string& folder) const {
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAA data;
  UniqueFindHandle find(FindFirstFileA((IncludeTrailingBackslash(folder) + "*").c_str(), &data));
  if (!find) return entries;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    FolderEntry e;
    e.name = name;
    e.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.isHidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    e.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries.push_back(std::move(e));
  } while (FindNextFileA(find.Get(), &data));
  return entries;
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
  char path[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  return ExtractFilePath(std::string(path, n));
}

}  // namespace tapestrel::platform
