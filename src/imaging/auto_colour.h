// The automatic blank colour: the colour of a picture's frame, for the
// desktop around a centred picture or the bars beside a ratio-drawn one.
#pragma once

#include "imaging/bitmap.h"
#include "imaging/pixel_convert.h"

namespace tapestrel::imaging {

// The top and right edges are compared with the top-left pixel, the bottom
// and left edges with the bottom-right pixel. When some edges are uniform and
// all of those agree on their reference colour, that colour; otherwise the
// mean of all edge pixels (corners counted once per edge), each channel
// truncated. Black for an empty bitmap.
ColorValue AutoBlankColor(const Bitmap& picture);

}  // namespace tapestrel::imaging
