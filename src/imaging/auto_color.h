// The automatic blank color: the color of a picture's frame, for the
// desktop around a centred picture or the bars beside a ratio-drawn one.
#pragma once

#include <vector>

#include "imaging/bitmap.h"
#include "imaging/pixel_convert.h"

namespace tapestrel::imaging {

// The top and right edges are compared with the top-left pixel, the bottom
// and left edges with the bottom-right pixel. When some edges are uniform and
// all of those agree on their reference color, that color; otherwise the
// mean of all edge pixels (corners counted once per edge), each channel
// truncated. Black for an empty bitmap.
ColorValue AutoBlankColor(const Bitmap& picture);

// The same from the edges alone, for pictures never held whole: the top and
// bottom rows left to right, the right and left columns top to bottom.
struct PictureEdges {
  std::vector<ColorValue> top, right, bottom, left;
};
ColorValue AutoBlankColor(const PictureEdges& edges);

}  // namespace tapestrel::imaging
