#include "app/wallpaper_renderer.h"

#include <cstdio>

#include "app/registry_keys.h"
#include "imaging/auto_color.h"
#include "imaging/bmp_file.h"
#include "imaging/builtin_pictures.h"
#include "imaging/picture_file.h"
#include "imaging/ratio_layout.h"
#include "platform/paths.h"

namespace tapestrel::app {
namespace {

std::string RgbText(imaging::ColorValue c) {
  char text[16];
  std::snprintf(text, sizeof text, "%u %u %u", imaging::RedOf(c), imaging::GreenOf(c), imaging::BlueOf(c));
  return text;
}

imaging::ScreenFit FitOf(PositionMode position) {
  switch (position) {
    case PositionMode::Stretch:
      return imaging::ScreenFit::Stretch;
    case PositionMode::Tile:
      return imaging::ScreenFit::Tile;
    case PositionMode::RatioExpansion:
      return imaging::ScreenFit::Ratio;
    default:
      return imaging::ScreenFit::Centre;
  }
}

}  // namespace

std::string WallpaperRenderer::WallpaperFilePath() const {
  const std::string localAppData = ports_.registry.ReadString(kShellFoldersKey, "Local AppData").value_or("");
  if (localAppData.empty()) return ports_.executableFolder + "Wallpaper1.bmp";
  return localAppData + "\\Microsoft\\Wallpaper1.bmp";
}

void WallpaperRenderer::WriteStyleValues(bool acrossMonitors) {
  if (acrossMonitors) {
    ports_.registry.WriteString(kDesktopKey, "TileWallpaper", "1");
    ports_.registry.WriteString(kDesktopKey, "Wallpaperstyle", "0");
    return;
  }
  const PositionMode position = settings_.WallPosition;
  ports_.registry.WriteString(kDesktopKey, "TileWallpaper", position == PositionMode::Tile ? "1" : "0");
  const bool stretched = position == PositionMode::Stretch || position == PositionMode::RatioExpansion;
  ports_.registry.WriteString(kDesktopKey, "Wallpaperstyle", stretched ? "2" : "0");
}

std::vector<platform::ScreenRect> WallpaperRenderer::MonitorsToDraw() const {
  const MonitorLayout layout = settings_.MonitorMode;
  if (layout != MonitorLayout::PerMonitor && layout != MonitorLayout::Span) return {};
  std::vector<platform::ScreenRect> monitors = ports_.desktop.Monitors();
  if (monitors.size() < 2) return {};
  return monitors;
}

std::optional<imaging::Bitmap> WallpaperRenderer::DecodeWhole(const std::string& fileName) {
  const imaging::BuiltInPicture* builtIn = imaging::FindBuiltInPicture(fileName);
  if (builtIn && builtIn->wallpaper) return builtIn->wallpaper(fileName, settings_.ExifOrientation);
  if (ports_.plugins.FindPlugin(fileName) == -1) return std::nullopt;
  return ports_.plugins.LoadPicture(fileName);
}

std::optional<ChosenPicture> WallpaperRenderer::ProbePicture(const std::string& fileName) {
  const imaging::BuiltInPicture* builtIn = imaging::FindBuiltInPicture(fileName);
  if (builtIn && builtIn->shownSize && builtIn->screenDrawing) {
    const imaging::JpegHeader size = builtIn->shownSize(fileName, settings_.ExifOrientation);
    return ChosenPicture{fileName, size.width, size.height, nullptr};
  }
  std::optional<imaging::Bitmap> picture = DecodeWhole(fileName);
  if (!picture) return std::nullopt;
  auto decoded = std::make_shared<const imaging::Bitmap>(std::move(*picture));
  return ChosenPicture{fileName, decoded->Width(), decoded->Height(), decoded};
}

void WallpaperRenderer::DrawOnMonitor(imaging::VirtualScreenCanvas& canvas, const ChosenPicture& picture,
                                      const platform::ScreenRect& at) {
  const imaging::ScreenFit fit = FitOf(settings_.WallPosition);
  const int anchor = settings_.WallPositionRatioDrawing;
  if (const imaging::Bitmap* decoded = picture.decoded.get()) {
    const imaging::ColorValue blank = PlainRgb(GetBlankColor(*decoded));
    canvas.DrawAt(at, [&](imaging::TABitmap& target, const platform::ScreenRect& area) {
      imaging::DrawForScreen(*decoded, target, area, fit, anchor, blank);
    });
    return;
  }
  std::optional<imaging::ColorValue> blank;  // none: the picture's automatic color
  if (!settings_.WallBlankAutoColor) blank = PlainRgb(settings_.WallBlankColor);
  const imaging::BuiltInPicture* builtIn = imaging::FindBuiltInPicture(picture.path);
  if (!builtIn || !builtIn->screenDrawing) throw imaging::ImageError("no drawing for " + picture.path);
  canvas.DrawAt(at, [&](imaging::TABitmap& target, const platform::ScreenRect& area) {
    builtIn->screenDrawing(picture.path, target, area, fit, anchor, blank, settings_.ExifOrientation);
  });
}

void WallpaperRenderer::WriteMonitorsFile(const imaging::VirtualScreenCanvas& canvas,
                                          const std::string& wallpaperFile) {
  ReplaceWallpaperFile(wallpaperFile, [&](const std::string& path) { canvas.Canvas().SaveToFile(path); });
}

std::optional<WallpaperRenderer::Picture> WallpaperRenderer::DecodePicture(const std::string& fileName) {
  const imaging::BuiltInPicture* builtIn = imaging::FindBuiltInPicture(fileName);
  if (builtIn && builtIn->wallpaper) {
    int width = 0, height = 0;
    if (builtIn->ratioCanvas && settings_.WallPosition == PositionMode::RatioExpansion) {
      ports_.desktop.ScreenSize(width, height);
    }
    // Drawn while decoded: the whole picture is never held. Without a screen
    // size, ratio drawing fails later as it does for other pictures.
    if (width > 0 && height > 0) {
      std::optional<imaging::ColorValue> blank;  // none: the picture's automatic color
      if (!settings_.WallBlankAutoColor) blank = PlainRgb(settings_.WallBlankColor);
      return std::visit([](auto&& drawn) { return Picture(std::move(drawn)); },
                        builtIn->ratioCanvas(fileName, width, height, settings_.WallPositionRatioDrawing,
                                             blank, settings_.ExifOrientation));
    }
    return builtIn->wallpaper(fileName, settings_.ExifOrientation);
  }
  if (ports_.plugins.FindPlugin(fileName) == -1) return std::nullopt;
  return ports_.plugins.LoadPicture(fileName);
}

void WallpaperRenderer::WriteWallpaperFile(const Picture& decoded, const std::string& wallpaperFile,
                                           ChangeMode mode) {
  ReplaceWallpaperFile(wallpaperFile, [&](const std::string& path) { WritePictureFile(decoded, path); });
  const auto* picture = std::get_if<imaging::Bitmap>(&decoded);
  if (picture && settings_.WallPosition == PositionMode::Center) ApplyBlankColor(*picture, mode);
}

void WallpaperRenderer::ReplaceWallpaperFile(const std::string& wallpaperFile,
                                             const std::function<void(const std::string&)>& write) {
  // The folder below "Local AppData" may not exist yet on a fresh profile.
  ports_.files.CreateFolder(platform::ExtractFilePath(wallpaperFile));
  // Written beside the wallpaper and then put in its place whole: a full
  // disk or a failure half way leaves the old wallpaper, never half of one.
  const std::string replacement = platform::ReplacementPathFor(wallpaperFile);
  try {
    write(replacement);
  } catch (...) {
    std::remove(replacement.c_str());
    throw;
  }
  if (!ports_.files.MoveReplacementOver(replacement, wallpaperFile))
    throw imaging::ImageError("cannot write " + wallpaperFile);
}

void WallpaperRenderer::WritePictureFile(const Picture& decoded, const std::string& path) {
  if (const auto* canvas = std::get_if<imaging::TABitmap>(&decoded)) {
    canvas->SaveToFile(path);
    return;
  }
  const imaging::Bitmap& picture = std::get<imaging::Bitmap>(decoded);
  if (settings_.WallPosition == PositionMode::RatioExpansion) {
    // The screen-sized canvas is written at once, rather than writing the
    // picture first only to overwrite it.
    RenderRatioExpansion(picture, path);
  } else {
    imaging::WriteBmpFile(path, picture);
  }
}

void WallpaperRenderer::HandToWindows(const std::string& wallpaperFile, ChangeMode mode) {
  if (mode == ChangeMode::AtSessionEnd) {
    ports_.registry.WriteString(kDesktopKey, "Wallpaper", wallpaperFile);
    ports_.registry.WriteString(kDesktopKey, "OriginalWallpaper", wallpaperFile);
    return;
  }
  ports_.desktop.SetWallpaper(wallpaperFile);
  if (mode != ChangeMode::Ordinary || !settings_.SoundEnabled) return;
  if (ports_.files.FileExists(settings_.SoundFile) && ports_.desktop.PlaySoundFile(settings_.SoundFile))
    return;
  ports_.desktop.DefaultBeep();
}

imaging::ColorValue WallpaperRenderer::GetBlankColor(const imaging::Bitmap& picture) const {
  return settings_.WallBlankAutoColor ? imaging::AutoBlankColor(picture) : settings_.WallBlankColor;
}

void WallpaperRenderer::RenderRatioExpansion(const imaging::Bitmap& picture,
                                             const std::string& wallpaperFile) {
  int width = 0, height = 0;
  ports_.desktop.ScreenSize(width, height);
  const std::optional<imaging::TABitmap> canvas = imaging::RenderRatioExpansion(
      picture, width, height, settings_.WallPositionRatioDrawing, PlainRgb(GetBlankColor(picture)));
  if (canvas) {
    canvas->SaveToFile(wallpaperFile);
  } else {
    imaging::WriteBmpFile(wallpaperFile, picture);  // same proportions: Windows stretches it exactly
  }
}

void WallpaperRenderer::ApplyBlankColor(const imaging::Bitmap& picture, ChangeMode mode) {
  const imaging::ColorValue rgb = PlainRgb(GetBlankColor(picture));
  const std::string text = RgbText(rgb);
  const std::string stored = ports_.registry.ReadString(kColorsKey, "Background").value_or(text);
  if (stored == text) return;
  if (mode != ChangeMode::AtSessionEnd) ports_.desktop.SetBackgroundColor(rgb);
  ports_.registry.WriteString(kColorsKey, "Background", text);
}

imaging::ColorValue WallpaperRenderer::PlainRgb(imaging::ColorValue color) const {
  if (color & imaging::kSystemColorFlag) return ports_.desktop.SystemColor(static_cast<int>(color & 0xFF));
  return color & 0xFFFFFF;
}

}  // namespace tapestrel::app
