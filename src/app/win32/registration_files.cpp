#include "app/win32/registration_files.h"

#include <windows.h>

#include <cstring>

#include "platform/paths.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

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

// Gives the file its final name. Through a handle of its own rather than
// MoveFileEx: fewer steps, which counts when thousands of small pictures
// arrive.
bool RenameInFolder(const std::string& from, const std::string& to, bool replace) {
  platform::UniqueFileHandle file(CreateFileA(from.c_str(), DELETE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  // The new name as the kernel takes it: "\??\C:\..." or "\??\UNC\server\...".
  std::wstring name = platform::AnsiToWide(to);
  name = name.rfind(L"\\\\", 0) == 0 ? L"\\??\\UNC" + name.substr(1) : L"\\??\\" + name;
  std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = replace ? TRUE : FALSE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, name.data(), info->FileNameLength);
  return SetFileInformationByHandle(file.Get(), FileRenameInfo, info, static_cast<DWORD>(buffer.size())) !=
         FALSE;
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

namespace {

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

CopyOutcome WindowsRegistrationFiles::CopyNew(const std::string& source, const std::string& target) {
  if (CopyThroughTemporary(source, target, false)) return CopyOutcome::Copied;
  // Only a failure looks at the name, so a new file costs one look into a
  // large folder, as a plain copy does.
  return FileExists(target) ? CopyOutcome::TargetExists : CopyOutcome::Failed;
}

bool WindowsRegistrationFiles::Replace(const std::string& source, const std::string& target) {
  // A read-only file is not replaced, as CopyFileA would not replace it
  // (a rename over it succeeds on some systems).
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  return CopyThroughTemporary(source, target, true);
}

void WindowsRegistrationFiles::CopiesDone(const std::string&) {
  if (staging_.empty()) return;
  // Only our own leftovers, such as those of a copy cut short earlier.
  for (const RegistrationEntry& entry : List(staging_)) {
    if (!entry.isDirectory && entry.name.rfind(kTemporaryPrefix, 0) == 0) Discard(staging_ + entry.name);
  }
  RemoveDirectoryA(staging_.c_str());
  staging_.clear();
}

std::string WindowsRegistrationFiles::StagingFolder(const std::string& targetFolder) {
  if (!staging_.empty() && staging_.rfind(targetFolder, 0) == 0) return staging_;
  // A hidden folder of our own inside the target folder: on the same volume,
  // so the final rename is one atomic step, and small, so creating each
  // temporary file is quick however many pictures the folder holds. Without
  // it, the target folder itself.
  const std::string folder = targetFolder + kStagingFolderName;
  if (CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_HIDDEN);
    staging_ = folder + "\\";
    return staging_;
  }
  return targetFolder;
}

bool WindowsRegistrationFiles::CopyThroughTemporary(const std::string& source, const std::string& target,
                                                    bool replace) {
  const std::string prefix = StagingFolder(platform::ExtractFilePath(target)) + kTemporaryPrefix;
  std::string temporary;
  for (int attempt = 0;; ++attempt) {
    // A name someone already uses is never overwritten: the next is tried.
    if (attempt == 16) return false;
    temporary = prefix + std::to_string(counter_++) + ".tmp";
    if (CopyFileA(source.c_str(), temporary.c_str(), TRUE)) break;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
    Discard(temporary);  // whatever part of it was written
    return false;
  }
  if (RenameInFolder(temporary, target, replace)) return true;
  Discard(temporary);
  return false;
}

}  // namespace tapestrel::app
