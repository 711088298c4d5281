// The profile (INI) file, read and written key by key with no cache.
#pragma once

#include <string>

namespace tapestrel::platform {

class ProfilePort {
 public:
  // Longest value a read returns; longer values are cut.
  static constexpr size_t kMaxValueLength = 2047;

  virtual ~ProfilePort() = default;
  // The path of the file, as shown in error messages.
  virtual std::string Path() const = 0;
  virtual bool Exists() const = 0;
  // The value, at most kMaxValueLength characters, or `fallback` when the
  // section or key is missing.
  virtual std::string ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const = 0;
  // Creates the file and section as needed; false when it cannot be written.
  virtual bool WriteString(const std::string& section, const std::string& key, const std::string& value) = 0;
};

}  // namespace tapestrel::platform
