#include "imaging/tabitmap.h"

#include <algorithm>
#include <cstring>

#include "imaging/bmp_file.h"
#include "imaging/pixel_convert.h"

namespace tapestrel::imaging {

TABitmap::TABitmap(const Bitmap& picture) : bitmap_(ConvertTo32(picture)) {}

TABitmap::TABitmap(Bitmap&& picture) {
  if (picture.Format() != PixelFormat::Bits32) {
    bitmap_ = ConvertTo32(picture);
    return;
  }
  bitmap_ = std::move(picture);
  bitmap_.Palette().clear();  // as a converted copy has none
}

void TABitmap::Make32Bit() {
  if (!bitmap_.Empty() && bitmap_.Format() != PixelFormat::Bits32) bitmap_ = ConvertTo32(bitmap_);
}

void TABitmap::SetSize(int width, int height) {
  Make32Bit();
  if (width == Width() && height == Height()) return;
  if (width == 0 || height == 0) {
    bitmap_ = Bitmap();
    return;
  }
  Bitmap resized(width, height, PixelFormat::Bits32);
  const int rows = std::min(height, Height());
  const size_t bytes = static_cast<size_t>(std::min(width, Width())) * 4;
  for (int y = 0; y < rows; ++y) std::memcpy(resized.Row(y), bitmap_.Row(y), bytes);
  bitmap_ = std::move(resized);
}

void TABitmap::LoadFromFile(const std::string& path) {
  bitmap_ = ReadBmpFile(path);
  Make32Bit();
}

void TABitmap::SaveToFile(const std::string& path) const { WriteBmpFile(path, bitmap_); }

}  // namespace tapestrel::imaging
