#include <gtest/gtest.h>

#include <fstream>

#include "common/monitor_wallpaper.h"
#include "fakes/fake_core.h"
#include "imaging/auto_color.h"
#include "imaging/jpeg_file.h"
#include "imaging/monitor_canvas.h"
#include "imaging/ratio_layout.h"

namespace tapestrel::app {
namespace {

using platform::ScreenRect;

using testing::PatternPicture;

class MonitorWallpaperTest : public ::testing::Test, protected testing::FakeCore {
 protected:
  std::string wallpaper = folder.Path() + "Wallpaper1.bmp";

  // Listed after the pictures before it.
  imaging::Bitmap Add(imaging::Bitmap picture) {
    const std::string path = folder.WriteBmp("p" + std::to_string(pictures.Count()) + ".bmp", picture);
    files.files.insert(path);
    pictures.paths.push_back(path);
    return picture;
  }
  // A JPEG of the picture, listed; `cut` keeps its header but only half its data.
  imaging::Bitmap AddJpeg(const imaging::Bitmap& picture, bool cut = false) {
    const std::string path = folder.Path() + "p" + std::to_string(pictures.Count()) + ".jpg";
    const std::vector<uint8_t> bytes = imaging::EncodeJpeg(picture);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size() >> cut));
    files.files.insert(path);
    pictures.paths.push_back(path);
    return cut ? imaging::Bitmap() : imaging::DecodeJpegFile(path);
  }

  // What Windows shows in `at` against the picture drawn alone over
  // `drawnOver` (the monitor, or all of them for one picture spread).
  void ExpectShows(const ScreenRect& at, const imaging::Bitmap& picture, const ScreenRect& drawnOver) {
    imaging::TABitmap file;
    file.LoadFromFile(wallpaper);
    const auto [w, h] = std::pair{drawnOver.width, drawnOver.height};
    const imaging::TABitmap alone =
        settings.WallPosition == PositionMode::RatioExpansion
            ? *imaging::RenderRatioExpansion(picture, w, h, 0, settings.WallBlankColor)
            : imaging::RenderForScreen(picture, w, h, static_cast<imaging::ScreenFit>(settings.WallPosition),
                                       0, settings.WallBlankColor);
    EXPECT_EQ(testing::PixelsNotAsDrawnAlone(file, at, alone, drawnOver), 0) << at.left << "," << at.top;
  }
};

TEST_F(MonitorWallpaperTest, EachMonitorShowsItsPictureAsOnAScreenOfItsOwn) {
  struct Case {
    const char* name;
    MonitorLayout layout;
    PositionMode position;
    bool matchOrientation;
    std::vector<ScreenRect> monitors;  // primary first
    std::vector<std::pair<int, int>> pictures;
    std::vector<int> shown;  // picture of each monitor; spread: the one picture
    int recorded;
  };
  // clang-format off
  const Case cases[] = {
      {"two of different sizes, ratio drawing", MonitorLayout::PerMonitor, PositionMode::RatioExpansion, false,
       {{0, 0, 64, 48}, {64, 8, 40, 30}}, {{80, 40}, {30, 60}, {50, 50}}, {1, 0}, 1},
      {"three, a portrait one left of the primary and one above, centred", MonitorLayout::PerMonitor,
       PositionMode::Center, true, {{0, 0, 64, 48}, {-30, 4, 30, 50}, {10, -40, 50, 40}},
       {{40, 20}, {20, 10}, {12, 30}, {70, 60}}, {1, 2, 0}, 1},
      {"portrait preferred but none there: the next of any shape", MonitorLayout::PerMonitor,
       PositionMode::Center, true, {{0, 0, 64, 48}, {64, 0, 30, 50}}, {{40, 20}, {20, 10}}, {1, 0}, 1},
      {"one picture spread over a primary and a monitor above left of it", MonitorLayout::Span,
       PositionMode::Stretch, false, {{0, 0, 64, 48}, {-20, -30, 40, 30}}, {{100, 50}}, {0}, 0},
  };
  // clang-format on
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings.MonitorMode = c.layout;
    settings.WallPosition = c.position;
    settings.MatchOrientation = c.matchOrientation;
    settings.WallBlankColor = 0x204060;
    settings.LastWallIndex = -1;  // starts at the first picture
    desktop.monitors = c.monitors;
    pictures.paths.clear();
    std::vector<imaging::Bitmap> made;
    for (auto [w, h] : c.pictures) made.push_back(Add(PatternPicture(w, h, ++n)));
    changer.ChangeWallpaper(ChangeMode::Ordinary);

    EXPECT_EQ(Registry(kDesktopKey, "TileWallpaper"), "1");
    EXPECT_EQ(Registry(kDesktopKey, "Wallpaperstyle"), "0");
    EXPECT_EQ(settings.LastWallIndex, c.recorded);
    const ScreenRect bounds = imaging::BoundingRect(c.monitors);
    for (size_t m = 0; m < c.monitors.size(); ++m) {
      const bool spread = c.layout == MonitorLayout::Span;
      ExpectShows(c.monitors[m], made[static_cast<size_t>(c.shown[spread ? 0 : m])],
                  spread ? bounds : c.monitors[m]);
    }
  }
}

