// The profile (INI) file, read and written key by key with no cache.
#pragma once

#include <string>
#include <vector>

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
  struct Entry {
    std::string section, key, value;
  };
  // Writes all the entries in one step, creating the file and sections as
  // needed: afterwards the file holds every one of them, or, when it cannot
  // be written (false), it is as it was.
  virtual bool WriteStrings(const std::vector<Entry>& entries) = 0;
  bool WriteString(const std::string& section, const std::string& key, const std::string& value) {
    return WriteStrings({{section, key, value}});
  }
};

}  // namespace tapestrel::platform
