// ApplyWallpaper with the real registry, files and desktop of Wine.
#include <gtest/gtest.h>

#include "common/solid_picture.h"
#include "imaging/bmp_file.h"
#include "imaging/jpeg_file.h"
#include "imaging/pixel_convert.h"
#include "win_support/real_core.h"

namespace tapestrel::testing {
namespace {

std::string RegValue(const char* key, const char* name) {
  return platform::CurrentUserRegistry().ReadString(key, name).value_or("<missing>");
}

class RealApplyTest : public ::testing::Test, protected RealCore {
 protected:
  std::string wallpaper = renderer.WallpaperFilePath();

  void SetUp() override {
    WriteSolidBmp(pictures / "a.bmp", 40, 30, 0x0000FF);
    WriteSolidBmp(pictures / "b.bmp", 40, 20, 0x00FF00);  // not the screen's proportions
    imaging::Bitmap wide(400, 100, imaging::PixelFormat::Bits24);
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 400; ++x) wide.Row(y)[x * 3] = 0xFF;  // blue
    }
    imaging::EncodeJpegFile(pictures / "c.jpg", wide);
    ListPictures({".bmp", ".jpg"});
    registry.WriteString(app::kColorsKey, "Background", "0 0 0");
    registry.WriteString(app::kDesktopKey, "Wallpaper", "before");
    settings.WallBlankColor = 0;
  }
};

TEST_F(RealApplyTest, WallpaperFileIsBelowLocalAppDataOrBesideTheProgram) {
  const auto local = registry.ReadString(app::kShellFoldersKey, "Local AppData");
  if (local && !local->empty()) {
    EXPECT_EQ(wallpaper, *local + "\\Microsoft\\Wallpaper1.bmp");
  } else {
    EXPECT_EQ(wallpaper, appFolder / "Wallpaper1.bmp");
  }
}

TEST_F(RealApplyTest, EachPositionModeWritesItsValuesAndTheFile) {
  const struct {
    int position;
    const char* tile;
    const char* style;
  } modes[] = {{0, "0", "0"}, {1, "0", "2"}, {2, "1", "0"}, {3, "0", "2"}};
  for (const auto& m : modes) {
    settings.WallPosition = static_cast<app::PositionMode>(m.position);
    changer.ApplyWallpaper(pictures / "b.bmp", app::ChangeMode::Ordinary);
    EXPECT_EQ(RegValue(app::kDesktopKey, "TileWallpaper"), m.tile) << m.position;
    EXPECT_EQ(RegValue(app::kDesktopKey, "Wallpaperstyle"), m.style) << m.position;
    EXPECT_EQ(RegValue(app::kDesktopKey, "ConvertedWallpaper"), pictures / "b.bmp");
    const imaging::Bitmap file = imaging::ReadBmpFile(wallpaper);
    if (m.position == 3) {
      int w, h;
      desktop.ScreenSize(w, h);
      EXPECT_EQ(file.Width(), w);
      EXPECT_EQ(file.Height(), h);
    } else {
      EXPECT_EQ(file.Width(), 40);
      EXPECT_EQ(imaging::PixelColor(file, 5, 5), 0x00FF00u);
    }
  }
  EXPECT_EQ(IniValue(profile.Path(), "System", "LastWallIndex"), "1");
  EXPECT_EQ(IniValue(profile.Path(), "System", "LastWallPas"), pictures / "b.bmp");
  EXPECT_EQ(settings.LastWallIndex, 1);
}

TEST_F(RealApplyTest, RatioDrawingPlacesThePictureAtItsAnchor) {
  int w, h;
  desktop.ScreenSize(w, h);
  settings.WallPosition = app::PositionMode::RatioExpansion;
  settings.WallPositionRatioDrawing = 3;  // bottom
  settings.WallBlankColor = 0x00FFFF;     // yellow
  changer.ApplyWallpaper(pictures / "c.jpg", app::ChangeMode::Ordinary);
  const imaging::Bitmap file = imaging::ReadBmpFile(wallpaper);
  ASSERT_EQ(file.Width(), w);
  const int pictureHeight = w * 100 / 400;
  const auto blue = imaging::PixelColor(file, w / 2, h - pictureHeight / 2);
  EXPECT_GT(imaging::BlueOf(blue), 200);
  EXPECT_LT(imaging::RedOf(blue), 60);
  EXPECT_EQ(imaging::PixelColor(file, w / 2, 5), 0x00FFFFu);

  settings.WallBlankAutoColor = true;  // the picture's own frame color
  changer.ApplyWallpaper(pictures / "c.jpg", app::ChangeMode::Ordinary);
  const auto top = imaging::PixelColor(imaging::ReadBmpFile(wallpaper), w / 2, 5);
  EXPECT_GT(imaging::BlueOf(top), 200);
}

