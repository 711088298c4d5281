// The photograph stand-in of the benchmarks: smooth gradients with grain, so
// that the JPEG codec and the scalers have a photo's work to do.
#pragma once

#include <cstdint>
#include <random>

#include "imaging/bitmap.h"

namespace tapestrel::bench {

inline imaging::Bitmap PhotoLike(int w, int h, unsigned seed = 1, int blueGrain = 2) {
  imaging::Bitmap b(w, h, imaging::PixelFormat::Bits24);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b.Row(y);
    for (int x = 0; x < w; ++x) {
      const int grain = static_cast<int>(rng() % 24);
      row[3 * x] = static_cast<uint8_t>((x * 255 / w + grain) & 0xFF);
      row[3 * x + 1] = static_cast<uint8_t>((y * 255 / h + grain) & 0xFF);
      row[3 * x + 2] = static_cast<uint8_t>(((x + y) * 127 / (w + h) + grain * blueGrain) & 0xFF);
    }
  }
  return b;
}

}  // namespace tapestrel::bench
