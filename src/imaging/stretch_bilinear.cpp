#include "imaging/stretch_bilinear.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

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
  if (!std::isfinite(srcX) || !std::isfinite(srcY) || !std::isfinite(dstX) || !std::isfinite(dstY)) return false;
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

// One destination row. The blend is InterpolateChannel's, rearranged for
// speed: with signed values and arithmetic shifts,
//   a + ((((fx*fy*(a+d-b-c)) >> 8) + (b-a)*fx + (c-a)*fy) >> 8)
// has the same low 8 bits as the wrapping unsigned form. The neighbours are
// re-read only when the source column changes.
struct RowJob {
  const uint8_t* upper;
  const uint8_t* lower;
  int lastColumn;  // source columns past this repeat it
  uint32_t x;      // source position of the first pixel, 8 fraction bits
  uint32_t stepX;
  uint32_t fy;
  int count;
  uint8_t* out;
};

bool forceScalar = false;

void StretchRowScalar(const RowJob& job) {
  uint32_t x = job.x;
  int32_t a[4] = {}, b[4] = {}, cfy[4] = {}, d[4] = {};
  uint32_t cached = 0xFFFFFFFF;
  const int32_t fy = static_cast<int32_t>(job.fy);
  uint8_t* out = job.out;
  for (int i = 0; i < job.count; ++i, x += job.stepX, out += 4) {
    const uint32_t k = x >> 8;
    if (k != cached) {
      cached = k;
      const size_t k0 = std::min<size_t>(k, static_cast<size_t>(job.lastColumn));
      const size_t k1 = std::min<size_t>(size_t{k} + 1, static_cast<size_t>(job.lastColumn));
      const uint8_t* p00 = job.upper + 4 * k0;
      const uint8_t* p01 = job.upper + 4 * k1;
      const uint8_t* p10 = job.lower + 4 * k0;
      const uint8_t* p11 = job.lower + 4 * k1;
      for (int ch = 0; ch < 4; ++ch) {
        a[ch] = p00[ch];
        b[ch] = p01[ch] - p00[ch];
        cfy[ch] = (p10[ch] - p00[ch]) * fy;
        d[ch] = p00[ch] + p11[ch] - p01[ch] - p10[ch];
      }
    }
    const int32_t fx = static_cast<int32_t>(x & 0xFF);
    const int32_t fxfy = fx * fy;
    for (int ch = 0; ch < 4; ++ch) {
      out[ch] = static_cast<uint8_t>(a[ch] + ((((fxfy * d[ch]) >> 8) + b[ch] * fx + cfy[ch]) >> 8));
    }
  }
}

#if defined(__SSE2__)
// The same with the four channels in the 32-bit lanes of one register. The
// 16-bit multiply-adds need factors below 32768, so fx*fy is split into its
// high and low bytes H and L: (fx*fy*D) >> 8 == D*H + ((D*L) >> 8).
void StretchRowSse2(const RowJob& job) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i low8 = _mm_set1_epi32(0xFF);
  const __m128i fyHigh = _mm_set1_epi32(static_cast<int>(job.fy << 16));
  uint32_t x = job.x;
  uint32_t cached = 0xFFFFFFFF;
  __m128i a32 = zero, db = zero, dc = zero, base = zero;
  uint8_t* out = job.out;
  auto load = [](const uint8_t* p) {
    int v;
    std::memcpy(&v, p, 4);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(v), _mm_setzero_si128());
  };
  for (int i = 0; i < job.count; ++i, x += job.stepX, out += 4) {
    const uint32_t k = x >> 8;
    if (k != cached) {
      cached = k;
      const size_t k0 = std::min<size_t>(k, static_cast<size_t>(job.lastColumn));
      const size_t k1 = std::min<size_t>(size_t{k} + 1, static_cast<size_t>(job.lastColumn));
      const __m128i a = load(job.upper + 4 * k0);
      const __m128i b = load(job.upper + 4 * k1);
      const __m128i c = load(job.lower + 4 * k0);
      const __m128i d = load(job.lower + 4 * k1);
      const __m128i dd = _mm_sub_epi16(_mm_add_epi16(a, d), _mm_add_epi16(b, c));
      db = _mm_unpacklo_epi16(dd, _mm_sub_epi16(b, a));
      dc = _mm_unpacklo_epi16(dd, _mm_sub_epi16(c, a));
      a32 = _mm_unpacklo_epi16(a, zero);
      base = _mm_madd_epi16(dc, fyHigh);  // (c-a)*fy
    }
    const uint32_t fx = x & 0xFF;
    const uint32_t fxfy = fx * job.fy;
    const __m128i hf = _mm_set1_epi32(static_cast<int>((fxfy >> 8) | fx << 16));
    const __m128i l0 = _mm_set1_epi32(static_cast<int>(fxfy & 0xFF));
    __m128i s = _mm_add_epi32(_mm_madd_epi16(db, hf), base);
    s = _mm_add_epi32(s, _mm_srai_epi32(_mm_madd_epi16(dc, l0), 8));
    __m128i r = _mm_and_si128(_mm_add_epi32(a32, _mm_srai_epi32(s, 8)), low8);
    r = _mm_packs_epi32(r, r);
    r = _mm_packus_epi16(r, r);
    const int v = _mm_cvtsi128_si32(r);
    std::memcpy(out, &v, 4);
  }
}
#endif

void StretchRow(const RowJob& job) {
#if defined(__SSE2__)
  if (!forceScalar) return StretchRowSse2(job);
#endif
  StretchRowScalar(job);
}

}  // namespace

namespace detail {
void ForceScalarStretchRows(bool on) { forceScalar = on; }
}  // namespace detail

void StretchBilinear(int srcW, int srcH, int dstW, double srcX, double srcY, double dstX, double dstY, int dstH,
                     const TABitmap& source, TABitmap& dest) {
  // Zero or negative sizes would divide by zero below; they draw nothing.
  if (srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0) return;
  if (source.Empty() || dest.Empty()) return;
  const uint32_t stepX = static_cast<uint32_t>(int64_t{srcW} * 255 / dstW);
  const uint32_t stepY = static_cast<uint32_t>(int64_t{srcH} * 255 / dstH);
  const int SW = source.Width(), SH = source.Height();
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

  RowJob job{};
  job.lastColumn = SW - 1;
  job.x = x0;
  job.stepX = stepX;
  job.count = columns;
  uint32_t y = 0;
  for (int r = 0; r < rows; ++r, y += stepY) {
    const int64_t s = int64_t{y >> 8} + ys;
    job.upper = source.Row(static_cast<int>(std::min<int64_t>(s, SH - 1)));
    job.lower = source.Row(static_cast<int>(std::min<int64_t>(s + 1, SH - 1)));
    job.fy = y & 0xFF;
    job.out = dest.Row(r0 + r) + size_t{4} * static_cast<size_t>(c0);
    StretchRow(job);
  }
}

}  // namespace tapestrel::imaging
