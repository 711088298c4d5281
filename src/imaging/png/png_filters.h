// The five PNG row filters, their reversal, and the scoring behind the
// adaptive filter choice of the writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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

// The writer's filtering of its rows by FilterMode: 0 chooses per row
// (ChooseAdaptiveFilter), 1 writes None, 2..5 always Sub, Up, Average or
// Paeth; any other mode writes None.
class PngRowFilter {
 public:
  // `max_row_bytes`: the longest row that will be filtered.
  PngRowFilter(int filter_mode, int bits_per_pixel, size_t max_row_bytes);

  // Filters the n bytes at row + 1 against `prior`, the unfiltered previous
  // row of the pass (all zero for its first row); row[0] is free for the
  // type byte. Returns the type byte followed by the n filtered bytes: `row`
  // itself for None, else a buffer of its own, valid until the next call.
  const uint8_t* Apply(uint8_t* row, const uint8_t* prior, size_t n);

 private:
  bool adaptive_;
  int fixed_;  // the type of a fixed mode
  int bits_;
  size_t bpp_;
  std::vector<uint8_t> buffers_;  // the filtered row and a scratch row, each with its type byte
};

}  // namespace tapestrel::imaging
