#include <gtest/gtest.h>

#include <filesystem>

#include "app/screen_capture.h"
#include "app/urgent_evasion.h"
#include "fakes/fake_core.h"
#include "imaging/bmp_file.h"
#include "imaging/jpeg_file.h"
#include "imaging/pixel_convert.h"
#include "imaging/png/png_file.h"

namespace tapestrel::app {
namespace {

class RecordingKeyboard : public platform::KeyboardPort {
 public:
  std::vector<std::pair<int, bool>> presses;
  void KeyEvent(uint8_t key, bool up) override { presses.emplace_back(key, up); }
};

class PatternScreen : public app::ScreenCapturePort {
 public:
  int pumps = 0;
  imaging::Bitmap CaptureScreen() override { return testing::SolidPicture(64, 48, 0x0000FF); }
  imaging::Bitmap CaptureActiveWindow() override { return testing::SolidPicture(30, 20, 0x00FF00); }
  void ProcessMessages() override { ++pumps; }
};

class EvasionCaptureTest : public ::testing::Test, protected testing::FakeCore {
 protected:
  RecordingKeyboard keyboard;
  std::vector<int> icons;
  UrgentEvasion evasion{settings, ini, changer, {desktop, files, keyboard}, [this](TrayIconImage icon) {
                          icons.push_back(static_cast<int>(icon));
                        }};

