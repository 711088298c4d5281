// The measure both monitor benchmarks (native and under Wine) take: two
// 12-megapixel photos, one landscape and one portrait, in the aspect-ratio
// mode, applied one after the other on a 3840 x 2160 screen, against one
// change that gives each of two such monitors its own picture.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/wallpaper_changer.h"
#include "fakes/fake_core.h"
#include "imaging/jpeg_file.h"
#include "photo_like.h"

namespace tapestrel::bench {

class MonitorChanges {
 public:
  MonitorChanges() {
    for (unsigned i = 0; i < 2; ++i) {
      const std::string photo = core_.folder / ("photo" + std::to_string(i) + ".jpg");
      imaging::EncodeJpegFile(photo, PhotoLike(i ? 3000 : 4000, i ? 4000 : 3000, i + 1, 1));
      core_.files.files.insert(photo);
      core_.pictures.paths.push_back(photo);
    }
    core_.settings.WallPosition = app::PositionMode::RatioExpansion;
    core_.desktop.width = 3840;
    core_.desktop.height = 2160;
  }

  // Both pictures applied one after the other on one monitor.
  double TwoSingleSeconds() {
    core_.settings.MonitorMode = app::MonitorLayout::Same;
    core_.desktop.monitors = {};
    return Seconds([&] {
      for (const std::string& photo : core_.pictures.paths)
        core_.changer.ApplyWallpaper(photo, app::ChangeMode::Ordinary);
    });
  }

  // One change, a picture for each of two monitors.
  double PerMonitorSeconds() {
    core_.settings.MonitorMode = app::MonitorLayout::PerMonitor;
    core_.desktop.monitors = {{0, 0, 3840, 2160}, {3840, 0, 3840, 2160}};
    core_.settings.LastWallIndex = 1;  // the change starts at the first picture
    return Seconds([&] { core_.changer.ChangeWallpaper(app::ChangeMode::Ordinary); });
  }

 private:
  static double Seconds(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }

  testing::FakeCore core_;
};

}  // namespace tapestrel::bench
