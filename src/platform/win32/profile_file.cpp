#include "platform/win32/profile_file.h"

#include <windows.h>

#include "platform/profile_text.h"
#include "platform/win32/whole_file.h"

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

bool ProfileFile::WriteStrings(const std::vector<Entry>& entries) {
  // A read-only file is refused: replacing it would lose the protection.
  const DWORD attributes = GetFileAttributesA(path_.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  // The whole file is edited in memory and replaces the old one in one
  // step, so that a full disk or a kill in the middle leaves the old file.
  std::string text;
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    std::optional<std::string> old = ReadWholeFile(path_, kLargestFile);
    if (!old) return false;
    text = std::move(*old);
  }
  for (const Entry& e : entries) SetProfileValue(text, e.section, e.key, e.value);
  return ReplaceWholeFile(path_, text);
}

}  // namespace tapestrel::platform
