// The choice of the next wallpaper, behind every request to change it.
#pragma once

#include <optional>
#include <string>

#include "app/random_source.h"
#include "browser/picture_list.h"

namespace tapestrel::app {

// Change modes: 0 ordinary, 1 at the end of the session (shown at the next
// logon), 2 quiet (no sound, nothing recorded).
enum ChangeMode { kChangeOrdinary = 0, kChangeAtSessionEnd = 1, kChangeQuiet = 2 };

// Selection methods ("WallSlelct").
enum SelectionMethod { kSelectNext = 0, kSelectPrevious = 1, kSelectRandom = 2 };

// The index to apply after `last` in a list of `count` pictures; empty when
// nothing is to be applied (an empty list, an unknown method).
//  - next: the entry after `last`, wrapping to 0; a `last` outside the list
//    (a picture from elsewhere was applied, or pictures were removed) starts
//    again at 0.
//  - previous: the entry before `last`, wrapping to count - 1; a `last`
//    outside the list starts again at count - 1.
//  - random: uniform, never `last` again; with a single picture that picture.
std::optional<int> ChooseNextIndex(int method, int last, int count, RandomSource& random);

// What `ChangeWallpaper` hands its choice to.
class WallpaperApplier {
 public:
  virtual ~WallpaperApplier() = default;
  virtual void ApplyWallpaper(const std::string& fileName, int mode) = 0;
};

// Chooses from the picture list by the selection method and applies the
// choice; an empty path when nothing was chosen (the applier ignores it).
void ChangeWallpaper(int method, int lastIndex, const browser::PictureList& pictures, RandomSource& random,
                     WallpaperApplier& applier, int mode);

}  // namespace tapestrel::app
