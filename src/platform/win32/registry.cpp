#include "platform/win32/registry.h"

#include <windows.h>

#include <vector>

#include "platform/win32/ansi_path.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace tapestrel::platform {

// Read wide and handed on exactly: the values read are folders (the user's
// profile may be named outside the ANSI code page) and numbers, and a
// folder without an ANSI form of its own goes by its short path.
std::optional<std::string> CurrentUserRegistry::ReadString(const std::string& key, const std::string& name) const {
  UniqueRegKey hkey;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, AnsiToWide(key).c_str(), 0, KEY_READ, hkey.Put()) != ERROR_SUCCESS)
    return std::nullopt;
  const std::wstring wideName = AnsiToWide(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(hkey.Get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(hkey.Get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  buffer[std::min<size_t>(size / sizeof(wchar_t), buffer.size() - 1)] = L'\0';
  return PathToAnsi(buffer.data());
}

bool CurrentUserRegistry::WriteString(const std::string& key, const std::string& name, const std::string& value) {
  UniqueRegKey hkey;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, hkey.Put(), nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExA(hkey.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace tapestrel::platform
