#include "app/change_engine.h"

namespace tapestrel::app {

std::optional<int> ChooseNextIndex(SelectionMethod method, int last, int count, RandomSource& random) {
  if (count <= 0) return std::nullopt;
  const bool inList = last >= 0 && last < count;
  switch (method) {
    case SelectionMethod::Next:
      if (!inList || last == count - 1) return 0;
      return last + 1;
    case SelectionMethod::Previous:
      if (!inList || last == 0) return count - 1;
      return last - 1;
    case SelectionMethod::Random: {
      if (count == 1) return 0;
      if (!inList) return random.Below(count);
      // Draw from the other count - 1 entries: the same distribution as
      // drawing again until the index differs, in one step.
      const int i = random.Below(count - 1);
      return i >= last ? i + 1 : i;
    }
  }
  return std::nullopt;
}

}  // namespace tapestrel::app
