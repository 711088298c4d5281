// Files whose names code page 932 cannot hold (an accented Latin letter,
// Hangul, an emoji), and a stand-in for a volume that keeps no short names.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/win32/ansi_path.h"
#include "platform/win32/text.h"
#include "win_support/files.h"

namespace tapestrel::testing {

// "Café", "한글", "😀".
inline const std::vector<std::wstring>& NamesOutsideTheCodePage() {
  static const std::vector<std::wstring> names{L"Caf\u00E9", L"\uD55C\uAE00", L"\U0001F600"};
  return names;
}

// Moves the file at `ansiPath` to `wideName` in the same folder; answers the
// new full path.
inline std::wstring RenameWide(const std::string& ansiPath, const std::wstring& wideName) {
  const std::wstring from = platform::AnsiToWide(ansiPath);
  const std::wstring to = from.substr(0, from.find_last_of(L'\\') + 1) + wideName;
  MoveFileW(from.c_str(), to.c_str());
  return to;
}

inline void WriteWide(const std::wstring& path, const std::string& content) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

// The file's content read through its wide name: what a picture is.
inline std::string ReadWide(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string content(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ::ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
  CloseHandle(file);
  return content.substr(0, read);
}

// While it lives, the program finds no short names, as on a volume with 8.3
// names turned off (Wine makes one for every long name).
class NoShortNames {
 public:
  NoShortNames()
      : previous_(platform::SetShortPathFinder([](const std::wstring&) -> std::optional<std::wstring> {
          return std::nullopt;
        })) {}
  NoShortNames(const NoShortNames&) = delete;
  NoShortNames& operator=(const NoShortNames&) = delete;
  ~NoShortNames() { platform::SetShortPathFinder(previous_); }

 private:
  platform::ShortPathFinder previous_;
};

}  // namespace tapestrel::testing
