// A picture per monitor on two 3840 x 2160 monitors, against the two
// single-monitor changes of the same pictures, in the shipped code (the x86
// or the x64 build) under Wine (goal: ratio <= 1.3). Each round measures
// both; the figures are the medians of the rounds.
// Usage: bench_win_monitors.exe [rounds, default 7]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "../monitor_changes.h"
#include "timing.h"

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  tapestrel::bench::MonitorChanges changes;
  std::vector<double> single, perMonitor, ratios;
  for (int i = 0; i < rounds; ++i) {
    single.push_back(changes.TwoSingleSeconds() * 1e3);
    perMonitor.push_back(changes.PerMonitorSeconds() * 1e3);
    ratios.push_back(perMonitor.back() / single.back());
  }
  using tapestrel::bench::Median;
  using tapestrel::bench::Spread;
  std::printf("%s, %d rounds\n", tapestrel::bench::BuildName(), rounds);
  std::printf("two single-monitor changes  %8.1f ms  (%s)\n", Median(single), Spread(single).c_str());
  std::printf("one per-monitor change      %8.1f ms  (%s)\n", Median(perMonitor), Spread(perMonitor).c_str());
  std::printf("ratio                       %8.2f     (%s)   goal <= 1.3\n", Median(ratios), Spread(ratios).c_str());
  return 0;
}
