// ApplyWallpaper with the real registry, files and desktop of Wine.
#include <gtest/gtest.h>

#include "imaging/bmp_file.h"
#include "imaging/jpeg_file.h"
#include "imaging/pixel_convert.h"
#include "win_support/pictures.h"
#include "win_support/real_core.h"

namespace tapestrel::testing {
namespace {

std::string RegValue(const char* key, const char* name) {
  return platform::CurrentUserRegistry().ReadString(key, name).value_or("<missing>");
}

class RealApplyTest : public ::testing::Test, protected RealCore {
 protected:
  std::string wallpaper = core.WallpaperFilePath();

  void SetUp() override {
    WriteSolidBmp(pictures / "a.bmp", 40, 30, 0xFF0000);
    WriteSolidBmp(pictures / "b.bmp", 40, 20, 0x00FF00);  // not the screen's proportions
    imaging::Bitmap wide(400, 100, imaging::PixelFormat::Bits24);
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 400; ++x) wide.Row(y)[x * 3] = 0xFF;  // blue
    }
    imaging::EncodeJpegFile(pictures / "c.jpg", wide);
    ListPictures({".bmp", ".jpg"});
    registry.WriteString(app::kColorsKey, "Background", "0 0 0");
    registry.WriteString(app::kDesktopKey, "Wallpaper", "before");
    core.Settings().WallBlankColor = 0;
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
    core.Settings().WallPosition = m.position;
    core.ApplyWallpaper(pictures / "b.bmp", app::kChangeOrdinary);
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
  EXPECT_EQ(core.Settings().LastWallIndex, 1);
}

TEST_F(RealApplyTest, RatioDrawingPlacesThePictureAtItsAnchor) {
  int w, h;
  desktop.ScreenSize(w, h);
  core.Settings().WallPosition = 3;
  core.Settings().WallPositionRatioDrawing = 3;  // bottom
  core.Settings().WallBlankColor = 0x00FFFF;     // yellow
  core.ApplyWallpaper(pictures / "c.jpg", app::kChangeOrdinary);
  const imaging::Bitmap file = imaging::ReadBmpFile(wallpaper);
  ASSERT_EQ(file.Width(), w);
  const int pictureHeight = w * 100 / 400;
  const auto blue = imaging::PixelColor(file, w / 2, h - pictureHeight / 2);
  EXPECT_GT(imaging::BlueOf(blue), 200);
  EXPECT_LT(imaging::RedOf(blue), 60);
  EXPECT_EQ(imaging::PixelColor(file, w / 2, 5), 0x00FFFFu);

  core.Settings().WallBlankAutoColor = true;  // the picture's own frame colour
  core.ApplyWallpaper(pictures / "c.jpg", app::kChangeOrdinary);
  const auto top = imaging::PixelColor(imaging::ReadBmpFile(wallpaper), w / 2, 5);
  EXPECT_GT(imaging::BlueOf(top), 200);
}

TEST_F(RealApplyTest, BackgroundColourIsWrittenOnlyWhenItDiffers) {
  core.Settings().WallBlankColor = 0x030201;
  core.ApplyWallpaper(pictures / "a.bmp", app::kChangeOrdinary);
  EXPECT_EQ(RegValue(app::kColorsKey, "Background"), "1 2 3");
  EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), 0x030201u);

  core.Settings().WallBlankColor = 0x0A0B0C;
  core.ApplyWallpaper(pictures / "a.bmp", app::kChangeAtSessionEnd);  // registry only
  EXPECT_EQ(RegValue(app::kColorsKey, "Background"), "12 11 10");
  EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), 0x030201u);
  EXPECT_EQ(RegValue(app::kDesktopKey, "Wallpaper"), wallpaper);
  EXPECT_EQ(RegValue(app::kDesktopKey, "OriginalWallpaper"), wallpaper);
}

TEST_F(RealApplyTest, QuietChangesAreNotRecorded) {
  core.ApplyWallpaper(pictures / "c.jpg", app::kChangeQuiet);
  EXPECT_EQ(RegValue(app::kDesktopKey, "ConvertedWallpaper"), pictures / "c.jpg");
  EXPECT_FALSE(FileExists(profile.Path()));
  EXPECT_EQ(core.Settings().LastWallIndex, 0);
  core.ApplyWallpaper(pictures / "c.jpg", app::kChangeOrdinary);
  EXPECT_EQ(IniValue(profile.Path(), "System", "LastWallIndex"), "2");
  // A picture from outside the list is recorded at Count.
  WriteSolidBmp(appFolder / "outside.bmp", 4, 4, 0);
  core.ApplyWallpaper(appFolder / "outside.bmp", app::kChangeOrdinary);
  EXPECT_EQ(IniValue(profile.Path(), "System", "LastWallIndex"), "3");
}

TEST_F(RealApplyTest, NothingIsWrittenDuringEvasionOrForMissingFiles) {
  registry.WriteString(app::kDesktopKey, "TileWallpaper", "sentinel");
  core.Settings().UrgentEvasionMode = true;
  core.ApplyWallpaper(pictures / "a.bmp", app::kChangeOrdinary);
  core.Settings().UrgentEvasionMode = false;
  core.ApplyWallpaper(pictures / "gone.bmp", app::kChangeOrdinary);
  core.ApplyWallpaper("", app::kChangeOrdinary);
  EXPECT_EQ(RegValue(app::kDesktopKey, "TileWallpaper"), "sentinel");
  EXPECT_FALSE(FileExists(profile.Path()));
}

TEST_F(RealApplyTest, UndecodablePicturesChangeOnlyTileAndStyle) {
  registry.WriteString(app::kDesktopKey, "ConvertedWallpaper", "sentinel");
  registry.WriteString(app::kDesktopKey, "TileWallpaper", "x");
  core.Settings().WallPosition = 2;
  WriteFile(pictures / "notes.xyz", "not a picture");
  core.ApplyWallpaper(pictures / "notes.xyz", app::kChangeOrdinary);
  EXPECT_EQ(RegValue(app::kDesktopKey, "TileWallpaper"), "1");
  EXPECT_EQ(RegValue(app::kDesktopKey, "ConvertedWallpaper"), "sentinel");

  WriteFile(pictures / "broken.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));
  registry.WriteString(app::kDesktopKey, "TileWallpaper", "x");
  EXPECT_THROW(core.ApplyWallpaper(pictures / "broken.jpg", app::kChangeOrdinary), imaging::ImageError);
  EXPECT_EQ(RegValue(app::kDesktopKey, "TileWallpaper"), "1");
  EXPECT_EQ(RegValue(app::kDesktopKey, "ConvertedWallpaper"), "sentinel");
  EXPECT_FALSE(FileExists(profile.Path()));
}

TEST_F(RealApplyTest, MissingSoundFileFallsBackToTheBeep) {
  core.Settings().SoundEnabled = true;
  core.Settings().SoundFile = appFolder / "no-such.wav";
  core.ApplyWallpaper(pictures / "a.bmp", app::kChangeOrdinary);
  EXPECT_EQ(IniValue(profile.Path(), "System", "LastWallIndex"), "0");
}

}  // namespace
}  // namespace tapestrel::testing
