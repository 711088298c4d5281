// The PNG reader takes files from anywhere: no input may crash it, read out of
// bounds, leak or hang. Pictures that load are saved again with options taken
// from the input and must load back, which drives the writer as well.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "imaging/png/kvxpng.h"

namespace {

using namespace tapestrel::imaging;

uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Pictures the reader accepts may be up to a gigabyte; the fuzzer would spend
// its time clearing memory. Skip inputs whose first header asks for more than
// a few megabytes (the size checks themselves are covered by the unit tests).
bool SmallEnough(const uint8_t* data, size_t size) {
  size_t pos = size > 128 && data[0] == 0 && data[74] == 0 ? 128 + 8 : 8;
  while (pos + 8 <= size) {
    const uint32_t length = Be32(data + pos);
    if (std::memcmp(data + pos + 4, "IHDR", 4) == 0) {
      if (pos + 16 > size) return true;
      const uint64_t w = Be32(data + pos + 8), h = Be32(data + pos + 12);
      return w * h <= (uint64_t{1} << 22);
    }
    pos += uint64_t{length} + 12 > size ? size : length + 12;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!SmallEnough(data, size)) return 0;
  TKVXPNG png;
  try {
    if (size > 0 && (data[size - 1] & 1)) {
      std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
      png.LoadFromStream(in);
    } else {
      png.LoadFromMemory({data, size});
    }
  } catch (const EKVXPNG&) {
    return 0;
  }

  const uint8_t options = size > 0 ? data[size - 1] : 0;
  png.FilterMode = options % 7;
  png.Interlaced = (options & 0x40) != 0;
  png.IdatSize = 256;
  png.StampTime = false;
  std::vector<uint8_t> saved;
  png.SaveToMemory(saved);
  TKVXPNG back;
  back.LoadFromMemory(saved);
  if (back.Width() != png.Width() || back.Height() != png.Height()) __builtin_trap();
  return 0;
}
