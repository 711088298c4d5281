// The PNG calls the rest of the program makes: a .png file or its bytes to a
// bitmap (plus alpha mask), and a bitmap (plus mask) to a .png file with every
// member at its default.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/png/png_error.h"
#include "imaging/stop_request.h"

namespace tapestrel::imaging {

struct PngPicture {
  Bitmap image;
  Bitmap alpha_mask;  // 8 bits, 255 - alpha; empty unless has_alpha
  bool has_alpha = false;
  bool transparent = false;
  int32_t transparent_color = -1;  // 0x00BBGGRR, or a palette index with bit 24 set
};

// Throw EKVXPNG (or ImageError when the file cannot be opened). `stop` is
// looked at as rows are decoded: a load asked to stop throws PictureStopped.
PngPicture LoadPngFile(const std::string& path, const StopRequest& stop = {});
PngPicture LoadPng(std::span<const uint8_t> data, const StopRequest& stop = {});

// `mask`, when given, must be an 8-bit bitmap of the image's size to be used.
void SavePngFile(const std::string& path, const Bitmap& image, const Bitmap* mask = nullptr);
std::vector<uint8_t> SavePng(const Bitmap& image, const Bitmap* mask = nullptr);

}  // namespace tapestrel::imaging
