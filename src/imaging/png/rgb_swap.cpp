#include "imaging/png/rgb_swap.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tapestrel::imaging {

void SwapRedBlue24(const uint8_t* src, uint8_t* dst, size_t width) {
  size_t i = 0;
#if defined(__SSE2__)
  // Five pixels per step: byte 3k takes byte 3k + 2 and byte 3k + 2 takes
  // byte 3k, through two-byte shifts of the whole register. Each step reads
  // and writes 16 bytes, so it stops while six pixels remain.
  const __m128i keep = _mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0);
  const __m128i from_right = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0);
  const __m128i from_left = _mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0);
  for (; i + 6 <= width; i += 5) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * i));
    const __m128i out =
        _mm_or_si128(_mm_and_si128(v, keep), _mm_or_si128(_mm_and_si128(_mm_srli_si128(v, 2), from_right),
                                                          _mm_and_si128(_mm_slli_si128(v, 2), from_left)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 3 * i), out);
  }
#endif
  for (; i < width; ++i) {
    const uint8_t* s = src + 3 * i;
    uint8_t* d = dst + 3 * i;
    const uint8_t r = s[0], g = s[1], b = s[2];
    d[0] = b;
    d[1] = g;
    d[2] = r;
  }
}

}  // namespace tapestrel::imaging
