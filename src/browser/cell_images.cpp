#include "browser/cell_images.h"

#include <algorithm>
#include <cstring>

#include "imaging/pixel_convert.h"
#include "imaging/thumbnail_scaling.h"

namespace tapestrel::browser {

void InstallThumbnail(TImgListItem& entry, const imaging::Bitmap& work, int sourceWidth, int sourceHeight,
                      int boxW, int boxH, imaging::ColorValue background) {
  using imaging::Bitmap;
  entry.Loaded = true;
  auto cell = std::make_shared<Bitmap>(boxW, boxH, imaging::PixelFormat::Bits24);
  const uint8_t bgr[3] = {imaging::BlueOf(background), imaging::GreenOf(background),
                          imaging::RedOf(background)};
  for (int y = 0; y < boxH; ++y) {
    uint8_t* row = cell->Row(y);
    for (int x = 0; x < boxW; ++x) std::memcpy(row + 3 * x, bgr, 3);
  }
  if (!work.Empty()) {
    const Bitmap* source = &work;
    Bitmap widened;
    if (work.Format() != imaging::PixelFormat::Bits24) {
      widened = imaging::ConvertTo24(work);
      source = &widened;
    }
    const imaging::Size fitted = imaging::FitSize(source->Width(), source->Height(), boxW, boxH);
    const CellOffset at = CenteredIn(fitted.width, fitted.height, boxW, boxH);
    // The visible part: cell columns x0..x1, rows y0..y1.
    const int x0 = std::max(at.x, 0), x1 = std::min(at.x + source->Width(), boxW);
    const int y0 = std::max(at.y, 0), y1 = std::min(at.y + source->Height(), boxH);
    for (int y = y0; y < y1; ++y)
      if (x1 > x0)
        std::memcpy(cell->Row(y) + 3 * x0, source->Row(y - at.y) + 3 * (x0 - at.x), 3 * size_t(x1 - x0));
  }
  entry.Image = std::move(cell);
  entry.ImageShared = false;
  entry.ImageWidth = sourceWidth;
  entry.ImageHeight = sourceHeight;
}

void InstallIcon(TImgListItem& entry, std::shared_ptr<const imaging::Bitmap> icon) {
  entry.ImageWidth = icon ? icon->Width() : 0;
  entry.ImageHeight = icon ? icon->Height() : 0;
  entry.Image = std::move(icon);
  entry.ImageShared = true;
}

}  // namespace tapestrel::browser
