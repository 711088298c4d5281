#include "app/win32/registration_files.h"

#include <windows.h>

#include "platform/paths.h"
#include "platform/win32/handles.h"

namespace tapestrel::app {
namespace {

RegistrationEntry EntryOf(const WIN32_FIND_DATAA& data) {
  return {data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
          (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0};
}

// A partly written temporary file goes, read-only or not.
void Discard(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

}  // namespace

std::optional<RegistrationEntry> WindowsRegistrationFiles::Find(const std::string& path) {
  // A drive ("D:") has no entry of its own to find: it is a folder without a name.
  if (path.size() == 2 && path[1] == ':') {
    const DWORD attributes = GetFileAttributesA((path + "\\").c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
      return std::nullopt;
    return RegistrationEntry{"", true, false};
  }
  WIN32_FIND_DATAA data;
  platform::UniqueFindHandle find(FindFirstFileA(path.c_str(), &data));
  if (!find) return std::nullopt;
  return EntryOf(data);
}

std::vector<RegistrationEntry> WindowsRegistrationFiles::List(const std::string& folder) {
  std::vector<RegistrationEntry> entries;
  WIN32_FIND_DATAA data;
  platform::UniqueFindHandle find(FindFirstFileA((folder + "*.*").c_str(), &data));
  if (!find) return entries;
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") entries.push_back(EntryOf(data));
  } while (FindNextFileA(find.Get(), &data));
  return entries;
}

bool WindowsRegistrationFiles::FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WindowsRegistrationFiles::CopyNew(const std::string& source, const std::string& target) {
  return CopyThroughTemporary(source, target, false);
}

bool WindowsRegistrationFiles::Replace(const std::string& source, const std::string& target) {
  return CopyThroughTemporary(source, target, true);
}

bool WindowsRegistrationFiles::CopyThroughTemporary(const std::string& source, const std::string& target,
                                                    bool replace) {
  // A read-only file is not replaced, as CopyFileA would not replace it
  // (a rename over it succeeds on some systems).
  if (replace) {
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  }
  // Named ".tmp" so that no picture list takes it up while it is there. A
  // name someone already uses is never overwritten: the next one is tried.
  const std::string prefix =
      platform::ExtractFilePath(target) + "~tapestrel-" + std::to_string(GetCurrentProcessId()) + "-";
  std::string temporary;
  for (int attempt = 0;; ++attempt) {
    if (attempt == 16) return false;
    temporary = prefix + std::to_string(counter_++) + ".tmp";
    if (CopyFileA(source.c_str(), temporary.c_str(), TRUE)) break;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
    Discard(temporary);  // whatever part of it was written
    return false;
  }
  if (MoveFileExA(temporary.c_str(), target.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) return true;
  Discard(temporary);
  return false;
}

}  // namespace tapestrel::app
