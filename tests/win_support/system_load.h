// The whole machine's processor load as Windows measures it, for tests whose
// outcome depends on what other programs on the machine are doing.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tapestrel::testing {

// Percent busy since the previous sample (0 for the first).
class SystemTimesLoad {
 public:
  SystemTimesLoad() { Sample(); }
  int Sample() {
    FILETIME idle, kernel, user;
    GetSystemTimes(&idle, &kernel, &user);
    const uint64_t i = Value(idle), total = Value(kernel) + Value(user);
    const int load = total == total_ ? 0 : static_cast<int>(100 - 100.0 * (i - idle_) / (total - total_));
    idle_ = i;
    total_ = total;
    return load;
  }

 private:
  static uint64_t Value(const FILETIME& t) { return uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime; }
  uint64_t idle_ = 0, total_ = 0;
};

}  // namespace tapestrel::testing
