// Wallpapers for several monitors under Wine, on the display of its own that
// ctest gives this program (TAPESTREL_MONITORS): the primary monitor, a
// portrait one left of it and one above it.
#include <gtest/gtest.h>

#include "app/win32/screen_capture.h"
#include "common/monitor_wallpaper.h"
#include "imaging/bmp_file.h"
#include "imaging/monitor_canvas.h"
#include "imaging/ratio_layout.h"
#include "win_support/real_core.h"

namespace tapestrel::testing {
namespace {

using platform::ScreenRect;

class RealMonitorsTest : public ::testing::Test, protected RealCore {
 protected:
  std::string wallpaper = renderer.WallpaperFilePath();
  imaging::Bitmap a = PatternPicture(300, 200, 1), b = PatternPicture(200, 100, 2),
                  c = PatternPicture(150, 300, 3);

  void SetUp() override {
    imaging::WriteBmpFile(pictures / "a.bmp", a);
    imaging::WriteBmpFile(pictures / "b.bmp", b);
    imaging::WriteBmpFile(pictures / "c.bmp", c);
    ListPictures({".bmp"});
    settings.WallBlankColor = 0x204060;
  }
  imaging::TABitmap File() const {
    imaging::TABitmap file;
    file.LoadFromFile(wallpaper);
    return file;
  }
};

TEST_F(RealMonitorsTest, EachMonitorShowsItsPictureAndOnePictureSpreadsOverAll) {
  const std::vector<ScreenRect> monitors = desktop.Monitors();
  const ScreenRect primary{0, 0, 800, 600}, left{-400, -300, 400, 700}, above{100, -300, 500, 300};
  ASSERT_EQ(monitors, (std::vector<ScreenRect>{primary, left, above}));

  // A picture per monitor, portrait ones preferred where the monitor is.
  settings.MonitorMode = app::MonitorLayout::PerMonitor;
  settings.MatchOrientation = true;
  settings.WallPosition = app::PositionMode::RatioExpansion;
  settings.LastWallIndex = 2;  // the change starts at a
  changer.ChangeWallpaper(app::ChangeMode::Ordinary);
  const imaging::TABitmap perMonitor = File();
  const std::pair<ScreenRect, const imaging::Bitmap*> shown[] = {{primary, &b}, {left, &c}, {above, &a}};
  for (const auto& [at, picture] : shown) {
    const auto alone =
        imaging::RenderRatioExpansion(*picture, at.width, at.height, 0, settings.WallBlankColor);
    EXPECT_EQ(PixelsNotAsDrawnAlone(perMonitor, at, *alone, at), 0) << at.left << "," << at.top;
  }
  EXPECT_EQ(settings.LastWallIndex, 1);  // the primary monitor's picture
  EXPECT_EQ(IniValue(profile.Path(), "System", "LastWallPas"), pictures / "b.bmp");

  // One picture over the rectangle around all three.
  settings.MonitorMode = app::MonitorLayout::Span;
  settings.WallPosition = app::PositionMode::Stretch;
  changer.ApplyWallpaper(pictures / "a.bmp", app::ChangeMode::Ordinary);
  const ScreenRect bounds{-400, -300, 1200, 900};
  const imaging::TABitmap alone =
      imaging::RenderForScreen(a, bounds.width, bounds.height, imaging::ScreenFit::Stretch, 0, 0);
  const imaging::TABitmap spread = File();
  for (const ScreenRect& at : monitors) EXPECT_EQ(PixelsNotAsDrawnAlone(spread, at, alone, bounds), 0);

  // "全画面" capture takes in all of them.
  const imaging::Bitmap capture = app::WindowsScreenCapture().CaptureScreen();
  EXPECT_EQ(capture.Width(), bounds.width);
  EXPECT_EQ(capture.Height(), bounds.height);
}

}  // namespace
}  // namespace tapestrel::testing
