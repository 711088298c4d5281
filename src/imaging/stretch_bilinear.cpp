#include "imaging/stretch_bilinear.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

#include "imaging/pixel_convert.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tapestrel::imaging {

uint8_t InterpolateChannel(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t fx, uint32_t fy) {
  // Unsigned 32-bit arithmetic on purpose: negative intermediates wrap and the
  // shifts are logical, which still leaves the right low 8 bits.
  const uint32_t t = (fx * fy * (a + d - b - c)) >> 8;
  const uint32_t u = (t + (b - a) * fx + (c - a) * fy) >> 8;
  return static_cast<uint8_t>(a + u);
}

bool ClipStretchRect(double& srcX, double& srcY, int& srcW, int& srcH, double& dstX, double& dstY, int& dstW,
                     int& dstH, int SW, int SH, int DW, int DH) {
  if (dstW <= 0 || dstH <= 0) return false;
  if (!std::isfinite(srcX) || !std::isfinite(srcY) || !std::isfinite(dstX) || !std::isfinite(dstY))
    return false;
  // 64-bit: a source wider than 32768 pixels would overflow 32 bits here.
  const int64_t sx = int64_t{srcW} * 65535 / dstW;
  const int64_t sy = int64_t{srcH} * 65535 / dstH;
  if (srcX < 0 || SW < srcX || srcY < 0 || SH < srcY) return false;
  if (DW <= dstX || DH <= dstY || dstW + dstX <= 0 || dstH + dstY <= 0) return false;

  if (dstX < 0) {
    dstW = static_cast<int>(dstW + dstX);
    srcW = static_cast<int>((dstW * sx) >> 16);
    srcX = srcX + std::fabs(dstX) * static_cast<double>(sx) / 65536.0;
    dstX = 0;
  }
  if (dstY < 0) {
    dstH = static_cast<int>(dstH + dstY);
    srcH = static_cast<int>((dstH * sy) >> 16);
    srcY = srcY + std::fabs(dstY) * static_cast<double>(sy) / 65536.0;
    dstY = 0;
  }
  if (dstW + dstX > DW) {
    dstW = static_cast<int>(DW - dstX);
    srcW = static_cast<int>((dstW * sx) >> 16);
  }
  if (dstH + dstY > DH) {
    dstH = static_cast<int>(DH - dstY);
    srcH = static_cast<int>((dstH * sy) >> 16);
  }
  if (dstW <= 0 || dstH <= 0) return false;
  if (srcX < 0 || SW < srcX || srcY < 0 || SH < srcY) return false;
  return true;
}

