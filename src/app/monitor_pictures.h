// Pictures for several monitors out of one change order.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/change_engine.h"
#include "browser/picture_list.h"
#include "imaging/bitmap.h"
#include "platform/screen_rect.h"

namespace tapestrel::app {

struct ChosenPicture {
  std::string path;
  int width = 0, height = 0;  // as shown
  // The picture, when its size could only be learnt by decoding it; else it
  // is drawn straight from the file.
  std::shared_ptr<const imaging::Bitmap> decoded;
};
using SharedPicture = std::shared_ptr<const ChosenPicture>;

// A picture's size for choosing it; empty when it cannot be used.
using PictureProbe = std::function<std::optional<ChosenPicture>(const std::string& path)>;
// Draws a chosen picture on a monitor; false when its data turn out unusable.
using MonitorDrawing = std::function<bool(const ChosenPicture& picture, const platform::ScreenRect& monitor)>;

// How many pictures the orientation match looks ahead for each monitor
// before it settles for a picture of the other shape.
constexpr size_t kShapeLookAhead = 6;

// One picture per monitor, in the monitors' order, each drawn as it is
// chosen: each takes the next usable picture of the candidates, and one
// whose drawing fails gives way to the next. With `matchOrientation` a
// monitor taller than wide takes the next portrait picture and any other the
// next landscape one, else the next of either shape; a picture passed over
// stays in line for the monitors after it. When the list runs out, the
// pictures chosen so far come round again. Empty when no picture can be used
// at all.
std::vector<SharedPicture> ChoosePerMonitor(std::span<const platform::ScreenRect> monitors,
                                            ChangeCandidates& candidates,
                                            const browser::PictureList& pictures, bool matchOrientation,
                                            const PictureProbe& probe, const MonitorDrawing& draw);

// The monitors in the order they take pictures: the others from the left,
// the primary one (first in `monitors`) last, so that the last picture of a
// change, which the next one continues from, is the primary monitor's.
std::vector<platform::ScreenRect> PrimaryLast(std::span<const platform::ScreenRect> monitors);

}  // namespace tapestrel::app
