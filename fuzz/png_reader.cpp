// The PNG reader takes files from anywhere: no input may crash it, read out of
// bounds, leak or hang. Pictures that load are saved again with options taken
// from the input and must load back, which drives the writer as well.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "imaging/png/kvxpng.h"

using namespace tapestrel::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Any declared size goes in: the reader allocates only what the data could
  // fill, so a huge claim costs nothing.
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

  // Saving again costs per pixel; large pictures (up to about 1032 bytes a
  // byte of input) are left at having loaded.
  if (int64_t{png.Width()} * png.Height() > (int64_t{1} << 20)) return 0;
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