namespace {

// The blend InterpolateChannel defines equals N >> 16 for
//   N = (256-fx) * ((256-fy)*a + fy*c) + fx * ((256-fy)*b + fy*d):
// N and fx*fy*(a+d-b-c) agree modulo 256, so rounding that product down to
// whole 256ths first never changes N's whole 65536ths. The filter therefore
// separates into a vertical blend of each source column of the row pair and
// a horizontal blend of two such columns, which is how the rows are drawn.
//
// The horizontal half is the same for every row, so it is planned once: for
// each destination column the left source pixel of its pair and the weight
// of the right one (0..256). Positions at or past the last source column use
// the last pair with weight 256, which is the edge pixel repeated.
//
// Sources are read in their own 24 or 32 bits: widening a whole photograph
// first would cost a pass over far more pixels than the filter samples. A
// 24-bit pixel is read as if widened, with a fourth byte of 0.
struct Columns {
  std::vector<uint32_t> left;     // byte offset of the left pixel
  std::vector<uint32_t> right;    // byte offset of the right pixel
  std::vector<uint32_t> weights;  // four copies of (256 - fx) | fx << 16
};

Columns PlanColumns(uint32_t x0, uint32_t stepX, int count, int sourceWidth, uint32_t bytesPerPixel) {
  Columns c;
  c.left.resize(count);
  c.right.resize(count);
  c.weights.resize(size_t{4} * count);
  const uint32_t last = static_cast<uint32_t>(sourceWidth - 1);
  uint32_t x = x0;
  for (int i = 0; i < count; ++i, x += stepX) {
    uint32_t k = x >> 8, fx = x & 0xFF;
    if (last == 0) {
      k = 0;
    } else if (k >= last) {
      k = last - 1;
      fx = 256;
    }
    c.left[i] = bytesPerPixel * k;
    c.right[i] = bytesPerPixel * std::min(k + 1, last);
    std::fill_n(&c.weights[size_t{4} * i], 4, (256 - fx) | fx << 16);
  }
  return c;
}

struct RowJob {
  const uint8_t* upper;
  const uint8_t* lower;
  const uint8_t* nextUpper;  // the next row's source rows, to fetch ahead
  const uint8_t* nextLower;
  uint32_t fy;
  const Columns* columns;
  int count;
  // Leading columns whose pixel pairs may be loaded as 8 bytes: a 24-bit
  // pair is 6, and its last 2 bytes of the final row may lie past the pixels.
  int wide;
  uint8_t* out;
};

bool forceScalar = false;

// Columns from `from` on.
template <int Bpp>
void StretchRowScalar(const RowJob& job, int from) {
  const Columns& cols = *job.columns;
  const uint32_t fy = job.fy;
  for (int i = from; i < job.count; ++i) {
    const uint8_t* a = job.upper + cols.left[i];
    const uint8_t* b = job.upper + cols.right[i];
    const uint8_t* c = job.lower + cols.left[i];
    const uint8_t* d = job.lower + cols.right[i];
    const uint32_t fx = cols.weights[size_t{4} * i] >> 16;
    uint8_t* out = job.out + size_t{4} * i;
    for (int ch = 0; ch < Bpp; ++ch) {
      const uint32_t left = (256 - fy) * a[ch] + fy * c[ch];
      const uint32_t right = (256 - fy) * b[ch] + fy * d[ch];
      out[ch] = static_cast<uint8_t>(((256 - fx) * left + fx * right) >> 16);
    }
    if constexpr (Bpp == 3) out[3] = 0;  // the blend of four zero bytes
  }
}

#if defined(__SSE2__)
// One pixel per step in 32-bit lanes, with 16-bit multiply-adds. Interleaving
// the upper and lower rows' bytes pairs each channel with the one below it,
// so one multiply-add per source pixel gives its vertical blend V (at most
// 65280). Two blends, each less 32768 so as to fit a signed 16-bit lane, are
// paired per channel for the horizontal multiply-add; the 32768s come back as
// 128 after the shift. Needs a source at least two pixels wide, so that each
// pair can be read as 8 bytes; columns past job.wide go to the scalar code.
template <int Bpp>
void StretchRowSse2(const RowJob& job) {
  const Columns& cols = *job.columns;
  const __m128i zero = _mm_setzero_si128();
  const __m128i bias = _mm_set1_epi32(static_cast<int>(0x80008000u));
  const __m128i half = _mm_set1_epi16(128);
  const int weights = static_cast<int>((256 - job.fy) | job.fy << 16);
  // A 24-bit pixel's fourth lane holds bytes of its neighbour (or past the
  // row): weighted 0, it blends to the 0 a widened pixel has.
  const __m128i vertical = Bpp == 4 ? _mm_set1_epi32(weights) : _mm_set_epi32(0, weights, weights, weights);
  auto blend = [&](int i) {
    const uint32_t offset = cols.left[i];
    const __m128i u = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(job.upper + offset));  // a b
    const __m128i l = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(job.lower + offset));  // c d
    const __m128i ul = _mm_unpacklo_epi8(u, l);                                               // ac.. bd..
    // The right pixel's pairs start at its first byte: the 5th, or the 4th of 24 bits.
    const __m128i bd =
        Bpp == 4 ? _mm_unpackhi_epi8(ul, zero) : _mm_unpacklo_epi8(_mm_srli_si128(ul, 6), zero);
    const __m128i left = _mm_madd_epi16(_mm_unpacklo_epi8(ul, zero), vertical);
    const __m128i right = _mm_madd_epi16(bd, vertical);
    const __m128i pairs = _mm_xor_si128(_mm_or_si128(left, _mm_slli_epi32(right, 16)), bias);
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&cols.weights[size_t{4} * i]));
    return _mm_srai_epi32(_mm_madd_epi16(pairs, w), 16);
  };
  int i = 0;
  for (; i + 1 < job.wide; i += 2) {
    _mm_prefetch(reinterpret_cast<const char*>(job.nextUpper + cols.left[i]), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(job.nextLower + cols.left[i]), _MM_HINT_T0);
    const __m128i r = _mm_add_epi16(_mm_packs_epi32(blend(i), blend(i + 1)), half);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(job.out + size_t{4} * i), _mm_packus_epi16(r, r));
  }
  StretchRowScalar<Bpp>(job, i);
}
#endif