  std::string Picture(const std::string& name, uint32_t color) {
    return FakeCore::Picture(name, color, false);
  }
};

TEST_F(EvasionCaptureTest, EnteringAppliesTheSafePictureQuietlyAndBlocksChanges) {
  const std::string last = Picture("last.bmp", 0xFF0000);
  const std::string safe = Picture("safe.bmp", 0x00FF00);
  changer.ApplyWallpaper(last, ChangeMode::Ordinary);
  const auto systemBefore = profile.values;
  settings.UrgentEvasionFileName = safe;

  evasion.ToggleUrgentEvasion();
  EXPECT_TRUE(settings.UrgentEvasionMode);
  EXPECT_EQ(desktop.wallpapers.size(), 2u);
  EXPECT_EQ(profile.Get("System", "LastWallPas"), last);  // not recorded
  EXPECT_EQ(profile.Get("System", "UrgentEvasionMode"), "1");
  EXPECT_EQ(icons, std::vector<int>{1});
  EXPECT_TRUE(keyboard.presses.empty());  // minimising is off

  changer.ApplyWallpaper(last, ChangeMode::Ordinary);  // blocked, for every caller
  changer.ChangeWallpaper(ChangeMode::Ordinary);
  EXPECT_EQ(desktop.wallpapers.size(), 2u);

  evasion.ToggleUrgentEvasion();  // leaving restores the last picture from the INI file
  EXPECT_FALSE(settings.UrgentEvasionMode);
  EXPECT_EQ(desktop.wallpapers.size(), 3u);
  EXPECT_EQ(imaging::PixelColor(imaging::ReadBmpFile(desktop.wallpapers.back()), 1, 1), 0xFF0000u);
  EXPECT_EQ(profile.Get("System", "UrgentEvasionMode"), "0");
  EXPECT_EQ(icons, (std::vector<int>{1, 0}));
}

TEST_F(EvasionCaptureTest, WithoutASafePictureTheWallpaperIsRemoved) {
  evasion.ToggleUrgentEvasion();
  EXPECT_EQ(desktop.wallpapers, std::vector<std::string>{""});
  EXPECT_EQ(registry.values.at({kDesktopKey, "ConvertedWallpaper"}), "");
  EXPECT_FALSE(profile.Has("System", "LastWallPas"));
  // Leaving with "LastWallPas" naming a deleted file keeps the evasion
  // wallpaper, and changes work again.
  profile.values[{"System", "LastWallPas"}] = folder / "deleted.bmp";
  evasion.ToggleUrgentEvasion();
  EXPECT_EQ(desktop.wallpapers.size(), 1u);
  changer.ApplyWallpaper(Picture("next.bmp", 0), ChangeMode::Ordinary);
  EXPECT_EQ(desktop.wallpapers.size(), 2u);
}

TEST_F(EvasionCaptureTest, MinimiseAllSendsTheExactKeystrokes) {
  settings.AllWindowMinimize = true;
  evasion.ToggleUrgentEvasion();
  const std::vector<std::pair<int, bool>> enter = {{0x10, true},  {0x12, true}, {0x11, true}, {0x5B, false},
                                                   {0x4D, false}, {0x4D, true}, {0x5B, true}};
  EXPECT_EQ(keyboard.presses, enter);
  keyboard.presses.clear();
  evasion.ToggleUrgentEvasion();
  const std::vector<std::pair<int, bool>> leave = {{0x10, true},  {0x12, true},  {0x11, true},
                                                   {0x5B, false}, {0x10, false}, {0x4D, false},
                                                   {0x4D, true},  {0x10, true},  {0x5B, true}};
  EXPECT_EQ(keyboard.presses, leave);
}

TEST_F(EvasionCaptureTest, TrayItemFlipsOnlyTheFlagAndIcon) {
  evasion.ToggleChangeBlock();
  EXPECT_TRUE(settings.UrgentEvasionMode);
  EXPECT_TRUE(desktop.wallpapers.empty());
  EXPECT_TRUE(profile.values.empty());
  EXPECT_EQ(icons, std::vector<int>{1});
  evasion.ToggleChangeBlock();
  EXPECT_EQ(icons, (std::vector<int>{1, 0}));
}

TEST_F(EvasionCaptureTest, CaptureNamesTakeTheFirstFreeNumber) {
  files.files = {"C:\\w\\ScreenShot000.bmp", "C:\\w\\ScreenShot002.bmp"};
  EXPECT_EQ(NextCaptureFileName(files, "C:\\w", "ScreenShot", ".bmp"), "C:\\w\\ScreenShot001.bmp");
  EXPECT_EQ(NextCaptureFileName(files, "C:\\w\\", "ScreenShot", ".png"), "C:\\w\\ScreenShot000.png");
  files.files.clear();
  for (int i = 0; i < 1000; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "C:\\w\\ScreenShot%03d.png", i);
    files.files.insert(name);
  }
  EXPECT_EQ(NextCaptureFileName(files, "C:\\w", "ScreenShot", ".png"), "C:\\w\\ScreenShot1000.png");
  EXPECT_EQ(NextCaptureFileName(files, "C:\\w", "", ".jpg"), "C:\\w\\000.jpg");
  EXPECT_EQ(CaptureExtension(0), ".bmp");
  EXPECT_EQ(CaptureExtension(1), ".jpg");
  EXPECT_EQ(CaptureExtension(2), ".png");
  EXPECT_EQ(CaptureExtension(3), "");
}

TEST(Capture, EachFormatIsSavedNumberedAndApplied) {
  testing::FakeCore fake;
  fake.files.realFiles = true;
  SettingsRecord& settings = fake.settings;
  testing::PictureFolder& folder = fake.folder;
  testing::FakeProfile& profile = fake.profile;
  testing::FakeDesktop& desktop = fake.desktop;
  settings.WallPaperFolder = folder.Path();
  settings.CaptureFileName = "";
  PatternScreen screen;
  WallpaperCapture capture{settings, fake.files, screen, fake.changer};

  settings.CaptureFileExt = kCaptureJpg;
  std::string path = capture.CaptureToWallpaper(CaptureArea::WholeScreen);
  EXPECT_EQ(path, folder.Path() + "\\000.jpg");
  EXPECT_EQ(imaging::DecodeJpegFile(path).Width(), 64);
  EXPECT_EQ(profile.Get("System", "LastWallPas"), path);
  path = capture.CaptureToWallpaper(CaptureArea::ActiveWindow);
  EXPECT_EQ(path, folder.Path() + "\\001.jpg");
  EXPECT_EQ(imaging::DecodeJpegFile(path).Width(), 30);

  settings.CaptureFileName = "Shot";
  settings.CaptureFileExt = kCapturePng;
  path = capture.CaptureToWallpaper(CaptureArea::WholeScreen);
  const imaging::PngPicture png = imaging::LoadPngFile(path);
  EXPECT_EQ(imaging::PixelColor(png.image, 10, 10), 0x0000FFu);

  settings.CaptureFileExt = kCaptureBmp;
  int added = 0;
  path = capture.CaptureToWallpaper(CaptureArea::ActiveWindow, [&] { ++added; });
  EXPECT_EQ(imaging::PixelColor(imaging::ReadBmpFile(path), 3, 3), 0x00FF00u);
  EXPECT_EQ(added, 1);
  EXPECT_EQ(desktop.wallpapers.size(), 4u);
  EXPECT_EQ(screen.pumps, 4);

  settings.CaptureFileExt = 9;  // unknown: nothing written, nothing applied
  path = capture.CaptureToWallpaper(CaptureArea::WholeScreen);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(desktop.wallpapers.size(), 4u);

  settings.CaptureFileExt = kCaptureBmp;  // during evasion: written, not applied
  settings.UrgentEvasionMode = true;
  path = capture.CaptureToWallpaper(CaptureArea::WholeScreen);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(desktop.wallpapers.size(), 4u);
}

}  // namespace
}  // namespace tapestrel::app
