// The local clock and the user's locale.
#pragma once

#include "platform/clock_port.h"
#include "platform/locale_port.h"

namespace tapestrel::platform {

class LocalClock : public ClockPort {
 public:
  DateTime Now() const override;
};

class UserLocale : public LocalePort {
 public:
  UserLocale();
  DateTimeFormat DateTimeFormats() const override { return formats_; }
  std::string KeyName(int virtualKey) const override;

 private:
  DateTimeFormat formats_;
};

}  // namespace tapestrel::platform
