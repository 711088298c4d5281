// The rendering and applying steps of a wallpaper change: the registry's
// style values, the picture decoded and written as the wallpaper file for the
// position mode, and the hand-over to Windows with the change sound.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/change_engine.h"
#include "app/monitor_pictures.h"
#include "app/plugin_pictures.h"
#include "app/settings_record.h"
#include "imaging/bitmap.h"
#include "imaging/color_value.h"
#include "imaging/monitor_canvas.h"
#include "imaging/tabitmap.h"
#include "platform/desktop_port.h"
#include "platform/file_system_port.h"
#include "platform/registry_port.h"
#include "platform/screen_rect.h"

namespace tapestrel::app {

class WallpaperRenderer {
 public:
  struct Ports {
    platform::RegistryPort& registry;
    platform::DesktopPort& desktop;
    const platform::FileSystemPort& files;
    PluginPictures& plugins;
    std::string executableFolder;  // with its trailing backslash
  };

  WallpaperRenderer(const SettingsRecord& settings, Ports ports)
      : settings_(settings), ports_(std::move(ports)) {}

  // Below "Local AppData", or beside the executable when that folder is
  // unknown.
  std::string WallpaperFilePath() const;
  // "TileWallpaper" and "Wallpaperstyle" for the position mode, or for a
  // bitmap of all monitors that Windows tiles from the primary one.
  void WriteStyleValues(bool acrossMonitors = false);
  // The monitors to draw one bitmap for, the primary one first; empty when
  // the wallpaper is one picture that Windows shows as on a single screen
  // (monitor mode 0, or a single monitor).
  std::vector<platform::ScreenRect> MonitorsToDraw() const;
  // A decoded picture, or in ratio mode the canvas already drawn from it.
  using Picture = std::variant<imaging::Bitmap, imaging::TABitmap>;
  // The picture by its extension: the built-in decoders, else a plug-in. In
  // ratio mode a JPEG is drawn onto the canvas straight from its rows as they
  // are decoded, so that the whole picture is never held. Empty when nothing
  // reads the extension; throws when the decoder fails.
  std::optional<Picture> DecodePicture(const std::string& fileName);
  // Writes the wallpaper file for the position mode: the picture itself, or
  // the screen-sized canvas of ratio drawing; centred pictures also set the
  // desktop color (in the registry only at the end of the session).
  void WriteWallpaperFile(const Picture& picture, const std::string& wallpaperFile, ChangeMode mode);
  // A picture to draw per monitor with its size as shown: read from its
  // header where the format allows, else decoded whole. Empty when nothing
  // reads the extension; throws when the header or decoder fails.
  std::optional<ChosenPicture> ProbePicture(const std::string& fileName);
  // Draws the picture into the monitor `at` of the virtual screen's canvas
  // with the position mode and its blank color, as on a screen of its own;
  // straight from the file where the format allows. Throws when its data
  // fail to decode.
  void DrawOnMonitor(imaging::VirtualScreenCanvas& canvas, const ChosenPicture& picture,
                     const platform::ScreenRect& at);
  // Writes the bitmap of the whole virtual screen, laid out to be tiled from
  // the primary monitor's corner.
  void WriteMonitorsFile(const imaging::VirtualScreenCanvas& canvas, const std::string& wallpaperFile);
  // Makes Windows show the file at once (with the sound of an ordinary
  // change), or leaves it in the registry for the next logon.
  void HandToWindows(const std::string& wallpaperFile, ChangeMode mode);

  // The record's blank color, or the picture's automatic color.
  imaging::ColorValue GetBlankColor(const imaging::Bitmap& picture) const;
  // Ratio drawing: the picture scaled onto a screen-sized canvas written as
  // the wallpaper file (the picture itself when its proportions already
  // match the screen's).
  void RenderRatioExpansion(const imaging::Bitmap& picture, const std::string& wallpaperFile);

 private:
  // Writes through `write` beside the wallpaper file and then puts the
  // result in its place whole.
  void ReplaceWallpaperFile(const std::string& wallpaperFile,
                            const std::function<void(const std::string&)>& write);
  // The picture or canvas as a bitmap file at `path`.
  void WritePictureFile(const Picture& picture, const std::string& path);
  void ApplyBlankColor(const imaging::Bitmap& picture, ChangeMode mode);
  // The picture decoded whole: empty when nothing reads the extension.
  std::optional<imaging::Bitmap> DecodeWhole(const std::string& fileName);
  // A system color value resolved to its current RGB.
  imaging::ColorValue PlainRgb(imaging::ColorValue color) const;

  const SettingsRecord& settings_;
  Ports ports_;
};

}  // namespace tapestrel::app