using RowKernel = void (*)(const RowJob&);

template <int Bpp>
void StretchRowScalarAll(const RowJob& job) {
  StretchRowScalar<Bpp>(job, 0);
}

// How many threads draw `pixels` destination pixels: one per processor, up
// to four, each with at least a million pixels, below which starting a
// thread costs more than it saves.
int ShareCount(int64_t pixels) {
  const int processors = static_cast<int>(std::min(4u, std::max(1u, std::thread::hardware_concurrency())));
  return static_cast<int>(std::clamp<int64_t>(pixels / 1000000, 1, processors));
}

RowKernel ChooseKernel(int bytesPerPixel, int sourceWidth) {
#if defined(__SSE2__)
  if (!forceScalar && sourceWidth >= 2) return bytesPerPixel == 3 ? StretchRowSse2<3> : StretchRowSse2<4>;
#endif
  return bytesPerPixel == 3 ? StretchRowScalarAll<3> : StretchRowScalarAll<4>;
}

}  // namespace

namespace detail {
void ForceScalarStretchRows(bool on) { forceScalar = on; }
}  // namespace detail

void StretchBilinear(int srcW, int srcH, int dstW, double srcX, double srcY, double dstX, double dstY,
                     int dstH, StretchSourceRows& source, TABitmap& dest) {
  // Zero or negative sizes would divide by zero below; they draw nothing.
  if (srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0) return;
  const int SW = source.Width(), SH = source.Height();
  if (SW <= 0 || SH <= 0 || dest.Empty()) return;
  const uint32_t stepX = static_cast<uint32_t>(int64_t{srcW} * 255 / dstW);
  const uint32_t stepY = static_cast<uint32_t>(int64_t{srcH} * 255 / dstH);
  if (!ClipStretchRect(srcX, srcY, srcW, srcH, dstX, dstY, dstW, dstH, SW, SH, dest.Width(), dest.Height())) {
    return;
  }
  const uint32_t x0 = static_cast<uint32_t>(srcX * 256);
  const int ys = static_cast<int>(srcY);
  const int c0 = static_cast<int>(dstX);
  const int r0 = static_cast<int>(dstY);
  // Clipping leaves c0 + dstW <= DW; keep that true whatever rounding did.
  const int columns = std::min(dstW, dest.Width() - c0);
  const int rows = std::min(dstH, dest.Height() - r0);

  const int bytesPerPixel = source.BytesPerPixel();
  const Columns plan = PlanColumns(x0, stepX, columns, SW, static_cast<uint32_t>(bytesPerPixel));
  const RowKernel kernel = ChooseKernel(bytesPerPixel, SW);
  auto sourceRow = [&](uint32_t y) {
    return static_cast<int>(std::min<int64_t>(int64_t{y >> 8} + ys, SH - 1));
  };
  // Destination rows [first, end): every row's arithmetic depends on its
  // index alone, so any split gives the same pixels.
  auto drawRows = [&](int first, int end) {
    RowJob job{};
    job.columns = &plan;
    job.count = columns;
    job.wide = columns;
    uint32_t y = stepY * static_cast<uint32_t>(first);
    for (int r = first; r < end; ++r, y += stepY) {
      const StretchSourceRows::Pair pair = source.Rows(sourceRow(y), sourceRow(y + stepY));
      job.upper = pair.upper;
      job.lower = pair.lower;
      job.nextUpper = pair.aheadUpper;
      job.nextLower = pair.aheadLower;
      if (bytesPerPixel == 3) {
        // The lower row lies at or after the upper one, so it is the one that
        // can run out; a 32-bit pair's 8 bytes always end inside its row.
        const size_t room = pair.lowerRoom;
        job.wide = room < 8 ? 0
                            : static_cast<int>(std::upper_bound(plan.left.begin(), plan.left.end(), room - 8) -
                                               plan.left.begin());
      }
      job.fy = y & 0xFF;
      job.out = dest.Row(r0 + r) + size_t{4} * static_cast<size_t>(c0);
      kernel(job);
    }
  };
  const int parts = source.AnyOrder() ? ShareCount(int64_t{rows} * columns) : 1;
  if (parts <= 1) return drawRows(0, rows);
  std::vector<std::thread> helpers;
  int first = 0;
  for (int part = 0; part < parts; ++part) {
    const int end = static_cast<int>(int64_t{rows} * (part + 1) / parts);
    if (part + 1 == parts) {
      drawRows(first, end);  // this thread takes the last share
    } else {
      try {
        helpers.emplace_back(drawRows, first, end);
      } catch (const std::system_error&) {
        drawRows(first, end);  // no thread to be had: drawn here
      }
    }
    first = end;
  }
  for (std::thread& helper : helpers) helper.join();
}