TEST_F(RealApplyTest, BackgroundColorIsWrittenOnlyWhenItDiffers) {
  settings.WallBlankColor = 0x030201;
  changer.ApplyWallpaper(pictures / "a.bmp", app::ChangeMode::Ordinary);
  EXPECT_EQ(RegValue(app::kColorsKey, "Background"), "1 2 3");
  EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), 0x030201u);

  settings.WallBlankColor = 0x0A0B0C;
  changer.ApplyWallpaper(pictures / "a.bmp", app::ChangeMode::AtSessionEnd);  // registry only
  EXPECT_EQ(RegValue(app::kColorsKey, "Background"), "12 11 10");
  EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), 0x030201u);
  EXPECT_EQ(RegValue(app::kDesktopKey, "Wallpaper"), wallpaper);
  EXPECT_EQ(RegValue(app::kDesktopKey, "OriginalWallpaper"), wallpaper);
}

TEST_F(RealApplyTest, QuietChangesAreNotRecorded) {
  changer.ApplyWallpaper(pictures / "c.jpg", app::ChangeMode::Quiet);
  EXPECT_EQ(RegValue(app::kDesktopKey, "ConvertedWallpaper"), pictures / "c.jpg");
  EXPECT_FALSE(FileExists(profile.Path()));
  EXPECT_EQ(settings.LastWallIndex, 0);
  changer.ApplyWallpaper(pictures / "c.jpg", app::ChangeMode::Ordinary);
  EXPECT_EQ(IniValue(profile.Path(), "System", "LastWallIndex"), "2");
  // A picture from outside the list is recorded at Count.
  WriteSolidBmp(appFolder / "outside.bmp", 4, 4, 0);
  changer.ApplyWallpaper(appFolder / "outside.bmp", app::ChangeMode::Ordinary);
  EXPECT_EQ(IniValue(profile.Path(), "System", "LastWallIndex"), "3");
}

TEST_F(RealApplyTest, NothingIsWrittenDuringEvasionOrForMissingFiles) {
  registry.WriteString(app::kDesktopKey, "TileWallpaper", "sentinel");
  settings.UrgentEvasionMode = true;
  changer.ApplyWallpaper(pictures / "a.bmp", app::ChangeMode::Ordinary);
  settings.UrgentEvasionMode = false;
  changer.ApplyWallpaper(pictures / "gone.bmp", app::ChangeMode::Ordinary);
  changer.ApplyWallpaper("", app::ChangeMode::Ordinary);
  EXPECT_EQ(RegValue(app::kDesktopKey, "TileWallpaper"), "sentinel");
  EXPECT_FALSE(FileExists(profile.Path()));
}

TEST_F(RealApplyTest, UndecodablePicturesChangeOnlyTileAndStyle) {
  registry.WriteString(app::kDesktopKey, "ConvertedWallpaper", "sentinel");
  registry.WriteString(app::kDesktopKey, "TileWallpaper", "x");
  settings.WallPosition = app::PositionMode::Tile;
  WriteFile(pictures / "notes.xyz", "not a picture");
  changer.ApplyWallpaper(pictures / "notes.xyz", app::ChangeMode::Ordinary);
  EXPECT_EQ(RegValue(app::kDesktopKey, "TileWallpaper"), "1");
  EXPECT_EQ(RegValue(app::kDesktopKey, "ConvertedWallpaper"), "sentinel");

  WriteFile(pictures / "broken.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));
  registry.WriteString(app::kDesktopKey, "TileWallpaper", "x");
  EXPECT_EQ(changer.ApplyWallpaper(pictures / "broken.jpg", app::ChangeMode::Ordinary),
            app::ApplyResult::PictureUnusable);
  EXPECT_EQ(RegValue(app::kDesktopKey, "TileWallpaper"), "1");
  EXPECT_EQ(RegValue(app::kDesktopKey, "ConvertedWallpaper"), "sentinel");
  EXPECT_FALSE(FileExists(profile.Path()));
}

TEST_F(RealApplyTest, MissingSoundFileFallsBackToTheBeep) {
  settings.SoundEnabled = true;
  settings.SoundFile = appFolder / "no-such.wav";
  changer.ApplyWallpaper(pictures / "a.bmp", app::ChangeMode::Ordinary);
  EXPECT_EQ(IniValue(profile.Path(), "System", "LastWallIndex"), "0");
  EXPECT_TRUE(desktop.sounds.empty());  // nothing to play: the beep at once
  EXPECT_EQ(desktop.beeps, 1);
  changer.ApplyWallpaper(pictures / "a.bmp", app::ChangeMode::Quiet);
  EXPECT_EQ(desktop.beeps, 1);  // a quiet change makes no sound
}

// A run that ends after its change hands the wallpaper to Windows on a thread
// of its own: the hand-overs keep their order, and the desktop waits for the
// last one before it goes.
TEST_F(RealApplyTest, BackgroundHandoverEndsWithTheLastWallpaperTaken) {
  {
    platform::WindowsDesktop background(platform::WindowsDesktop::Handover::Background);
    EXPECT_TRUE(background.SetWallpaper(pictures / "a.bmp"));
    EXPECT_TRUE(background.SetWallpaper(pictures / "b.bmp"));
  }
  char taken[MAX_PATH] = {};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, taken, 0));
  EXPECT_EQ(std::string(taken), pictures / "b.bmp");
}

}  // namespace
}  // namespace tapestrel::testing
