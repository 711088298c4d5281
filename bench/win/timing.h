// The timing harness the Wine-side benchmarks share: one step's wall time
// by the performance counter, and the median of repetitions.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace tapestrel::bench {

inline double TicksPerMs() {
  static const double ticksPerMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000;
  }();
  return ticksPerMs;
}

inline double Milliseconds(const std::function<void()>& step) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  step();
  QueryPerformanceCounter(&end);
  return static_cast<double>(end.QuadPart - start.QuadPart) / TicksPerMs();
}

// Which of the two programs' code this benchmark measures.
inline const char* BuildName() { return sizeof(void*) == 8 ? "x64 build" : "x86 build"; }

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// "lowest .. highest" of repetitions.
inline std::string Spread(const std::vector<double>& v) {
  if (v.empty()) return "-";
  char text[64];
  std::snprintf(text, sizeof text, "%.2f .. %.2f", *std::min_element(v.begin(), v.end()),
                *std::max_element(v.begin(), v.end()));
  return text;
}

// The text after "--name=" on the command line (name given with its "="),
// or nothing.
inline std::string TextArgument(int argc, char** argv, const char* name) {
  const size_t n = std::strlen(name);
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], name, n) == 0) return argv[i] + n;
  return {};
}

// A count given as "--name=N" (at least 1), or `fallback`.
inline int CountArgument(int argc, char** argv, const char* name, int fallback) {
  const std::string text = TextArgument(argc, argv, name);
  return text.empty() ? fallback : std::max(1, std::atoi(text.c_str()));
}

// A benchmark's main: a failure is printed and ends the run with status 1.
inline int RunReportingFailure(int (*run)(int, char**), int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::printf("FAILED: %s\n", e.what());
    return 1;
  }
}

}  // namespace tapestrel::bench
