#include "platform/dpi_scale.h"

#include <cstdint>

namespace tapestrel::platform {

int ScaleForDpi(int pixels, int dpi) {
  if (dpi <= 0) dpi = kDefaultDpi;
  const int64_t product = static_cast<int64_t>(pixels) * dpi;
  const int64_t half = kDefaultDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kDefaultDpi : (product - half) / kDefaultDpi);
}

int ImageScaleForDpi(int dpi) {
  int chosen = kImageScales[0];
  for (int scale : kImageScales) {
    if (static_cast<int64_t>(dpi) * 100 >= static_cast<int64_t>(scale) * kDefaultDpi) chosen = scale;
  }
  return chosen;
}

}  // namespace tapestrel::platform
