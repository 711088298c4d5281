// What the user's locale decides for the texts the program stores.
#pragma once

#include <string>

#include "platform/date_time.h"

namespace tapestrel::platform {

class LocalePort {
 public:
  virtual ~LocalePort() = default;
  virtual DateTimeFormat DateTimeFormats() const = 0;
  // The keyboard layout's name of a virtual key, empty when it has none.
  virtual std::string KeyName(int virtualKey) const = 0;
};

}  // namespace tapestrel::platform
