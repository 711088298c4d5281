#include "app/wallpaper_changer.h"

#include <exception>
#include <optional>

#include "app/registry_keys.h"
#include "app/settings_store.h"
#include "imaging/monitor_canvas.h"

namespace tapestrel::app {

void WallpaperChanger::ChangeWallpaper(ChangeMode mode) {
  if (settings_.UrgentEvasionMode) return;
  ChangeCandidates candidates(settings_.WallSelect, settings_.LastWallIndex, pictures_.Count(), random_);
  const std::vector<platform::ScreenRect> monitors = renderer_.MonitorsToDraw();
  if (!monitors.empty() && settings_.MonitorMode == MonitorLayout::PerMonitor) {
    renderer_.WriteStyleValues(true);
    imaging::VirtualScreenCanvas canvas(imaging::BoundingRect(monitors), monitors);
    const std::vector<SharedPicture> chosen = ChoosePerMonitor(
        PrimaryLast(monitors), candidates, pictures_, settings_.MatchOrientation,
        [this](const std::string& path) { return ProbeForMonitors(path); },
        [&](const ChosenPicture& picture, const platform::ScreenRect& at) {
          return Draw(canvas, picture, at);
        });
    if (chosen.empty()) return;
    ShowCanvas(canvas, chosen, mode);
    RecordChange(chosen.back()->path, mode);
    return;
  }
  while (const std::optional<int> index = candidates.Next()) {
    if (ApplyWallpaper(pictures_.Path(*index), mode) != ApplyResult::PictureUnusable) return;
  }
}

ApplyResult WallpaperChanger::ApplyWallpaper(const std::string& fileName, ChangeMode mode) {
  if (settings_.UrgentEvasionMode) return ApplyResult::Blocked;
  if (fileName.empty() || !ports_.files.FileExists(fileName)) return ApplyResult::PictureUnusable;
  const std::vector<platform::ScreenRect> monitors = renderer_.MonitorsToDraw();
  if (!monitors.empty()) {
    renderer_.WriteStyleValues(true);
    std::optional<ChosenPicture> picture = ProbeForMonitors(fileName);
    if (!picture) return ApplyResult::PictureUnusable;
    const auto shared = std::make_shared<const ChosenPicture>(std::move(*picture));
    if (!ShowOnMonitors(monitors, std::vector<SharedPicture>(monitors.size(), shared), mode))
      return ApplyResult::PictureUnusable;
    RecordChange(fileName, mode);
    return ApplyResult::Applied;
  }
  const ApplyResult result = ShowOnOneScreen(fileName, mode);
  if (result == ApplyResult::Applied) RecordChange(fileName, mode);
  return result;
}

ApplyResult WallpaperChanger::ShowOnOneScreen(const std::string& fileName, ChangeMode mode) {
  // Written before decoding, so they stay even when the picture fails.
  renderer_.WriteStyleValues();
  std::optional<WallpaperRenderer::Picture> picture;
  try {
    picture = renderer_.DecodePicture(fileName);
  } catch (const std::exception&) {
    // Truncated, corrupt, too large for memory: this picture cannot be used.
  }
  if (!picture) return ApplyResult::PictureUnusable;
  const std::string wallpaperFile = renderer_.WallpaperFilePath();
  renderer_.WriteWallpaperFile(*picture, wallpaperFile, mode);
  renderer_.HandToWindows(wallpaperFile, mode);
  shown_ = {fileName};
  shownAcrossMonitors_ = false;
  return ApplyResult::Applied;
}

std::optional<ChosenPicture> WallpaperChanger::ProbeForMonitors(const std::string& fileName) {
  if (!ports_.files.FileExists(fileName)) return std::nullopt;
  try {
    return renderer_.ProbePicture(fileName);
  } catch (const std::exception&) {
    return std::nullopt;  // as on a single screen: this picture cannot be used
  }
}

bool WallpaperChanger::Draw(imaging::VirtualScreenCanvas& canvas, const ChosenPicture& picture,
                            const platform::ScreenRect& at) {
  try {
    renderer_.DrawOnMonitor(canvas, picture, at);
    return true;
  } catch (const std::exception&) {
    return false;  // a header fine but the data damaged, or too large for memory
  }
}

bool WallpaperChanger::ShowOnMonitors(const std::vector<platform::ScreenRect>& monitors,
                                      const std::vector<SharedPicture>& chosen, ChangeMode mode) {
  const platform::ScreenRect bounds = imaging::BoundingRect(monitors);
  if (settings_.MonitorMode == MonitorLayout::Span) {
    imaging::VirtualScreenCanvas canvas(bounds, std::span(&bounds, 1));
    if (!Draw(canvas, *chosen.front(), bounds)) return false;
    ShowCanvas(canvas, chosen, mode);
    return true;
  }
  imaging::VirtualScreenCanvas canvas(bounds, monitors);
  const std::vector<platform::ScreenRect> order = PrimaryLast(monitors);
  for (size_t i = 0; i < order.size(); ++i) {
    if (!Draw(canvas, *chosen[i % chosen.size()], order[i])) return false;
  }
  ShowCanvas(canvas, chosen, mode);
  return true;
}

void WallpaperChanger::ShowCanvas(const imaging::VirtualScreenCanvas& canvas,
                                  const std::vector<SharedPicture>& chosen, ChangeMode mode) {
  const std::string wallpaperFile = renderer_.WallpaperFilePath();
  renderer_.WriteMonitorsFile(canvas, wallpaperFile);
  renderer_.HandToWindows(wallpaperFile, mode);
  shown_.clear();
  for (const SharedPicture& picture : chosen) shown_.push_back(picture->path);
  shownAcrossMonitors_ = true;
}

void WallpaperChanger::RedrawForDisplayChange() {
  if (shown_.empty()) return;
  const std::vector<platform::ScreenRect> monitors = renderer_.MonitorsToDraw();
  if (monitors.empty()) {
    // Windows fits a single picture to a new screen itself; a canvas drawn
    // for the old screen, or for the monitors that were, is drawn again.
    if (shownAcrossMonitors_ || settings_.WallPosition == PositionMode::RatioExpansion)
      ShowOnOneScreen(shown_.back(), ChangeMode::Quiet);
    return;
  }
  std::vector<SharedPicture> chosen;
  for (const std::string& path : shown_) {
    if (std::optional<ChosenPicture> picture = ProbeForMonitors(path))
      chosen.push_back(std::make_shared<const ChosenPicture>(std::move(*picture)));
  }
  if (chosen.empty()) return;
  // The primary monitor keeps its picture; the others take the rest in turn.
  std::vector<SharedPicture> drawn;
  for (size_t i = 0; i + 1 < monitors.size(); ++i) drawn.push_back(chosen[i % chosen.size()]);
  drawn.push_back(chosen.back());
  renderer_.WriteStyleValues(true);
  ShowOnMonitors(monitors, drawn, ChangeMode::Quiet);
}

void WallpaperChanger::RecordChange(const std::string& fileName, ChangeMode mode) {
  settings_.LastChangeTime = ports_.clock.Now();
  ports_.registry.WriteString(kDesktopKey, "ConvertedWallpaper", fileName);
  if (mode == ChangeMode::Quiet) return;
  settings_.LastWallIndex = IndexInPictureList(fileName);
  WriteChangeState(ini_, settings_.LastWallIndex, fileName, settings_.LastChangeTime);
}

int WallpaperChanger::IndexInPictureList(const std::string& path) const {
  const int count = pictures_.Count();
  for (int i = 0; i < count; ++i) {
    if (pictures_.Path(i) == path) return i;
  }
  return count;
}

}  // namespace tapestrel::app
