#include "platform/cpu_usage.h"

#include <cmath>

namespace tapestrel::platform {

uint8_t CpuLoadCalculator::Sample(uint64_t idleTime, uint64_t systemTime) {
  if (previousIdle_ == 0) {
    previousIdle_ = idleTime;
    previousSystem_ = systemTime;
    lastReading_ = 0;
    return 0;
  }
  const uint64_t timeDelta = systemTime - previousSystem_;
  if (timeDelta == 0) return lastReading_;
  const uint64_t idleDelta = idleTime - previousIdle_;
  previousIdle_ = idleTime;
  previousSystem_ = systemTime;

  // Wrapped deltas (a counter going backwards) give huge values; keep the
  // conversion to an integer defined.
  double load = 100.0 - (static_cast<double>(idleDelta) / static_cast<double>(timeDelta) * 100.0) / processors_;
  if (!std::isfinite(load)) load = 0;
  if (load > 1e15) load = 1e15;
  if (load < -1e15) load = -1e15;
  lastReading_ = static_cast<uint8_t>(static_cast<int64_t>(load) & 0xFF);
  return lastReading_;
}

}  // namespace tapestrel::platform
