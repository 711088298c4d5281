#include "app/random_source.h"

namespace tapestrel::app {

SeededRandom::SeededRandom(uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ULL) {}

uint64_t SeededRandom::Next() {
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  return state_ * 0x2545F4914F6CDD1DULL;
}

int32_t SeededRandom::Below(int32_t bound) {
  if (bound <= 1) return 0;
  // Reject the top sliver so that every value is equally likely.
  const uint64_t range = static_cast<uint64_t>(bound);
  const uint64_t limit = UINT64_MAX - UINT64_MAX % range;
  uint64_t x;
  do {
    x = Next();
  } while (x >= limit);
  return static_cast<int32_t>(x % range);
}

}  // namespace tapestrel::app
