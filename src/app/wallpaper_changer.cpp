#include "app/wallpaper_changer.h"

#include <exception>
#include <optional>

#include "app/registry_keys.h"
#include "app/settings_store.h"

namespace tapestrel::app {

void WallpaperChanger::ChangeWallpaper(ChangeMode mode) {
  if (settings_.UrgentEvasionMode) return;
  ChangeCandidates candidates(settings_.WallSelect, settings_.LastWallIndex, pictures_.Count(), random_);
  while (const std::optional<int> index = candidates.Next()) {
    if (ApplyWallpaper(pictures_.Path(*index), mode) != ApplyResult::PictureUnusable) return;
  }
}

ApplyResult WallpaperChanger::ApplyWallpaper(const std::string& fileName, ChangeMode mode) {
  if (settings_.UrgentEvasionMode) return ApplyResult::Blocked;
  if (fileName.empty() || !ports_.files.FileExists(fileName)) return ApplyResult::PictureUnusable;
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
  RecordChange(fileName, mode);
  return ApplyResult::Applied;
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
