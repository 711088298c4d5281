// A bitmap that always holds 32 bits per pixel (blue, green, red, a fourth
// byte carried along), the working format of the bilinear filter.
#pragma once

#include <cstdint>
#include <string>

#include "imaging/bitmap.h"

namespace tapestrel::imaging {

class TABitmap {
 public:
  TABitmap() = default;
  // Any picture, widened to 32 bits; a 32-bit one is taken over without a copy.
  explicit TABitmap(const Bitmap& picture);
  explicit TABitmap(Bitmap&& picture);

  // The 32-bit format is the invariant; kept as an operation because callers
  // that handed the pixels elsewhere re-establish it after a load.
  void Make32Bit();
  // Resizes, keeping the pixels that lie inside both the old and the new size;
  // new pixels are zero. A zero width or height leaves an empty bitmap.
  void SetSize(int width, int height);

  int Width() const { return bitmap_.Width(); }
  int Height() const { return bitmap_.Height(); }
  bool Empty() const { return bitmap_.Empty(); }

  // Pixels of row y (0 = top); std::out_of_range outside 0..Height()-1.
  uint8_t* Row(int y) { return bitmap_.Row(y); }
  const uint8_t* Row(int y) const { return bitmap_.Row(y); }

  // A bitmap file of any depth, read and widened to 32 bits.
  void LoadFromFile(const std::string& path);
  // A 32-bit BMP file, rows bottom-up.
  void SaveToFile(const std::string& path) const;

  const Bitmap& Dib() const { return bitmap_; }
  Bitmap TakeDib() && { return std::move(bitmap_); }

 private:
  Bitmap bitmap_{};
};

}  // namespace tapestrel::imaging
