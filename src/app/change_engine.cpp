#include "app/change_engine.h"

namespace tapestrel::app {

std::optional<int> ChooseNextIndex(int method, int last, int count, RandomSource& random) {
  if (count <= 0) return std::nullopt;
  const bool inList = last >= 0 && last < count;
  switch (method) {
    case kSelectNext:
      if (!inList || last == count - 1) return 0;
      return last + 1;
    case kSelectPrevious:
      if (!inList || last == 0) return count - 1;
      return last - 1;
    case kSelectRandom: {
      if (count == 1) return 0;
      if (!inList) return random.Below(count);
      // Draw from the other count - 1 entries: the same distribution as
      // drawing again until the index differs, in one step.
      const int i = random.Below(count - 1);
      return i >= last ? i + 1 : i;
    }
    default:
      return std::nullopt;
  }
}

void ChangeWallpaper(int method, int lastIndex, const browser::PictureList& pictures, RandomSource& random,
                     WallpaperApplier& applier, int mode) {
  const std::optional<int> index = ChooseNextIndex(method, lastIndex, pictures.Count(), random);
  applier.ApplyWallpaper(index ? pictures.Path(*index) : std::string(), mode);
}

}  // namespace tapestrel::app
