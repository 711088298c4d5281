// The local date and time.
#pragma once

#include "platform/date_time.h"

namespace tapestrel::platform {

class ClockPort {
 public:
  virtual ~ClockPort() = default;
  virtual DateTime Now() const = 0;
};

}  // namespace tapestrel::platform
