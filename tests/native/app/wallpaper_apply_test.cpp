#include <gtest/gtest.h>

#include <fstream>

#include "app/wallpaper_changer.h"
#include "common/exif_photo.h"
#include "fakes/fake_core.h"
#include "imaging/auto_color.h"
#include "imaging/bmp_file.h"
#include "imaging/file_bytes.h"
#include "imaging/jpeg_file.h"
#include "imaging/pixel_convert.h"
#include "imaging/ratio_layout.h"

namespace tapestrel::app {
namespace {

class ApplyWallpaperTest : public ::testing::Test, protected testing::FakeCore {
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
  const std::string picture = Add("a.bmp", testing::SolidPicture(8, 6, 0x0000FF));
  const char* expected[][2] = {{"0", "0"}, {"0", "2"}, {"1", "0"}, {"0", "2"}, {"0", "0"}};
  for (int mode = 0; mode <= 4; ++mode) {
    settings.WallPosition = static_cast<PositionMode>(mode);
    changer.ApplyWallpaper(picture, ChangeMode::Ordinary);
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
  EXPECT_EQ(renderer.WallpaperFilePath(), folder.Path() + "Local\\Microsoft\\Wallpaper1.bmp");
  registry.values[{kShellFoldersKey, "Local AppData"}] = "";
  EXPECT_EQ(renderer.WallpaperFilePath(), wallpaper);
}

TEST_F(ApplyWallpaperTest, CentredPictureSetsTheBackgroundOnlyWhenItDiffers) {
  const std::string picture = Add("a.bmp", testing::SolidPicture(4, 4, 0x112233));
  settings.WallBlankColor = 0x030201;  // red 1, green 2, blue 3
  changer.ApplyWallpaper(picture, ChangeMode::Ordinary);
  EXPECT_EQ(Reg(kColorsKey, "Background"), "<missing>");  // missing: taken as equal
  EXPECT_TRUE(desktop.backgrounds.empty());

  registry.values[{kColorsKey, "Background"}] = "0 0 0";
  changer.ApplyWallpaper(picture, ChangeMode::Ordinary);
  EXPECT_EQ(Reg(kColorsKey, "Background"), "1 2 3");
  EXPECT_EQ(desktop.backgrounds, std::vector<uint32_t>{0x030201});
  changer.ApplyWallpaper(picture, ChangeMode::Ordinary);  // equal now: nothing
  EXPECT_EQ(desktop.backgrounds.size(), 1u);

  // At the end of the session only the registry changes.
  settings.WallBlankColor = 0;
  changer.ApplyWallpaper(picture, ChangeMode::AtSessionEnd);
  EXPECT_EQ(Reg(kColorsKey, "Background"), "0 0 0");
  EXPECT_EQ(desktop.backgrounds.size(), 1u);

  // A system color is written as its current RGB; the automatic color
  // comes from the picture.
  settings.WallBlankColor = 0x80000005;
  changer.ApplyWallpaper(picture, ChangeMode::Ordinary);
  EXPECT_EQ(Reg(kColorsKey, "Background"), "5 5 5");
  settings.WallBlankAutoColor = true;
  changer.ApplyWallpaper(picture, ChangeMode::Ordinary);
  EXPECT_EQ(Reg(kColorsKey, "Background"), "51 34 17");
  // Other position modes leave the background alone.
  settings.WallPosition = PositionMode::Stretch;
  settings.WallBlankAutoColor = false;
  settings.WallBlankColor = 0xFFFFFF;
  changer.ApplyWallpaper(picture, ChangeMode::Ordinary);
  EXPECT_EQ(Reg(kColorsKey, "Background"), "51 34 17");
}

TEST_F(ApplyWallpaperTest, ChangeModesHandTheFileOverDifferently) {
  const std::string picture = Add("a.bmp", testing::SolidPicture(4, 4, 0));
  settings.SoundEnabled = true;
  settings.SoundFile = folder / "change.wav";
  files.files.insert(settings.SoundFile);

  changer.ApplyWallpaper(picture, ChangeMode::Quiet);
  EXPECT_EQ(desktop.wallpapers.size(), 1u);
  EXPECT_TRUE(desktop.sounds.empty());
  EXPECT_FALSE(profile.Has("System", "LastWallIndex"));

  changer.ApplyWallpaper(picture, ChangeMode::AtSessionEnd);
  EXPECT_EQ(desktop.wallpapers.size(), 1u);  // Windows is not called
  EXPECT_EQ(Reg(kDesktopKey, "Wallpaper"), wallpaper);
  EXPECT_EQ(Reg(kDesktopKey, "OriginalWallpaper"), wallpaper);
  EXPECT_EQ(profile.Get("System", "LastWallIndex"), "0");

  changer.ApplyWallpaper(picture, ChangeMode::Ordinary);
  EXPECT_EQ(desktop.wallpapers.size(), 2u);
  EXPECT_EQ(desktop.sounds, std::vector<std::string>{settings.SoundFile});
  EXPECT_EQ(desktop.beeps, 0);

  files.files.erase(settings.SoundFile);  // missing sound: the default beep
  changer.ApplyWallpaper(picture, ChangeMode::Ordinary);
  EXPECT_EQ(desktop.beeps, 1);
  settings.SoundFile.clear();
  changer.ApplyWallpaper(picture, ChangeMode::Ordinary);
  EXPECT_EQ(desktop.beeps, 2);
  settings.SoundEnabled = false;
  changer.ApplyWallpaper(picture, ChangeMode::Ordinary);
  EXPECT_EQ(desktop.beeps, 2);
}

TEST_F(ApplyWallpaperTest, RatioDrawingFillsTheScreen) {
  desktop.width = 100;
  desktop.height = 100;
  settings.WallPosition = PositionMode::RatioExpansion;
  settings.WallPositionRatioDrawing = 1;  // top
  settings.WallBlankColor = 0x00FF00;
  const std::string wide = Add("wide.bmp", testing::SolidPicture(200, 100, 0x0000FF));
  changer.ApplyWallpaper(wide, ChangeMode::Ordinary);
  const imaging::Bitmap canvas = imaging::ReadBmpFile(wallpaper);
  ASSERT_EQ(canvas.Width(), 100);
  ASSERT_EQ(canvas.Height(), 100);
  EXPECT_EQ(canvas.Format(), imaging::PixelFormat::Bits32);
  EXPECT_EQ(imaging::PixelColor(canvas, 50, 20), 0x0000FFu);  // the picture at the top
  EXPECT_EQ(imaging::PixelColor(canvas, 50, 80), 0x00FF00u);  // blank below it
  EXPECT_TRUE(desktop.backgrounds.empty());

  // Same proportions as the screen: the picture's own file stays.
  const std::string square = Add("square.bmp", testing::SolidPicture(50, 50, 0xFF0000));
  changer.ApplyWallpaper(square, ChangeMode::Ordinary);
  EXPECT_EQ(imaging::ReadBmpFile(wallpaper).Width(), 50);
}

TEST_F(ApplyWallpaperTest, RatioDrawnJpegsGiveTheCanvasOfTheDecodedPicture) {
  // A JPEG is drawn while it is decoded; the file must be what drawing the
  // decoded picture gives, with a set color or the picture's own.
  desktop.width = 64;
  desktop.height = 48;
  settings.WallPosition = PositionMode::RatioExpansion;
  settings.WallPositionRatioDrawing = 7;  // bottom right
  imaging::Bitmap photo(90, 100, imaging::PixelFormat::Bits24);
  for (int y = 0; y < 100; ++y) {
    for (int i = 0; i < 270; ++i) photo.Row(y)[i] = static_cast<uint8_t>(i * 7 + y * 3);
  }
  const std::string jpeg = folder / "photo.jpg";
  imaging::EncodeJpegFile(jpeg, photo);
  files.files.insert(jpeg);
  const imaging::Bitmap decoded = imaging::DecodeJpegFile(jpeg);
  for (bool automatic : {false, true}) {
    settings.WallBlankAutoColor = automatic;
    settings.WallBlankColor = 0x123456;
    ASSERT_EQ(changer.ApplyWallpaper(jpeg, ChangeMode::Ordinary), ApplyResult::Applied);
    const auto canvas = imaging::RenderRatioExpansion(
        decoded, 64, 48, 7, automatic ? imaging::AutoBlankColor(decoded) : imaging::ColorValue{0x123456});
    ASSERT_TRUE(canvas);
    EXPECT_EQ(imaging::ReadBmpFile(wallpaper), canvas->Dib()) << automatic;
  }
  // A JPEG of the screen's proportions is written as it is.
  const std::string same = folder / "same.jpg";
  imaging::EncodeJpegFile(same, testing::SolidPicture(32, 24, 0x808080));
  files.files.insert(same);
  changer.ApplyWallpaper(same, ChangeMode::Ordinary);
  EXPECT_EQ(imaging::ReadBmpFile(wallpaper), imaging::DecodeJpegFile(same));
  // One that fails to decode is not used, and the last wallpaper stays.
  const std::string cut = folder / "cut.jpg";
  {
    const auto bytes = imaging::EncodeJpeg(photo);
    std::ofstream(cut, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size() / 2));
  }
  files.files.insert(cut);
  EXPECT_EQ(changer.ApplyWallpaper(cut, ChangeMode::Ordinary), ApplyResult::PictureUnusable);
  EXPECT_EQ(imaging::ReadBmpFile(wallpaper).Width(), 32);
}

TEST_F(ApplyWallpaperTest, PhotosAreTurnedAsTheirCameraRecordedBeforeAnyScaling) {
  // Centred and ratio-drawn (around it the turned picture's frame color): the
  // photo turned by hand applied as a bitmap; switched off, as stored.
  desktop.width = 64;
  desktop.height = 40;
  settings.WallBlankAutoColor = true;
  imaging::Bitmap stored(48, 32, imaging::PixelFormat::Bits24);
  for (int y = 0; y < 32; ++y)
    for (int i = 0; i < 144; ++i) stored.Row(y)[i] = static_cast<uint8_t>(i * 5 + y * 7);
  const std::vector<uint8_t> jpeg = imaging::EncodeJpeg(stored);
  const imaging::Bitmap decoded = imaging::DecodeJpeg(jpeg);
  const std::string photo = folder / "photo.jpg", byHand = folder / "by_hand.bmp";
  files.files.insert({photo, byHand});
  for (PositionMode position : {PositionMode::Center, PositionMode::RatioExpansion})
    for (int orientation = 1; orientation <= 8; ++orientation)
      for (bool on : {true, false}) {
        settings.WallPosition = position;
        settings.ExifOrientation = on;
        imaging::WriteFileBytes(photo, testing::WithExifBlock(jpeg, testing::OrientationTiff(orientation)));
        ASSERT_EQ(changer.ApplyWallpaper(photo, ChangeMode::Ordinary), ApplyResult::Applied);
        const imaging::Bitmap fromPhoto = imaging::ReadBmpFile(wallpaper);
        imaging::WriteBmpFile(byHand, on ? testing::TurnedByHand(decoded, orientation) : decoded);
        changer.ApplyWallpaper(byHand, ChangeMode::Ordinary);
        EXPECT_EQ(fromPhoto, imaging::ReadBmpFile(wallpaper)) << int(position) << orientation << on;
      }
}

TEST_F(ApplyWallpaperTest, PicturesThatCannotBeDecodedChangeOnlyTileAndStyle) {
  settings.WallPosition = PositionMode::Tile;
  const std::string unknown = folder / "notes.xyz";
  files.files.insert(unknown);
  EXPECT_EQ(changer.ApplyWallpaper(unknown, ChangeMode::Ordinary), ApplyResult::PictureUnusable);
  EXPECT_EQ(registry.writeLog, (std::vector<std::string>{std::string(kDesktopKey) + "/TileWallpaper",
                                                         std::string(kDesktopKey) + "/Wallpaperstyle"}));
  EXPECT_TRUE(desktop.wallpapers.empty());

  const std::string corrupt = folder / "broken.jpg";
  { std::ofstream(corrupt) << "\xFF\xD8\xFF\xE0 not really a JPEG"; }
  files.files.insert(corrupt);
  EXPECT_EQ(changer.ApplyWallpaper(corrupt, ChangeMode::Ordinary), ApplyResult::PictureUnusable);
  EXPECT_EQ(registry.writeLog.size(), 4u);
  EXPECT_TRUE(desktop.wallpapers.empty());
  EXPECT_TRUE(profile.values.empty());
}

TEST_F(ApplyWallpaperTest, PlugInPicturesAndJpegsBecomeWallpapers) {
  plugins.extension = ".mag";
  const std::string mag = folder / "art.mag";
  files.files.insert(mag);
  changer.ApplyWallpaper(mag, ChangeMode::Ordinary);
  EXPECT_EQ(imaging::ReadBmpFile(wallpaper).Width(), 6);

  const std::string jpeg = folder / "photo.JPEG";
  imaging::EncodeJpegFile(jpeg, testing::SolidPicture(16, 8, 0x808080));
  files.files.insert(jpeg);
  changer.ApplyWallpaper(jpeg, ChangeMode::Ordinary);
  const imaging::Bitmap written = imaging::ReadBmpFile(wallpaper);
  EXPECT_EQ(written.Width(), 16);
  EXPECT_EQ(written.Height(), 8);
  EXPECT_EQ(desktop.wallpapers.size(), 2u);
}

}  // namespace
}  // namespace tapestrel::app
