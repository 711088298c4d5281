// Turning one picture file into the desktop wallpaper.
#include <cstdio>

#include "app/app_core.h"
#include "imaging/auto_colour.h"
#include "imaging/bmp_file.h"
#include "imaging/picture_file.h"
#include "imaging/pixel_convert.h"
#include "imaging/ratio_layout.h"
#include "platform/paths.h"

namespace tapestrel::app {
namespace {

enum PositionMode { kCentre = 0, kStretch = 1, kTile = 2, kRatio = 3 };

std::string RgbText(imaging::ColorValue c) {
  char text[16];
  std::snprintf(text, sizeof text, "%u %u %u", imaging::RedOf(c), imaging::GreenOf(c), imaging::BlueOf(c));
  return text;
}

}  // namespace

std::string AppCore::WallpaperFilePath() const {
  const std::string localAppData = ports_.registry.ReadString(kShellFoldersKey, "Local AppData").value_or("");
  if (localAppData.empty()) return ports_.executableFolder + "Wallpaper1.bmp";
  return localAppData + "\\Microsoft\\Wallpaper1.bmp";
}

void AppCore::ApplyWallpaper(const std::string& fileName, int mode) {
  if (settings_.UrgentEvasionMode || fileName.empty() || !ports_.files.FileExists(fileName)) return;
  const std::string wallpaperFile = WallpaperFilePath();

  // Written before decoding, so they stay even when the picture fails.
  const int position = settings_.WallPosition;
  ports_.registry.WriteString(kDesktopKey, "TileWallpaper", position == kTile ? "1" : "0");
  ports_.registry.WriteString(kDesktopKey, "Wallpaperstyle",
                              position == kStretch || position == kRatio ? "2" : "0");

  const std::optional<imaging::Bitmap> picture = DecodePicture(fileName);
  if (!picture) return;
  // The folder below "Local AppData" may not exist yet on a fresh profile.
  ports_.files.CreateFolder(platform::ExtractFilePath(wallpaperFile));
  if (position == kRatio) {
    // The screen-sized canvas replaces the picture's file at once, rather
    // than writing the picture first only to overwrite it.
    RenderRatioExpansion(*picture, wallpaperFile);
  } else {
    imaging::WriteBmpFile(wallpaperFile, *picture);
    if (position == kCentre) ApplyBlankColour(*picture, mode);
  }

  HandToWindows(wallpaperFile, mode);
  RecordChange(fileName, mode, wallpaperFile);
}

std::optional<imaging::Bitmap> AppCore::DecodePicture(const std::string& fileName) {
  if (imaging::HasBuiltInDecoder(fileName)) return imaging::LoadPictureFile(fileName);
  if (ports_.plugins.FindPlugin(fileName) == -1) return std::nullopt;
  return ports_.plugins.LoadPicture(fileName);
}

imaging::ColorValue AppCore::PlainRgb(imaging::ColorValue colour) const {
  if (colour & kSystemColourFlag) return ports_.desktop.SystemColour(static_cast<int>(colour & 0xFF));
  return colour & 0xFFFFFF;
}

imaging::ColorValue AppCore::GetBlankColor(const imaging::Bitmap& picture) const {
  return settings_.WallBlankAutoColor ? imaging::AutoBlankColor(picture) : settings_.WallBlankColor;
}

void AppCore::ApplyBlankColour(const imaging::Bitmap& picture, int mode) {
  const imaging::ColorValue rgb = PlainRgb(GetBlankColor(picture));
  const std::string text = RgbText(rgb);
  const std::string stored = ports_.registry.ReadString(kColorsKey, "Background").value_or(text);
  if (stored == text) return;
  if (mode != kChangeAtSessionEnd) ports_.desktop.SetBackgroundColour(rgb);
  ports_.registry.WriteString(kColorsKey, "Background", text);
}

void AppCore::RenderRatioExpansion(const imaging::Bitmap& picture, const std::string& wallpaperFile) {
  int width = 0, height = 0;
  ports_.desktop.ScreenSize(width, height);
  const std::optional<imaging::TABitmap> canvas =
      imaging::RenderRatioExpansion(picture, width, height, settings_.WallPositionRatioDrawing,
                                    PlainRgb(GetBlankColor(picture)));
  if (canvas) {
    canvas->SaveToFile(wallpaperFile);
  } else {
    imaging::WriteBmpFile(wallpaperFile, picture);  // same proportions: Windows stretches it exactly
  }
}

void AppCore::HandToWindows(const std::string& wallpaperFile, int mode) {
  if (mode == kChangeAtSessionEnd) {
    ports_.registry.WriteString(kDesktopKey, "Wallpaper", wallpaperFile);
    ports_.registry.WriteString(kDesktopKey, "OriginalWallpaper", wallpaperFile);
    return;
  }
  ports_.desktop.SetWallpaper(wallpaperFile);
  if (mode != kChangeOrdinary) return;
  if (settings_.SoundEnabled) {
    if (ports_.files.FileExists(settings_.SoundFile) && ports_.desktop.PlaySoundFile(settings_.SoundFile)) return;
    ports_.desktop.DefaultBeep();
  }
}

}  // namespace tapestrel::app
