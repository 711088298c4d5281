// The string values of HKEY_CURRENT_USER that the program reads and writes.
// Keys are paths below HKEY_CURRENT_USER, e.g. "Control Panel\Desktop".
#pragma once

#include <optional>
#include <string>

namespace tapestrel::platform {

class RegistryPort {
 public:
  virtual ~RegistryPort() = default;
  // The value as text, or empty when the key or value is missing.
  virtual std::optional<std::string> ReadString(const std::string& key, const std::string& name) const = 0;
  // Writes a REG_SZ value, creating the key when needed; false on failure.
  virtual bool WriteString(const std::string& key, const std::string& name, const std::string& value) = 0;
};

}  // namespace tapestrel::platform
