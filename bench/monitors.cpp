// A change with a picture per monitor on two 3840 x 2160 monitors, against
// two changes of the same two pictures on one such monitor (goal: ratio <=
// 1.3). Ratio drawing, the position mode with the most work per screen. The
// two alternate inside every iteration so that outside load falls on both.
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <random>

#include "app/wallpaper_changer.h"
#include "fakes/fake_core.h"
#include "imaging/jpeg_file.h"

using namespace tapestrel;

namespace {

imaging::Bitmap PhotoLike(int w, int h, unsigned seed) {
  imaging::Bitmap b(w, h, imaging::PixelFormat::Bits24);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b.Row(y);
    for (int x = 0; x < w; ++x) {
      const int grain = static_cast<int>(rng() % 24);
      row[x * 3] = static_cast<uint8_t>((x * 255 / w + grain) & 0xFF);
      row[x * 3 + 1] = static_cast<uint8_t>((y * 255 / h + grain) & 0xFF);
      row[x * 3 + 2] = static_cast<uint8_t>(((x + y) * 127 / (w + h) + grain) & 0xFF);
    }
  }
  return b;
}

double Seconds(const std::function<void()>& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_PicturePerMonitor(benchmark::State& state) {
  testing::FakeCore core;
  for (unsigned i = 0; i < 2; ++i) {
    const std::string photo = core.folder / ("photo" + std::to_string(i) + ".jpg");
    imaging::EncodeJpegFile(photo, PhotoLike(i ? 3000 : 4000, i ? 4000 : 3000, i + 1));
    core.files.files.insert(photo);
    core.pictures.paths.push_back(photo);
  }
  core.settings.WallPosition = app::PositionMode::RatioExpansion;
  core.desktop.width = 3840;
  core.desktop.height = 2160;
  const std::vector<platform::ScreenRect> two{{0, 0, 3840, 2160}, {3840, 0, 3840, 2160}};

  double single = 0, perMonitor = 0;
  for (auto _ : state) {
    core.settings.MonitorMode = app::MonitorLayout::Same;
    core.desktop.monitors = {};
    single += Seconds([&] {
      for (const std::string& photo : core.pictures.paths)
        core.changer.ApplyWallpaper(photo, app::ChangeMode::Ordinary);
    });
    core.settings.MonitorMode = app::MonitorLayout::PerMonitor;
    core.desktop.monitors = two;
    core.settings.LastWallIndex = 1;  // the next change starts at the first picture
    perMonitor += Seconds([&] { core.changer.ChangeWallpaper(app::ChangeMode::Ordinary); });
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["two_single_ms"] = single / n * 1e3;
  state.counters["per_monitor_ms"] = perMonitor / n * 1e3;
  state.counters["ratio"] = perMonitor / single;
}
BENCHMARK(BM_PicturePerMonitor)->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace

BENCHMARK_MAIN();
