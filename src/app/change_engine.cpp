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

std::optional<int> ChangeCandidates::Next() {
  if (tried_ == 0) {
    ++tried_;
    previous_ = ChooseNextIndex(method_, last_, count_, random_);
    return previous_;
  }
  if (!previous_) return std::nullopt;
  switch (method_) {
    case SelectionMethod::Next:
    case SelectionMethod::Previous:
      if (tried_ >= count_) return std::nullopt;
      ++tried_;
      previous_ =
          method_ == SelectionMethod::Next ? (*previous_ + 1) % count_ : (*previous_ + count_ - 1) % count_;
      return previous_;
    case SelectionMethod::Random: {
      if (tried_ == 1) {
        for (int i = 0; i < count_; ++i) {
          if (i != *previous_ && i != last_) untried_.push_back(i);
        }
      }
      if (untried_.empty()) return std::nullopt;
      ++tried_;
      const size_t pick = static_cast<size_t>(random_.Below(static_cast<int32_t>(untried_.size())));
      previous_ = untried_[pick];
      untried_[pick] = untried_.back();
      untried_.pop_back();
      return previous_;
    }
  }
  return std::nullopt;
}

}  // namespace tapestrel::app
