// A value of the current user's registry set for the life of the object and
// put back as it was (or removed) afterwards.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tapestrel::testing {

class RegistryOverride {
 public:
  RegistryOverride(const wchar_t* key, const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ)
      : name_(name) {
    RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                    nullptr);
    DWORD size = 0;
    had_ = RegQueryValueExW(key_, name, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
    if (had_) {
      saved_.resize(size);
      RegQueryValueExW(key_, name, nullptr, &type_, saved_.data(), &size);
    }
    RegSetValueExW(key_, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  RegistryOverride(const RegistryOverride&) = delete;
  RegistryOverride& operator=(const RegistryOverride&) = delete;
  ~RegistryOverride() {
    if (had_)
      RegSetValueExW(key_, name_.c_str(), 0, type_, saved_.data(), static_cast<DWORD>(saved_.size()));
    else
      RegDeleteValueW(key_, name_.c_str());
    RegCloseKey(key_);
  }

 private:
  std::wstring name_;
  HKEY key_ = nullptr;
  DWORD type_ = REG_SZ;
  std::vector<BYTE> saved_;
  bool had_ = false;
};

}  // namespace tapestrel::testing
