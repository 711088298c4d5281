// Red and blue exchanged in three-byte pixels: PNG rows are red-green-blue,
// bitmap rows blue-green-red. Both codec directions spend a visible part of
// their time here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tapestrel::imaging {

// `src` and `dst` hold `width` pixels and must not overlap.
void SwapRedBlue24(const uint8_t* src, uint8_t* dst, size_t width);

}  // namespace tapestrel::imaging
