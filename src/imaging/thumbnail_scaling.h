// Fitting pictures into thumbnail boxes and resampling them there.
#pragma once

#include "imaging/bitmap.h"
#include "imaging/stop_request.h"

namespace tapestrel::imaging {

struct Size {
  int width = 0, height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// How a picture is fitted into a thumbnail box.
enum class TGetType {
  igtNormal,   // no scaling
  igtPreview,  // shrink to fit, never enlarge
  igtStretch,  // enlarge or shrink to fit
  igtFit,      // exactly the box, aspect not kept
};

// The size of a pw x ph picture shrunk at constant aspect into a w x h box;
// a picture that fits keeps its size. The ratio pw / ph is a double and the
// products and quotients with it are truncated exactly, so 100 x 300 in a
// 120 x 90 box is 29 x 90 (the double just below 1/3, times 90).
Size FitSize(int pw, int ph, int w, int h);

// The size a pw x ph picture takes in a w x h box under `type`.
Size FitByGetType(TGetType type, int pw, int ph, int w, int h);

// Resamples to tw x th in 24 bits per pixel (any palette is dropped), width
// first, then height: an area average when shrinking, cubic Lagrange
// interpolation when enlarging, in fixed point. A zero target size leaves an
// empty bitmap; an empty source throws ImageError. `stop` is looked at every
// row; a stopped resampling throws PictureStopped and leaves `bitmap` empty.
void ResampleTo(Bitmap& bitmap, int tw, int th, const StopRequest& stop = {});

// The JPEG decoder's scale denominator (1, 2, 4 or 8) for a pw x ph picture
// that is to fill a w x h box: the largest reduction that still covers it.
int ChooseJpegScale(int pw, int ph, int w, int h);

}  // namespace tapestrel::imaging
