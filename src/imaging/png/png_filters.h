// The five PNG row filters, their reversal, and the scoring behind the
// adaptive filter choice of the writer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tapestrel::imaging {

enum PngFilterType : uint8_t {
  kFilterNone = 0,
  kFilterSub = 1,
  kFilterUp = 2,
  kFilterAverage = 3,
  kFilterPaeth = 4
};

// Bytes between a byte and the one of the pixel to its left, at least one.
inline size_t FilterDistance(int bits_per_pixel) {
  return bits_per_pixel >= 8 ? static_cast<size_t>(bits_per_pixel) / 8 : 1;
}

// Reverses `type` (0..4) in place on a row of n bytes; `prior` is the
// previous unfiltered row of the same pass, all zero for its first row.
void UnfilterRow(int type, uint8_t* row, const uint8_t* prior, size_t n, size_t bpp);

// Writes `type` (0..4) applied to `row` into `out`.
void FilterRow(int type, const uint8_t* row, const uint8_t* prior, uint8_t* out, size_t n, size_t bpp);

// Score of a filtered row given as its type byte and its n data bytes; -1 is
// best of all, otherwise higher is better.
long long FilterScore(uint8_t type, const uint8_t* data, size_t n, bool below_8_bits);

// Picks the filter for one row in adaptive mode and writes the filtered row
// into `out`; `scratch` holds n bytes. Returns the type.
int ChooseAdaptiveFilter(const uint8_t* row, const uint8_t* prior, uint8_t* out, uint8_t* scratch, size_t n,
                         int bits_per_pixel);

}  // namespace tapestrel::imaging