namespace {

// A whole bitmap of 24 or 32 bits.
class BitmapRows : public StretchSourceRows {
 public:
  explicit BitmapRows(const Bitmap& b) : b_(b), end_(b.Pixels() + b.PixelBytes()) {}
  int Width() const override { return b_.Width(); }
  int Height() const override { return b_.Height(); }
  int BytesPerPixel() const override { return b_.Format() == PixelFormat::Bits24 ? 3 : 4; }
  bool AnyOrder() const override { return true; }
  Pair Rows(int y, int next) override {
    const int last = b_.Height() - 1;
    const uint8_t* lower = b_.Row(std::min(y + 1, last));
    return {b_.Row(y), lower, static_cast<size_t>(end_ - lower), b_.Row(next),
            b_.Row(std::min(next + 1, last))};
  }

 private:
  const Bitmap& b_;
  const uint8_t* end_;
};

}  // namespace

void StretchBilinear(int srcW, int srcH, int dstW, double srcX, double srcY, double dstX, double dstY,
                     int dstH, const Bitmap& source, TABitmap& dest) {
  if (srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0) return;
  if (source.Empty() || dest.Empty()) return;
  const PixelFormat format = source.Format();
  if (format != PixelFormat::Bits24 && format != PixelFormat::Bits32) {
    return StretchBilinear(srcW, srcH, dstW, srcX, srcY, dstX, dstY, dstH, ConvertTo24(source), dest);
  }
  BitmapRows rows(source);
  StretchBilinear(srcW, srcH, dstW, srcX, srcY, dstX, dstY, dstH, rows, dest);
}

void StretchBilinear(int srcW, int srcH, int dstW, double srcX, double srcY, double dstX, double dstY,
                     int dstH, const TABitmap& source, TABitmap& dest) {
  StretchBilinear(srcW, srcH, dstW, srcX, srcY, dstX, dstY, dstH, source.Dib(), dest);
}

}  // namespace tapestrel::imaging
