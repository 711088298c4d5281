// A wallpaper change from top to bottom: choose the next picture of the
// list, render and apply it, record it. Every trigger ends here.
#pragma once

#include <string>
#include <vector>

#include "app/change_engine.h"
#include "app/ini_file.h"
#include "app/monitor_pictures.h"
#include "app/random_source.h"
#include "app/settings_record.h"
#include "app/wallpaper_renderer.h"
#include "browser/picture_list.h"
#include "platform/clock_port.h"
#include "platform/file_system_port.h"
#include "platform/registry_port.h"

namespace tapestrel::app {

// What became of a picture handed to ApplyWallpaper.
enum class ApplyResult {
  Applied,
  Blocked,          // urgent evasion is on: nothing was done
  PictureUnusable,  // missing, or nothing could decode it: nothing applied or recorded
};

class WallpaperChanger {
 public:
  struct Ports {
    const platform::ClockPort& clock;
    const platform::FileSystemPort& files;
    platform::RegistryPort& registry;
  };

  WallpaperChanger(SettingsRecord& settings, IniFile& ini, const browser::PictureList& pictures,
                   RandomSource& random, WallpaperRenderer& renderer, Ports ports)
      : settings_(settings),
        ini_(ini),
        pictures_(pictures),
        random_(random),
        renderer_(renderer),
        ports_(ports) {}

  // Chooses the next picture by the selection method and applies it. A
  // picture that cannot be used gives way to the next candidate, so that one
  // bad file does not stop the rotation; nothing at all during evasion. With
  // a picture per monitor, each monitor takes the next one, the primary
  // monitor last, and the change is recorded for the primary monitor's.
  void ChangeWallpaper(ChangeMode mode);
  // Makes the picture file the wallpaper (on every monitor, or spread over
  // all of them) and records the change. Nothing at all while urgent evasion
  // is on or when no such file exists; nothing beyond the tile and style
  // values when no decoder reads it. A wallpaper file that cannot be written
  // throws.
  ApplyResult ApplyWallpaper(const std::string& fileName, ChangeMode mode);
  // The monitors or their resolutions changed: the pictures shown are drawn
  // again for the new screens, quietly and without counting as a change.
  void RedrawForDisplayChange();
  // Moves the change state on: the time always, the registry's record of the
  // source picture always, the index and the "System" keys unless quiet.
  void RecordChange(const std::string& fileName, ChangeMode mode);
  // The first entry of the picture list with exactly this path, or Count.
  int IndexInPictureList(const std::string& path) const;

 private:
  // The pictures drawn for the monitors (in the order of PrimaryLast), or
  // spread over them, written and handed to Windows; false, with nothing
  // changed, when a picture's data turn out unusable.
  bool ShowOnMonitors(const std::vector<platform::ScreenRect>& monitors,
                      const std::vector<SharedPicture>& chosen, ChangeMode mode);
  // The canvas drawn with the chosen pictures written and handed to Windows.
  void ShowCanvas(const imaging::VirtualScreenCanvas& canvas, const std::vector<SharedPicture>& chosen,
                  ChangeMode mode);
  // The picture on the monitor `at` of the canvas; false when it cannot be
  // drawn.
  bool Draw(imaging::VirtualScreenCanvas& canvas, const ChosenPicture& picture,
            const platform::ScreenRect& at);
  // The picture as on a single screen: style values, file, Windows.
  ApplyResult ShowOnOneScreen(const std::string& fileName, ChangeMode mode);
  // Its size learnt for drawing per monitor; empty when it cannot be used.
  std::optional<ChosenPicture> ProbeForMonitors(const std::string& fileName);

  SettingsRecord& settings_;
  IniFile& ini_;
  const browser::PictureList& pictures_;
  RandomSource& random_;
  WallpaperRenderer& renderer_;
  Ports ports_;
  std::vector<std::string> shown_;  // the pictures on the screens now, for redrawing
  bool shownAcrossMonitors_ = false;
};

}  // namespace tapestrel::app
