// A JPEG drawn for one screen of a larger canvas straight from its file, the
// way the wallpaper of a single screen is drawn from it: without holding the
// whole picture where the position mode allows.
#pragma once

#include <optional>
#include <string>

#include "imaging/color_value.h"
#include "imaging/jpeg_file.h"
#include "imaging/monitor_canvas.h"
#include "imaging/tabitmap.h"

namespace tapestrel::imaging {

// The picture's size as shown: from the header, turned when its Exif
// orientation is applied and swaps the axes. Throws ImageError when the
// header cannot be read; the picture data are not looked at.
JpegHeader ReadJpegFileShownSize(const std::string& path, bool exifOrientation);

// Draws the picture into `area` of the canvas exactly as DrawForScreen draws
// it decoded, on `blank` or, when there is none, the picture's automatic
// color. Ratio and stretched drawing take the rows as they are decoded;
// the other modes, and a photo turned by its Exif orientation, decode it
// whole first. Throws ImageError when any of the data fail to decode, with
// the area then partly drawn.
void DrawJpegFileForScreen(const std::string& path, TABitmap& canvas, const ScreenRect& area, ScreenFit fit,
                           int anchor, std::optional<ColorValue> blank, bool exifOrientation);

}  // namespace tapestrel::imaging
