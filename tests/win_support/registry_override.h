// A value of the current user's registry changed for the life of the object
// and put back as it was (or removed) afterwards.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tapestrel::testing {

class RegistryOverride {
 public:
  RegistryOverride(const wchar_t* key, const wchar_t* name) : key_(key), name_(name) {
    DWORD size = 0;
    had_ = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type_, nullptr, &size) ==
           ERROR_SUCCESS;
    saved_.resize(size);
    if (had_) RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type_, saved_.data(), &size);
  }
  RegistryOverride(const wchar_t* key, const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ)
      : RegistryOverride(key, name) {
    Set(type, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  RegistryOverride(const RegistryOverride&) = delete;
  RegistryOverride& operator=(const RegistryOverride&) = delete;
  ~RegistryOverride() {
    if (had_) Set(type_, saved_.data(), static_cast<DWORD>(saved_.size()));
    else RegDeleteKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str());
  }
  void Set(DWORD type, const void* data, DWORD size) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), type, data, size);
  }

 private:
  std::wstring key_, name_;
  DWORD type_ = REG_SZ;
  std::vector<BYTE> saved_;
  bool had_ = false;
};

}  // namespace tapestrel::testing