TEST_F(MonitorWallpaperTest, JpegsAreDrawnFromTheirRowsExactlyAsDecodedWhole) {
  // Ratio drawing with the picture's own color and stretching: a picture of
  // its monitor's size, one with bars, one of the same proportions, and a
  // monitor above that reaches round the bitmap's edge.
  settings.MonitorMode = MonitorLayout::PerMonitor;
  settings.WallBlankAutoColor = true;
  desktop.monitors = {{0, 0, 64, 48}, {64, 0, 30, 50}, {-20, -30, 60, 30}};
  const imaging::Bitmap above = AddJpeg(PatternPicture(60, 30, 1)),
                        right = AddJpeg(PatternPicture(40, 20, 2)),
                        primary = AddJpeg(PatternPicture(32, 24, 3));
  for (PositionMode position : {PositionMode::RatioExpansion, PositionMode::Stretch}) {
    settings.WallPosition = position;
    settings.LastWallIndex = -1;
    changer.ChangeWallpaper(ChangeMode::Ordinary);
    imaging::TABitmap file;
    file.LoadFromFile(wallpaper);
    for (const auto& [at, picture] : {std::pair{desktop.monitors[2], &above},
                                      {desktop.monitors[1], &right},
                                      {desktop.monitors[0], &primary}}) {
      const imaging::TABitmap alone =
          imaging::RenderForScreen(*picture, at.width, at.height, static_cast<imaging::ScreenFit>(position),
                                   0, imaging::AutoBlankColor(*picture));
      EXPECT_EQ(testing::PixelsNotAsDrawnAlone(file, at, alone, at), 0) << at.left << "," << at.top;
    }
  }
}

TEST_F(MonitorWallpaperTest, APictureWhoseDataFailGivesWayAndWithNoneUsableTheWallpaperStays) {
  settings.MonitorMode = MonitorLayout::PerMonitor;
  settings.WallPosition = PositionMode::RatioExpansion;
  settings.WallBlankColor = 0x204060;
  desktop.monitors = {{0, 0, 64, 48}, {64, 0, 40, 30}};
  AddJpeg(PatternPicture(160, 80, 1), true);
  const imaging::Bitmap a = Add(PatternPicture(30, 20, 2));
  AddJpeg(PatternPicture(160, 80, 3), true);
  const imaging::Bitmap b = AddJpeg(PatternPicture(50, 40, 4));
  settings.LastWallIndex = -1;
  changer.ChangeWallpaper(ChangeMode::Ordinary);
  ExpectShows(desktop.monitors[1], a, desktop.monitors[1]);
  ExpectShows(desktop.monitors[0], b, desktop.monitors[0]);
  EXPECT_EQ(settings.LastWallIndex, 3);

  const imaging::Bitmap shown = imaging::ReadBmpFile(wallpaper);
  pictures.paths = {pictures.paths[0], pictures.paths[2]};
  changer.ChangeWallpaper(ChangeMode::Ordinary);
  EXPECT_EQ(changer.ApplyWallpaper(pictures.paths[0], ChangeMode::Ordinary), ApplyResult::PictureUnusable);
  EXPECT_EQ(imaging::ReadBmpFile(wallpaper), shown);
  EXPECT_EQ(settings.LastWallIndex, 3);
}

TEST_F(MonitorWallpaperTest, DisplayChangeRedrawsThePicturesShownWithoutRecordingAChange) {
  settings.MonitorMode = MonitorLayout::PerMonitor;
  settings.WallPosition = PositionMode::Stretch;
  desktop.monitors = {{0, 0, 64, 48}, {64, 0, 40, 30}};
  const imaging::Bitmap a = Add(PatternPicture(30, 20, 1)), b = Add(PatternPicture(20, 30, 2));
  settings.LastWallIndex = -1;
  changer.ChangeWallpaper(ChangeMode::Ordinary);  // a on the second monitor, b on the primary
  const platform::DateTime changed = settings.LastChangeTime;
  clock.now += 1;

  // A third monitor to the left, and the second one at a new resolution.
  desktop.monitors = {{0, 0, 64, 48}, {64, 0, 50, 40}, {-32, 0, 32, 48}};
  changer.RedrawForDisplayChange();
  ExpectShows({0, 0, 64, 48}, b, {0, 0, 64, 48});
  ExpectShows({64, 0, 50, 40}, b, {64, 0, 50, 40});
  ExpectShows({-32, 0, 32, 48}, a, {-32, 0, 32, 48});
  EXPECT_EQ(settings.LastChangeTime, changed);

  // Down to one monitor: the primary's picture as on any single screen,
  // exactly as without the monitor modes.
  desktop.monitors = {{0, 0, 64, 48}};
  changer.RedrawForDisplayChange();
  EXPECT_EQ(Registry(kDesktopKey, "TileWallpaper"), "0");
  EXPECT_EQ(imaging::ReadBmpFile(wallpaper), b);
  EXPECT_EQ(settings.LastWallIndex, 1);
  EXPECT_EQ(desktop.sounds.size() + static_cast<size_t>(desktop.beeps), 0u);
}

}  // namespace
}  // namespace tapestrel::app
