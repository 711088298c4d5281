#include "imaging/png/png_filters.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// For three- and four-byte pixels the left-pixel dependency makes the byte
// loops slow; these process one whole pixel per step in vector lanes.
// Loads a pixel into the low lanes. Three-byte pixels are read as four bytes
// where the row has one more (the extra lane is never stored): assembling
// them from narrower loads would stall on store forwarding.
template <size_t B>
inline __m128i LoadPixel(const uint8_t* p, bool last) {
  int32_t v;
  if (B == 4 || !last) {
    std::memcpy(&v, p, 4);
  } else {
    v = p[0] | (p[1] << 8) | (p[2] << 16);
  }
  return _mm_cvtsi32_si128(v);
}

template <size_t B>
inline void StorePixel(uint8_t* p, __m128i v) {
  const auto x = static_cast<uint32_t>(_mm_cvtsi128_si32(v));
  if constexpr (B == 4) {
    std::memcpy(p, &x, 4);
  } else {
    const auto low = static_cast<uint16_t>(x);
    std::memcpy(p, &low, 2);
    p[2] = static_cast<uint8_t>(x >> 16);
  }
}

// Bytes after the last whole pixel (rows of whole pixels have none).
void UnfilterTail(int type, uint8_t* row, const uint8_t* prior, size_t from, size_t n, size_t bpp) {
  for (size_t i = from; i < n; ++i) {
    const int a = i >= bpp ? row[i - bpp] : 0;
    const int b = prior ? prior[i] : 0, c = prior && i >= bpp ? prior[i - bpp] : 0;
    const int predictor = type == kFilterSub       ? a
                          : type == kFilterAverage ? (a + b) >> 1
                                                   : PaethPredictor(a, b, c);
    row[i] = static_cast<uint8_t>(row[i] + predictor);
  }
}

template <size_t B>
void UnSubSse2(uint8_t* row, size_t n) {
  __m128i a = _mm_setzero_si128();
  for (size_t i = 0; i + B <= n; i += B) {
    a = _mm_add_epi8(LoadPixel<B>(row + i, i + B >= n), a);
    StorePixel<B>(row + i, a);
  }
  UnfilterTail(kFilterSub, row, nullptr, n - n % B, n, B);
}

template <size_t B>
void UnAverageSse2(uint8_t* row, const uint8_t* prior, size_t n) {
  const __m128i one = _mm_set1_epi8(1);
  __m128i a = _mm_setzero_si128();
  for (size_t i = 0; i + B <= n; i += B) {
    const __m128i b = LoadPixel<B>(prior + i, i + B >= n);
    // pavgb rounds up; take the carry back off for the floor of the mean.
    const __m128i mean = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
    a = _mm_add_epi8(LoadPixel<B>(row + i, i + B >= n), mean);
    StorePixel<B>(row + i, a);
  }
  UnfilterTail(kFilterAverage, row, prior, n - n % B, n, B);
}

inline __m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }
inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
  return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

template <size_t B>
void UnPaethSse2(uint8_t* row, const uint8_t* prior, size_t n) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = _mm_set1_epi16(0xFF);
  __m128i a = zero, c = zero;
  for (size_t i = 0; i + B <= n; i += B) {
    const bool last = i + B >= n;
    const __m128i b = _mm_unpacklo_epi8(LoadPixel<B>(prior + i, last), zero);
    const __m128i x = _mm_unpacklo_epi8(LoadPixel<B>(row + i, last), zero);
    const __m128i to_a = _mm_sub_epi16(b, c);  // p - a
    const __m128i to_b = _mm_sub_epi16(a, c);  // p - b
    const __m128i pa = Abs16(to_a), pb = Abs16(to_b), pc = Abs16(_mm_add_epi16(to_a, to_b));
    const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
    // Ties go to a, then b, as in the scalar predictor.
    const __m128i nearest =
        Select(_mm_cmpeq_epi16(smallest, pa), a, Select(_mm_cmpeq_epi16(smallest, pb), b, c));
    a = _mm_and_si128(_mm_add_epi16(x, nearest), low);
    StorePixel<B>(row + i, _mm_packus_epi16(a, a));
    c = b;
  }
  UnfilterTail(kFilterPaeth, row, prior, n - n % B, n, B);
}
#endif

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
        case 1:
          return UnSub<1>(row, n);
        case 2:
          return UnSub<2>(row, n);
#if defined(__SSE2__)
        case 3:
          return UnSubSse2<3>(row, n);
        case 4:
          return UnSubSse2<4>(row, n);
#else
        case 3:
          return UnSub<3>(row, n);
        case 4:
          return UnSub<4>(row, n);
#endif
        default:
          return UnSubAny(row, n, bpp);
      }
    case kFilterUp:
      return UnUp(row, prior, n);
    case kFilterAverage:
      switch (bpp) {
        case 1:
          return UnAverage<1>(row, prior, n);
        case 2:
          return UnAverage<2>(row, prior, n);
#if defined(__SSE2__)
        case 3:
          return UnAverageSse2<3>(row, prior, n);
        case 4:
          return UnAverageSse2<4>(row, prior, n);
#else
        case 3:
          return UnAverage<3>(row, prior, n);
        case 4:
          return UnAverage<4>(row, prior, n);
#endif
        default:
          return UnAverageAny(row, prior, n, bpp);
      }
    case kFilterPaeth:
      switch (bpp) {
        case 1:
          return UnPaeth<1>(row, prior, n);
        case 2:
          return UnPaeth<2>(row, prior, n);
#if defined(__SSE2__)
        case 3:
          return UnPaethSse2<3>(row, prior, n);
        case 4:
          return UnPaethSse2<4>(row, prior, n);
#else
        case 3:
          return UnPaeth<3>(row, prior, n);
        case 4:
          return UnPaeth<4>(row, prior, n);
#endif
        case 6:
          return UnPaeth<6>(row, prior, n);
        case 8:
          return UnPaeth<8>(row, prior, n);
        default:
          return UnPaethAny(row, prior, n, bpp);
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
      for (size_t i = bpp; i < n; ++i)
        out[i] = static_cast<uint8_t>(row[i] - ((row[i - bpp] + prior[i]) >> 1));
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

PngRowFilter::PngRowFilter(int filter_mode, int bits_per_pixel, size_t max_row_bytes)
    : adaptive_(filter_mode == 0),
      fixed_(filter_mode >= 2 && filter_mode <= 5 ? filter_mode - 1 : kFilterNone),
      bits_(bits_per_pixel),
      bpp_(FilterDistance(bits_per_pixel)) {
  if (adaptive_ || fixed_ != kFilterNone) buffers_.resize(2 * (max_row_bytes + 1));
}

const uint8_t* PngRowFilter::Apply(uint8_t* row, const uint8_t* prior, size_t n) {
  uint8_t* filtered = buffers_.data();
  if (adaptive_) {
    uint8_t* scratch = filtered + buffers_.size() / 2;
    filtered[0] =
        static_cast<uint8_t>(ChooseAdaptiveFilter(row + 1, prior, filtered + 1, scratch + 1, n, bits_));
    return filtered;
  }
  if (fixed_ != kFilterNone) {
    filtered[0] = static_cast<uint8_t>(fixed_);
    FilterRow(fixed_, row + 1, prior, filtered + 1, n, bpp_);
    return filtered;
  }
  row[0] = kFilterNone;
  return row;
}

}  // namespace tapestrel::imaging
