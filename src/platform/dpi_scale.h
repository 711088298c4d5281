// Sizes at the screen's scale. Every pixel size the program lays out by is
// written for 96 dots per inch (100%) and grows with the scale the window is
// shown at; the images drawn for several scales are picked by it.
#pragma once

namespace tapestrel::platform {

inline constexpr int kDefaultDpi = 96;

// `pixels` at 96 dpi as many pixels at `dpi`, rounded to the nearest (half
// away from zero, as MulDiv does).
int ScaleForDpi(int pixels, int dpi);

// The scales (in percent) the tool bar's images are drawn at, smallest first.
inline constexpr int kImageScales[] = {100, 125, 150, 200};
// Of kImageScales, the largest that `dpi` reaches; 100 below it. An image
// never comes out larger than the scale asks for.
int ImageScaleForDpi(int dpi);

}  // namespace tapestrel::platform
