// The choice of the next wallpaper, behind every request to change it.
#pragma once

#include <optional>
#include <vector>

#include "app/random_source.h"
#include "app/settings_record.h"

namespace tapestrel::app {

// How a change reaches Windows and whether it is remembered.
enum class ChangeMode {
  Ordinary = 0,      // set at once, with the change sound, and recorded
  AtSessionEnd = 1,  // left in the registry for the next logon, and recorded
  Quiet = 2,         // set at once, no sound, position and INI state not recorded
};

// The index to apply after `last` in a list of `count` pictures; empty when
// nothing is to be applied (an empty list, an unknown method).
//  - next: the entry after `last`, wrapping to 0; a `last` outside the list
//    (a picture from elsewhere was applied, or pictures were removed) starts
//    again at 0.
//  - previous: the entry before `last`, wrapping to count - 1; a `last`
//    outside the list starts again at count - 1.
//  - random: uniform, never `last` again; with a single picture that picture.
std::optional<int> ChooseNextIndex(SelectionMethod method, int last, int count, RandomSource& random);

// The pictures one change tries, in order, when the chosen one cannot be
// applied (missing, or no decoder reads it): first the choice of
// ChooseNextIndex, then the following entries in the same direction, at
// most once through the list; random: the entries not yet tried, in random
// order, never `last`. Draws from `random` only for the candidates asked for.
class ChangeCandidates {
 public:
  ChangeCandidates(SelectionMethod method, int last, int count, RandomSource& random)
      : method_(method), last_(last), count_(count), random_(random) {}

  // The next index to try, or empty when there is none left.
  std::optional<int> Next();

 private:
  SelectionMethod method_;
  int last_;
  int count_;
  RandomSource& random_;
  int tried_ = 0;
  std::optional<int> previous_;
  std::vector<int> untried_;  // random: filled at the second candidate
};

}  // namespace tapestrel::app
