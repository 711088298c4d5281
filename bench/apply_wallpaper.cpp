// ApplyWallpaper of a 4000 x 3000 JPEG in ratio mode on a 1920 x 1080
// screen, against the least any wallpaper changer must do with it: decode the
// JPEG in best quality and write it as a BMP (goal: ratio <= 1.5). The two
// alternate inside every iteration so that outside load falls on both alike.
#include <benchmark/benchmark.h>

#include <chrono>
#include <random>

#include "app/wallpaper_changer.h"
#include "fakes/fake_ports.h"
#include "fakes/picture_files.h"
#include "imaging/bmp_file.h"
#include "imaging/jpeg_file.h"
#include "photo_like.h"

using namespace tapestrel;
using bench::PhotoLike;

namespace {

class OnePicture : public browser::PictureList {
 public:
  std::string path;
  int Count() const override { return 1; }
  std::string Path(int) const override { return path; }
};


double Seconds(const std::function<void()>& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_ApplyWallpaperRatioMode(benchmark::State& state) {
  testing::PictureFolder folder;
  const std::string photo = folder / "photo.jpg";
  imaging::EncodeJpegFile(photo, PhotoLike(4000, 3000, 7, 1));

  testing::FakeProfile profile;
  testing::FakeLocale locale;
  testing::FakeClock clock;
  testing::FakeFileSystem files;
  files.files.insert(photo);
  testing::FakeRegistry registry;
  testing::FakeDesktop desktop;
  desktop.width = 1920;
  desktop.height = 1080;
  app::NoPluginPictures plugins;
  OnePicture pictures;
  pictures.path = photo;
  app::SeededRandom random(1);
  app::SettingsRecord settings;
  app::IniFile ini(profile, locale);
  app::WallpaperRenderer renderer(settings, {registry, desktop, files, plugins, folder.Path()});
  app::WallpaperChanger changer(settings, ini, pictures, random, renderer, {clock, files, registry});
  settings.WallPosition = app::PositionMode::RatioExpansion;

  const std::string referenceFile = folder / "reference.bmp";
  double reference = 0, own = 0;
  for (auto _ : state) {
    reference += Seconds([&] { imaging::WriteBmpFile(referenceFile, imaging::DecodeJpegFile(photo)); });
    own += Seconds([&] { changer.ApplyWallpaper(photo, app::ChangeMode::Ordinary); });
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ref_ms"] = reference / n * 1e3;
  state.counters["own_ms"] = own / n * 1e3;
  state.counters["ratio"] = own / reference;
}
BENCHMARK(BM_ApplyWallpaperRatioMode)->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace

BENCHMARK_MAIN();
