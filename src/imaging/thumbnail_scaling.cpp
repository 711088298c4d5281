#include "imaging/thumbnail_scaling.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "imaging/pixel_convert.h"

namespace tapestrel::imaging {
namespace {

// Exact truncation of products and quotients of a double ratio with an
// integer. Extended-precision arithmetic gives the same for these sizes, but
// whether a thread computes in extended precision depends on the x87 control
// word it started with; integers do not.
struct Wide {
  uint64_t hi = 0, lo = 0;
};

Wide Multiply(uint64_t a, uint64_t b) {
  const uint64_t a0 = a & 0xFFFFFFFF, a1 = a >> 32, b0 = b & 0xFFFFFFFF, b1 = b >> 32;
  const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFF) + (p10 & 0xFFFFFFFF);
  return Wide{p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32), (middle << 32) | (p00 & 0xFFFFFFFF)};
}

Wide ShiftRight(Wide v, int s) {
  if (s >= 128) return {};
  if (s >= 64) return Wide{0, v.hi >> (s - 64)};
  if (s == 0) return v;
  return Wide{v.hi >> s, (v.lo >> s) | (v.hi << (64 - s))};
}

// floor(n / d) for d < 2^63, saturating at UINT64_MAX.
uint64_t Divide(Wide n, uint64_t d) {
  if (n.hi >= d) return UINT64_MAX;
  uint64_t rem = n.hi, q = 0;
  for (int bit = 63; bit >= 0; --bit) {
    rem = (rem << 1) | ((n.lo >> bit) & 1);
    q <<= 1;
    if (rem >= d) {
      rem -= d;
      q |= 1;
    }
  }
  return q;
}

int Saturate(uint64_t v) { return v > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(v); }

// r as mantissa x 2^exponent, the mantissa a 53-bit integer.
void Decompose(double r, uint64_t& mantissa, int& exponent) {
  int e = 0;
  const double m = std::frexp(r, &e);
  mantissa = static_cast<uint64_t>(std::ldexp(m, 53));
  exponent = e - 53;
}

// trunc(r * n) for r > 0, n >= 0.
int TruncTimes(double r, int n) {
  uint64_t m;
  int e;
  Decompose(r, m, e);
  const Wide p = Multiply(m, static_cast<uint64_t>(n));
  if (e < 0) {
    const Wide q = ShiftRight(p, -e);
    return q.hi ? INT_MAX : Saturate(q.lo);
  }
  // r >= 2^53 does not occur for picture ratios; saturate rather than shift.
  return p.hi || p.lo ? INT_MAX : 0;
}

// trunc(n / r) for r > 0, n >= 0.
int TruncDivide(int n, double r) {
  uint64_t m;
  int e;
  Decompose(r, m, e);
  if (e >= 0) return Saturate((static_cast<uint64_t>(n) >> std::min(e, 63)) / m);
  // n x 2^-e as a 128-bit number; -e is at most 1074 + 53 for tiny r.
  const int s = -e;
  if (s >= 64 + 32) return n == 0 ? 0 : INT_MAX;
  Wide num{0, static_cast<uint64_t>(n)};
  if (s >= 64) {
    num = Wide{static_cast<uint64_t>(n) << (s - 64), 0};
  } else if (s > 0) {
    num = Wide{static_cast<uint64_t>(n) >> (64 - s), static_cast<uint64_t>(n) << s};
  }
  return Saturate(Divide(num, m));
}

// Which source pixels make each destination pixel of one line, and with which
// weights; the same for every row (horizontal pass) or column (vertical pass).
struct Taps {
  bool shrink = false;
  uint64_t factor = 0;     // shrinking: scales the weighted sum to 2^40
  std::vector<int> begin;  // taps of pixel j: begin[j] .. begin[j + 1] - 1
  std::vector<int> index;  // source pixel
  std::vector<int32_t> weight;
};

constexpr int kAreaBits = 18;
constexpr int64_t kAreaOne = int64_t{1} << kAreaBits;

