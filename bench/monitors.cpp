// A picture per monitor on two 3840 x 2160 monitors, against the two
// single-monitor changes of the same pictures (goal: ratio <= 1.3).
// bench/win/monitors.cpp takes the same measure in the shipped code under Wine.
#include <benchmark/benchmark.h>

#include "monitor_changes.h"

namespace {

void BM_PicturePerMonitor(benchmark::State& state) {
  tapestrel::bench::MonitorChanges changes;
  double single = 0, perMonitor = 0;
  for (auto _ : state) {
    single += changes.TwoSingleSeconds();
    perMonitor += changes.PerMonitorSeconds();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["two_single_ms"] = single / n * 1e3;
  state.counters["per_monitor_ms"] = perMonitor / n * 1e3;
  state.counters["ratio"] = perMonitor / single;
}
BENCHMARK(BM_PicturePerMonitor)->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace

BENCHMARK_MAIN();
