#include <gtest/gtest.h>

#include <fstream>

#include "app/app_core.h"
#include "fakes/fake_core.h"
#include "imaging/bmp_file.h"
#include "imaging/jpeg_file.h"
#include "imaging/pixel_convert.h"

namespace tapestrel::app {
namespace {

class ApplyWallpaperTest : public ::testing::Test, protected fakes::FakeCore {
 protected:
  std::string wallpaper = folder.Path() + "Wallpaper1.bmp";

  std::string Add(const std::string& name, const imaging::Bitmap& picture) {
    const std::string path = folder.WriteBmp(name, picture);
    files.files.insert(path);
    pictures.paths.push_back(path);
    return path;
  }
  std::string Reg(const char* key, const char* name) { return Registry(key, name); }
};

TEST_F(ApplyWallpaperTest, PositionModesWriteTheirRegistryValues) {
  const std::string picture = Add("a.bmp", fakes::PictureFolder::Solid(8, 6, 0x0000FF));
  const char* expected[][2] = {{"0", "0"}, {"0", "2"}, {"1", "0"}, {"0", "2"}, {"0", "0"}};
  for (int mode = 0; mode <= 4; ++mode) {
    core.Settings().WallPosition = mode;
    core.ApplyWallpaper(picture, kChangeOrdinary);
    EXPECT_EQ(Reg(kDesktopKey, "TileWallpaper"), expected[mode][0]) << mode;
    EXPECT_EQ(Reg(kDesktopKey, "Wallpaperstyle"), expected[mode][1]) << mode;
  }
  EXPECT_EQ(desktop.wallpapers.size(), 5u);
  EXPECT_EQ(desktop.wallpapers.back(), wallpaper);
  EXPECT_EQ(Reg(kDesktopKey, "ConvertedWallpaper"), picture);
  // The wallpaper file is the picture at its own size and depth.
  const imaging::Bitmap written = imaging::ReadBmpFile(wallpaper);
  EXPECT_EQ(written.Width(), 8);
  EXPECT_EQ(written.Format(), imaging::PixelFormat::Bits24);
  EXPECT_EQ(imaging::PixelColor(written, 3, 3), 0x0000FFu);
}

TEST_F(ApplyWallpaperTest, WallpaperFileGoesBelowLocalAppData) {
  registry.values[{kShellFoldersKey, "Local AppData"}] = folder.Path() + "Local";
  EXPECT_EQ(core.WallpaperFilePath(), folder.Path() + "Local\\Microsoft\\Wallpaper1.bmp");
  registry.values[{kShellFoldersKey, "Local AppData"}] = "";
  EXPECT_EQ(core.WallpaperFilePath(), wallpaper);
}

TEST_F(ApplyWallpaperTest, CentredPictureSetsTheBackgroundOnlyWhenItDiffers) {
  const std::string picture = Add("a.bmp", fakes::PictureFolder::Solid(4, 4, 0x112233));
  core.Settings().WallBlankColor = 0x030201;  // red 1, green 2, blue 3
  core.ApplyWallpaper(picture, kChangeOrdinary);
  EXPECT_EQ(Reg(kColorsKey, "Background"), "<missing>");  // missing: taken as equal
  EXPECT_TRUE(desktop.backgrounds.empty());

  registry.values[{kColorsKey, "Background"}] = "0 0 0";
  core.ApplyWallpaper(picture, kChangeOrdinary);
  EXPECT_EQ(Reg(kColorsKey, "Background"), "1 2 3");
  EXPECT_EQ(desktop.backgrounds, std::vector<uint32_t>{0x030201});
  core.ApplyWallpaper(picture, kChangeOrdinary);  // equal now: nothing
  EXPECT_EQ(desktop.backgrounds.size(), 1u);

  // At the end of the session only the registry changes.
  core.Settings().WallBlankColor = 0;
  core.ApplyWallpaper(picture, kChangeAtSessionEnd);
  EXPECT_EQ(Reg(kColorsKey, "Background"), "0 0 0");
  EXPECT_EQ(desktop.backgrounds.size(), 1u);

  // A system colour is written as its current RGB; the automatic colour
  // comes from the picture.
  core.Settings().WallBlankColor = 0x80000005;
  core.ApplyWallpaper(picture, kChangeOrdinary);
  EXPECT_EQ(Reg(kColorsKey, "Background"), "5 5 5");
  core.Settings().WallBlankAutoColor = true;
  core.ApplyWallpaper(picture, kChangeOrdinary);
  EXPECT_EQ(Reg(kColorsKey, "Background"), "51 34 17");
  // Other position modes leave the background alone.
  core.Settings().WallPosition = 1;
  core.Settings().WallBlankAutoColor = false;
  core.Settings().WallBlankColor = 0xFFFFFF;
  core.ApplyWallpaper(picture, kChangeOrdinary);
  EXPECT_EQ(Reg(kColorsKey, "Background"), "51 34 17");
}

TEST_F(ApplyWallpaperTest, ChangeModesHandTheFileOverDifferently) {
  const std::string picture = Add("a.bmp", fakes::PictureFolder::Solid(4, 4, 0));
  core.Settings().SoundEnabled = true;
  core.Settings().SoundFile = folder / "change.wav";
  files.files.insert(core.Settings().SoundFile);

  core.ApplyWallpaper(picture, kChangeQuiet);
  EXPECT_EQ(desktop.wallpapers.size(), 1u);
  EXPECT_TRUE(desktop.sounds.empty());
  EXPECT_FALSE(profile.Has("System", "LastWallIndex"));

  core.ApplyWallpaper(picture, kChangeAtSessionEnd);
  EXPECT_EQ(desktop.wallpapers.size(), 1u);  // Windows is not called
  EXPECT_EQ(Reg(kDesktopKey, "Wallpaper"), wallpaper);
  EXPECT_EQ(Reg(kDesktopKey, "OriginalWallpaper"), wallpaper);
  EXPECT_EQ(profile.Get("System", "LastWallIndex"), "0");

  core.ApplyWallpaper(picture, kChangeOrdinary);
  EXPECT_EQ(desktop.wallpapers.size(), 2u);
  EXPECT_EQ(desktop.sounds, std::vector<std::string>{core.Settings().SoundFile});
  EXPECT_EQ(desktop.beeps, 0);

  files.files.erase(core.Settings().SoundFile);  // missing sound: the default beep
  core.ApplyWallpaper(picture, kChangeOrdinary);
  EXPECT_EQ(desktop.beeps, 1);
  core.Settings().SoundFile.clear();
  core.ApplyWallpaper(picture, kChangeOrdinary);
  EXPECT_EQ(desktop.beeps, 2);
  core.Settings().SoundEnabled = false;
  core.ApplyWallpaper(picture, kChangeOrdinary);
  EXPECT_EQ(desktop.beeps, 2);
}

TEST_F(ApplyWallpaperTest, RatioDrawingFillsTheScreen) {
  desktop.width = 100;
  desktop.height = 100;
  core.Settings().WallPosition = 3;
  core.Settings().WallPositionRatioDrawing = 1;  // top
  core.Settings().WallBlankColor = 0x00FF00;
  const std::string wide = Add("wide.bmp", fakes::PictureFolder::Solid(200, 100, 0x0000FF));
  core.ApplyWallpaper(wide, kChangeOrdinary);
  const imaging::Bitmap canvas = imaging::ReadBmpFile(wallpaper);
  ASSERT_EQ(canvas.Width(), 100);
  ASSERT_EQ(canvas.Height(), 100);
  EXPECT_EQ(canvas.Format(), imaging::PixelFormat::Bits32);
  EXPECT_EQ(imaging::PixelColor(canvas, 50, 20), 0x0000FFu);  // the picture at the top
  EXPECT_EQ(imaging::PixelColor(canvas, 50, 80), 0x00FF00u);  // blank below it
  EXPECT_TRUE(desktop.backgrounds.empty());

  // Same proportions as the screen: the picture's own file stays.
  const std::string square = Add("square.bmp", fakes::PictureFolder::Solid(50, 50, 0xFF0000));
  core.ApplyWallpaper(square, kChangeOrdinary);
  EXPECT_EQ(imaging::ReadBmpFile(wallpaper).Width(), 50);
}

TEST_F(ApplyWallpaperTest, PicturesThatCannotBeDecodedChangeOnlyTileAndStyle) {
  core.Settings().WallPosition = 2;
  const std::string unknown = folder / "notes.xyz";
  files.files.insert(unknown);
  core.ApplyWallpaper(unknown, kChangeOrdinary);
  EXPECT_EQ(registry.writeLog, (std::vector<std::string>{std::string(kDesktopKey) + "/TileWallpaper",
                                                         std::string(kDesktopKey) + "/Wallpaperstyle"}));
  EXPECT_TRUE(desktop.wallpapers.empty());

  const std::string corrupt = folder / "broken.jpg";
  { std::ofstream(corrupt) << "\xFF\xD8\xFF\xE0 not really a JPEG"; }
  files.files.insert(corrupt);
  EXPECT_THROW(core.ApplyWallpaper(corrupt, kChangeOrdinary), imaging::ImageError);
  EXPECT_EQ(registry.writeLog.size(), 4u);
  EXPECT_TRUE(desktop.wallpapers.empty());
  EXPECT_TRUE(profile.values.empty());
}

TEST_F(ApplyWallpaperTest, PlugInPicturesAndJpegsBecomeWallpapers) {
  plugins.extension = ".mag";
  const std::string mag = folder / "art.mag";
  files.files.insert(mag);
  core.ApplyWallpaper(mag, kChangeOrdinary);
  EXPECT_EQ(imaging::ReadBmpFile(wallpaper).Width(), 6);

  const std::string jpeg = folder / "photo.JPEG";
  imaging::EncodeJpegFile(jpeg, fakes::PictureFolder::Solid(16, 8, 0x808080));
  files.files.insert(jpeg);
  core.ApplyWallpaper(jpeg, kChangeOrdinary);
  const imaging::Bitmap written = imaging::ReadBmpFile(wallpaper);
  EXPECT_EQ(written.Width(), 16);
  EXPECT_EQ(written.Height(), 8);
  EXPECT_EQ(desktop.wallpapers.size(), 2u);
}

}  // namespace
}  // namespace tapestrel::app
