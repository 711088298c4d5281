// The timing harness the Wine-side benchmarks share: one step's wall time
// by the performance counter, and the median of repetitions.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace tapestrel::bench {

inline double Milliseconds(const std::function<void()>& step) {
  static const double ticksPerMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000;
  }();
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  step();
  QueryPerformanceCounter(&end);
  return static_cast<double>(end.QuadPart - start.QuadPart) / ticksPerMs;
}

// Which of the two programs' code this benchmark measures.
inline const char* BuildName() { return sizeof(void*) == 8 ? "x64 build" : "x86 build"; }

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace tapestrel::bench
