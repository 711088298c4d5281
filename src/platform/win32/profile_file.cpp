#include "platform/win32/profile_file.h"

#include <windows.h>

namespace tapestrel::platform {

bool ProfileFile::Exists() const {
  const DWORD attributes = GetFileAttributesA(path_.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& fallback) const {
  char buffer[kMaxValueLength + 1];
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer, sizeof buffer,
                                           path_.c_str());
  return std::string(buffer, n);
}

bool ProfileFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  // The profile API reports success for a read-only file on some systems;
  // a write is only trusted when the file is not marked read-only and can be
  // opened for writing.
  const DWORD attributes = GetFileAttributesA(path_.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    const HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
  }
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str()) != FALSE;
}

}  // namespace tapestrel::platform
