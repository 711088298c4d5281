// The processor load in percent from two successive samples of the total
// idle time and the system time (both in 100-nanosecond units).
#pragma once

#include <cstdint>

namespace tapestrel::platform {

class CpuLoadCalculator {
 public:
  explicit CpuLoadCalculator(unsigned processorCount) : processors_(processorCount ? processorCount : 1) {}

  // The mean load of all processors since the previous sample, as the low
  // 8 bits of the truncated percentage (a result of -1 arrives as 255). The
  // first sample answers 0. Two samples in the same system-time step answer
  // the previous reading again and keep the older sample.
  uint8_t Sample(uint64_t idleTime, uint64_t systemTime);
  // Forget the previous sample: the next reading answers 0.
  void ResetSample() { previousIdle_ = previousSystem_ = 0; }

 private:
  unsigned processors_;
  uint64_t previousIdle_ = 0;
  uint64_t previousSystem_ = 0;
  uint8_t lastReading_ = 0;
};

// Is a CPU reading blocking changes? Only when the condition is on and the
// reading is not strictly below the threshold.
inline bool CpuBlocks(bool conditionOn, uint8_t reading, int32_t threshold) {
  return conditionOn && !(static_cast<int32_t>(reading) < threshold);
}

}  // namespace tapestrel::platform
