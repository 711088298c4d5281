// Bitmap sizes come straight from picture headers: no size may crash or
// allocate without bound.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "imaging/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tapestrel::imaging;
  if (size < 9) return 0;
  int32_t w, h;
  std::memcpy(&w, data, 4);
  std::memcpy(&h, data + 4, 4);
  const auto format = static_cast<PixelFormat>(data[8] % 7);
  try {
    Bitmap::CheckSize(w, h, format);
    if (Bitmap::StrideFor(w, format) * static_cast<size_t>(h) <= (1u << 24)) {
      Bitmap b(w, h, format);
      b.Row(h - 1)[b.Stride() - 1] = 1;
    }
  } catch (const ImageError&) {
  }
  return 0;
}
