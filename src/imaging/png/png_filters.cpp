#include "imaging/png/png_filters.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace tapestrel::imaging {
namespace {

inline uint8_t PaethPredictor(int a, int b, int c) {
  const int p = b - c;
  const int q = a - c;
  const int pa = std::abs(p);
  const int pb = std::abs(q);
  const int pc = std::abs(p + q);
  return static_cast<uint8_t>((pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c));
}

// The loops below are written per pixel width so that the compiler keeps the
// left and upper-left pixels in registers; these are the decoder's hot paths.
template <size_t B>
void UnSub(uint8_t* row, size_t n) {
  for (size_t i = B; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - B]);
}

void UnUp(uint8_t* row, const uint8_t* prior, size_t n) {
  for (size_t i = 0; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + prior[i]);
}

template <size_t B>
void UnAverage(uint8_t* row, const uint8_t* prior, size_t n) {
  const size_t first = B < n ? B : n;
  for (size_t i = 0; i < first; ++i) row[i] = static_cast<uint8_t>(row[i] + (prior[i] >> 1));
  for (size_t i = B; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + ((row[i - B] + prior[i]) >> 1));
}

template <size_t B>
void UnPaeth(uint8_t* row, const uint8_t* prior, size_t n) {
  const size_t first = B < n ? B : n;
  for (size_t i = 0; i < first; ++i) row[i] = static_cast<uint8_t>(row[i] + prior[i]);
  for (size_t i = B; i < n; ++i) {
    row[i] = static_cast<uint8_t>(row[i] + PaethPredictor(row[i - B], prior[i], prior[i - B]));
  }
}

void UnSubAny(uint8_t* row, size_t n, size_t bpp) {
  for (size_t i = bpp; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
}

void UnAverageAny(uint8_t* row, const uint8_t* prior, size_t n, size_t bpp) {
  const size_t first = bpp < n ? bpp : n;
  for (size_t i = 0; i < first; ++i) row[i] = static_cast<uint8_t>(row[i] + (prior[i] >> 1));
  for (size_t i = bpp; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + ((row[i - bpp] + prior[i]) >> 1));
}

void UnPaethAny(uint8_t* row, const uint8_t* prior, size_t n, size_t bpp) {
  const size_t first = bpp < n ? bpp : n;
  for (size_t i = 0; i < first; ++i) row[i] = static_cast<uint8_t>(row[i] + prior[i]);
  for (size_t i = bpp; i < n; ++i) {
    row[i] = static_cast<uint8_t>(row[i] + PaethPredictor(row[i - bpp], prior[i], prior[i - bpp]));
  }
}

}  // namespace

void UnfilterRow(int type, uint8_t* row, const uint8_t* prior, size_t n, size_t bpp) {
  switch (type) {
    case kFilterSub:
      switch (bpp) {
        case 1: return UnSub<1>(row, n);
        case 2: return UnSub<2>(row, n);
        case 3: return UnSub<3>(row, n);
        case 4: return UnSub<4>(row, n);
        default: return UnSubAny(row, n, bpp);
      }
    case kFilterUp:
      return UnUp(row, prior, n);
    case kFilterAverage:
      switch (bpp) {
        case 1: return UnAverage<1>(row, prior, n);
        case 2: return UnAverage<2>(row, prior, n);
        case 3: return UnAverage<3>(row, prior, n);
        case 4: return UnAverage<4>(row, prior, n);
        default: return UnAverageAny(row, prior, n, bpp);
      }
    case kFilterPaeth:
      switch (bpp) {
        case 1: return UnPaeth<1>(row, prior, n);
        case 2: return UnPaeth<2>(row, prior, n);
        case 3: return UnPaeth<3>(row, prior, n);
        case 4: return UnPaeth<4>(row, prior, n);
        case 6: return UnPaeth<6>(row, prior, n);
        case 8: return UnPaeth<8>(row, prior, n);
        default: return UnPaethAny(row, prior, n, bpp);
      }
    default:
      return;
  }
}

void FilterRow(int type, const uint8_t* row, const uint8_t* prior, uint8_t* out, size_t n, size_t bpp) {
  const size_t first = bpp < n ? bpp : n;
  switch (type) {
    case kFilterSub:
      std::memcpy(out, row, first);
      for (size_t i = bpp; i < n; ++i) out[i] = static_cast<uint8_t>(row[i] - row[i - bpp]);
      return;
    case kFilterUp:
      for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(row[i] - prior[i]);
      return;
    case kFilterAverage:
      for (size_t i = 0; i < first; ++i) out[i] = static_cast<uint8_t>(row[i] - (prior[i] >> 1));
      for (size_t i = bpp; i < n; ++i) out[i] = static_cast<uint8_t>(row[i] - ((row[i - bpp] + prior[i]) >> 1));
      return;
    case kFilterPaeth:
      for (size_t i = 0; i < first; ++i) out[i] = static_cast<uint8_t>(row[i] - prior[i]);
      for (size_t i = bpp; i < n; ++i) {
        out[i] = static_cast<uint8_t>(row[i] - PaethPredictor(row[i - bpp], prior[i], prior[i - bpp]));
      }
      return;
    default:
      std::memcpy(out, row, n);
      return;
  }
}

long long FilterScore(uint8_t type, const uint8_t* data, size_t n, bool below_8_bits) {
  uint32_t counts[256] = {};
  counts[type] = 1;
  for (size_t i = 0; i < n; ++i) ++counts[data[i]];
  const size_t total = n + 1;

  uint32_t c1 = 0, c2 = 0, c3 = 0;
  int distinct = 0;
  for (uint32_t c : counts) {
    if (c == 0) continue;
    ++distinct;
    if (c > c1) {
      c3 = c2;
      c2 = c1;
      c1 = c;
    } else if (c > c2) {
      c3 = c2;
      c2 = c;
    } else if (c > c3) {
      c3 = c;
    }
  }
  // A row of one value, or of very few values, compresses as well as it can.
  if ((c1 / total) * 100 >= 90 || distinct <= 8) return -1;
  const double nd = static_cast<double>(total);
  if (below_8_bits) {
    return static_cast<long long>(nd / 1.5 / distinct * 1500 + (c1 + c2) / nd * 1000);
  }
  return static_cast<long long>(nd / 1.5 / distinct * 1000 + (c1 + c2 + c3) / nd * 1000);
}

int ChooseAdaptiveFilter(const uint8_t* row, const uint8_t* prior, uint8_t* out, uint8_t* scratch, size_t n,
                         int bits_per_pixel) {
  std::memcpy(out, row, n);
  if (bits_per_pixel == 4) return kFilterNone;
  const bool below_8_bits = bits_per_pixel < 8;
  long long best_score = FilterScore(kFilterNone, row, n, below_8_bits);
  if (best_score == -1) return kFilterNone;
  if (bits_per_pixel == 1 || bits_per_pixel == 8) best_score *= 2;

  const size_t bpp = FilterDistance(bits_per_pixel);
  int best = kFilterNone;
  uint8_t* best_row = out;
  uint8_t* candidate = scratch;
  for (int type = kFilterSub; type <= kFilterPaeth; ++type) {
    FilterRow(type, row, prior, candidate, n, bpp);
    const long long score = FilterScore(static_cast<uint8_t>(type), candidate, n, below_8_bits);
    if (score == -1 || score > best_score) {
      best = type;
      best_score = score;
      std::swap(best_row, candidate);
      if (score == -1) break;
    }
  }
  if (best_row != out) std::memcpy(out, best_row, n);
  return best;
}

}  // namespace tapestrel::imaging
