// The program's one pseudo-random generator, seeded once at start-up; it
// serves the random picture choice and the random trigger.
#pragma once

#include <cstdint>

namespace tapestrel::app {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // Uniform in 0 .. bound - 1; bound must be positive.
  virtual int32_t Below(int32_t bound) = 0;
};

// A small, fast generator (xorshift64*) with unbiased bounded draws.
class SeededRandom : public RandomSource {
 public:
  explicit SeededRandom(uint64_t seed);
  int32_t Below(int32_t bound) override;

 private:
  uint64_t Next();
  uint64_t state_;
};

}  // namespace tapestrel::app
