// The images of thumbnail cells: a finished thumbnail installed in its
// entry, or the icon image it shares with entries of the same icon.
#pragma once

#include <memory>

#include "browser/shell_items.h"
#include "imaging/bitmap.h"
#include "imaging/color_value.h"

namespace tapestrel::browser {

struct CellOffset {
  int x = 0, y = 0;
  friend bool operator==(const CellOffset&, const CellOffset&) = default;
};
// Where an image of w x h lies centred in a boxW x boxH box (negative when
// larger: the box clips it).
inline CellOffset CenteredIn(int w, int h, int boxW, int boxH) { return {(boxW - w) / 2, (boxH - h) / 2}; }

// The entry's own boxW x boxH 24-bit cell image: `background` (RGB) with the
// work bitmap copied unscaled, centred by its size fitted into the box and
// clipped at the edges. Marks the entry loaded and records the source size.
void InstallThumbnail(TImgListItem& entry, const imaging::Bitmap& work, int sourceWidth, int sourceHeight,
                      int boxW, int boxH, imaging::ColorValue background);

// Gives the entry a shared icon image, recording its size.
void InstallIcon(TImgListItem& entry, std::shared_ptr<const imaging::Bitmap> icon);

}  // namespace tapestrel::browser