// Area average of n source pixels into m < n: pixel j covers n*j/m up to
// n*(j+1)/m, the partly covered ends weighted by their coverage in 2^-18 units.
Taps ShrinkTaps(int n, int m) {
  Taps t;
  t.shrink = true;
  // trunc(m / n x 2^22 + 0.5), exactly.
  t.factor = (static_cast<uint64_t>(m) * (uint64_t{1} << 23) + static_cast<uint64_t>(n)) /
             (2 * static_cast<uint64_t>(n));
  std::vector<int64_t> whole(m + 1), fraction(m + 1);
  for (int j = 0; j <= m; ++j) {
    const int64_t num = int64_t{n} * j;
    whole[j] = num / m;
    // trunc(fraction x 2^18 + 0.5), exactly.
    fraction[j] = ((num % m) * 2 * kAreaOne + m) / (2 * int64_t{m});
  }
  t.begin.reserve(m + 1);
  for (int j = 0; j < m; ++j) {
    t.begin.push_back(static_cast<int>(t.index.size()));
    t.index.push_back(static_cast<int>(whole[j]));
    t.weight.push_back(static_cast<int32_t>(kAreaOne - fraction[j]));
    for (int64_t i = whole[j] + 1; i < whole[j + 1]; ++i) {
      t.index.push_back(static_cast<int>(i));
      t.weight.push_back(static_cast<int32_t>(kAreaOne));
    }
    if (fraction[j + 1] != 0) {
      t.index.push_back(static_cast<int>(whole[j + 1]));
      t.weight.push_back(static_cast<int32_t>(fraction[j + 1]));
    }
  }
  t.begin.push_back(static_cast<int>(t.index.size()));
  return t;
}

// Cubic Lagrange through four neighbours, for n source pixels into m > n:
// pixel j samples (n - 1) * j / (m - 1); weights in 2^-20 units.
Taps EnlargeTaps(int n, int m) {
  Taps t;
  t.begin.reserve(m + 1);
  for (int j = 0; j < m; ++j) {
    t.begin.push_back(static_cast<int>(t.index.size()));
    const double p = static_cast<double>(n - 1) * j / (m - 1);
    const int whole = static_cast<int>(p);
    const double x = p - whole + 1;
    const double w[4] = {-(x - 1) * (x - 2) * (x - 3) / 6, x * (x - 2) * (x - 3) / 2,
                         -x * (x - 1) * (x - 3) / 2, x * (x - 1) * (x - 2) / 6};
    for (int k = 0; k < 4; ++k) {
      t.index.push_back(std::clamp(whole - 1 + k, 0, n - 1));
      t.weight.push_back(static_cast<int32_t>(w[k] * (1 << 20) + 0.5));
    }
  }
  t.begin.push_back(static_cast<int>(t.index.size()));
  return t;
}

Taps MakeTaps(int n, int m) { return m < n ? ShrinkTaps(n, m) : EnlargeTaps(n, m); }

uint8_t Finish(const Taps& t, int64_t sum) {
  // Shrinking starts the sum at half a unit for rounding and scales it by the
  // factor; enlarging rounds at 2^19 and drops the 20 fraction bits.
  const int64_t v = t.shrink
                        ? static_cast<int64_t>((static_cast<uint64_t>(sum + kAreaOne / 2) * t.factor) >> 40)
                        : (sum + (int64_t{1} << 19)) >> 20;
  return static_cast<uint8_t>(std::clamp<int64_t>(v, 0, 255));
}

Bitmap ResampleWidth(const Bitmap& src, int tw, const StopRequest& stop) {
  const Taps taps = MakeTaps(src.Width(), tw);
  Bitmap out(tw, src.Height(), PixelFormat::Bits24);
  for (int y = 0; y < src.Height(); ++y) {
    stop.ThrowIfRequested();
    const uint8_t* in = src.Row(y);
    uint8_t* o = out.Row(y);
    for (int j = 0; j < tw; ++j) {
      int64_t s0 = 0, s1 = 0, s2 = 0;
      for (int k = taps.begin[j]; k < taps.begin[j + 1]; ++k) {
        const uint8_t* p = in + 3 * taps.index[k];
        const int64_t w = taps.weight[k];
        s0 += w * p[0];
        s1 += w * p[1];
        s2 += w * p[2];
      }
      o[3 * j] = Finish(taps, s0);
      o[3 * j + 1] = Finish(taps, s1);
      o[3 * j + 2] = Finish(taps, s2);
    }
  }
  return out;
}

