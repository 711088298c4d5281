// The registry port on HKEY_CURRENT_USER.
#pragma once

#include "platform/registry_port.h"

namespace tapestrel::platform {

class CurrentUserRegistry : public RegistryPort {
 public:
  std::optional<std::string> ReadString(const std::string& key, const std::string& name) const override;
  bool WriteString(const std::string& key, const std::string& name, const std::string& value) override;
};

}  // namespace tapestrel::platform
