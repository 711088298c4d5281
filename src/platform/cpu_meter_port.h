// The processor load, read once per scheduler tick.
#pragma once

#include <cstdint>

namespace tapestrel::platform {

class CpuMeterPort {
 public:
  virtual ~CpuMeterPort() = default;
  virtual uint8_t GetUsage() = 0;
};

}  // namespace tapestrel::platform
