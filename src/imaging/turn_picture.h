// Turning and mirroring a decoded picture into the orientation its camera
// recorded, before anything scales it.
#pragma once

#include "imaging/bitmap.h"
#include "imaging/exif_orientation.h"

namespace tapestrel::imaging {

// The picture as it is to be shown: AsStored gives it back untouched; the
// quarter turns and the transposes swap width and height. Pixel formats below
// 8 bits are widened to 24 first; the others, and any palette, are kept.
Bitmap TurnAsRecorded(Bitmap picture, ExifOrientation orientation);

}  // namespace tapestrel::imaging
