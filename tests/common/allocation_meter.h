// Counts every heap allocation of the test program (malloc and what is built
// on it: operator new, libjpeg, zlib), so that a test can tell the most
// memory a call held at once and the largest block it asked for. Both the
// Windows and the native test programs build it (see CMakeLists.txt).
//
//   AllocationMeter meter;  // counts from here
//   Decode(...);
//   EXPECT_LT(meter.PeakBytes(), 4u << 20);
#pragma once

#include <cstddef>
#include <cstdint>

namespace imaging_test {

class AllocationMeter {
 public:
  AllocationMeter();
  // The most bytes held at once beyond those held when the meter started,
  // and the largest single request since then (granted or not).
  size_t PeakBytes() const;
  size_t LargestRequest() const;

 private:
  int64_t base_;
};

}  // namespace imaging_test