// Works a row at a time, so the source is read along its rows.
Bitmap ResampleHeight(const Bitmap& src, int th, const StopRequest& stop) {
  const Taps taps = MakeTaps(src.Height(), th);
  Bitmap out(src.Width(), th, PixelFormat::Bits24);
  const size_t bytes = static_cast<size_t>(src.Width()) * 3;
  std::vector<int64_t> sum(bytes);
  for (int j = 0; j < th; ++j) {
    stop.ThrowIfRequested();
    std::fill(sum.begin(), sum.end(), 0);
    for (int k = taps.begin[j]; k < taps.begin[j + 1]; ++k) {
      const uint8_t* in = src.Row(taps.index[k]);
      const int64_t w = taps.weight[k];
      for (size_t i = 0; i < bytes; ++i) sum[i] += w * in[i];
    }
    uint8_t* o = out.Row(j);
    for (size_t i = 0; i < bytes; ++i) o[i] = Finish(taps, sum[i]);
  }
  return out;
}

}  // namespace

Size FitSize(int pw, int ph, int w, int h) {
  if (pw <= w && ph <= h) return {pw, ph};
  if (pw <= 0 || ph <= 0) return {w, h};
  const double r = static_cast<double>(pw) / ph;
  if (pw > ph) {
    Size s{w, TruncDivide(w, r)};
    if (s.height > h) s = {TruncTimes(r, h), h};
    return s;
  }
  Size s{TruncTimes(r, h), h};
  if (s.width > w) s = {w, TruncDivide(w, r)};
  return s;
}

Size FitByGetType(TGetType type, int pw, int ph, int w, int h) {
  switch (type) {
    case TGetType::igtNormal:
      return {pw, ph};
    case TGetType::igtPreview:
      return pw > w || ph > h ? FitSize(pw, ph, w, h) : Size{pw, ph};
    case TGetType::igtFit:
      return {w, h};
    case TGetType::igtStretch: {
      if (!(pw < w && ph < h)) return FitSize(pw, ph, w, h);
      if (pw <= 0 || ph <= 0) return {w, h};
      const double r = static_cast<double>(pw) / ph;
      Size s;
      if (ph < pw) {
        s = {w, TruncDivide(w, r)};
        if (s.height > h) s = {TruncTimes(r, h), h};
      } else {
        s = {TruncTimes(r, h), h};
        // A box narrower than high would otherwise get a portrait picture
        // wider than the box.
        if (s.width > w) s = {w, TruncDivide(w, r)};
      }
      return s;
    }
  }
  return {pw, ph};
}

void ResampleTo(Bitmap& bitmap, int tw, int th, const StopRequest& stop) {
  if (bitmap.Empty()) throw ImageError("cannot resample an empty bitmap");
  if (tw <= 0 || th <= 0) {
    bitmap = Bitmap();
    return;
  }
  // A 24-bit picture is taken over, not copied: a large photo's copy alone
  // would outlast a stop request.
  const bool plain24 = bitmap.Format() == PixelFormat::Bits24 && bitmap.Palette().empty();
  Bitmap work = plain24 ? std::move(bitmap) : ConvertTo24(bitmap);
  bitmap = Bitmap();
  if (tw != work.Width()) work = ResampleWidth(work, tw, stop);
  if (th != work.Height()) work = ResampleHeight(work, th, stop);
  bitmap = std::move(work);
}

int ChooseJpegScale(int pw, int ph, int w, int h) {
  if (pw == w && ph == h) return 1;
  for (int scale : {8, 4, 2}) {
    if (ph / scale >= h && pw / scale >= w) return scale;
  }
  return 1;
}

}  // namespace tapestrel::imaging
