#include "imaging/auto_color.h"

#include <cstdint>
#include <vector>

namespace tapestrel::imaging {

ColorValue AutoBlankColor(const Bitmap& picture) {
  if (picture.Empty()) return 0;
  const int w = picture.Width(), h = picture.Height();
  // Rows are converted whole; columns are read pixel by pixel.
  PictureEdges edges;
  edges.top = RowColors(picture, 0);
  edges.bottom = RowColors(picture, h - 1);
  edges.right.resize(h);
  edges.left.resize(h);
  for (int y = 0; y < h; ++y) {
    edges.right[y] = PixelColor(picture, w - 1, y);
    edges.left[y] = PixelColor(picture, 0, y);
  }
  return AutoBlankColor(edges);
}

ColorValue AutoBlankColor(const PictureEdges& picture) {
  // The four edges in the order they are visited.
  const std::vector<ColorValue>* edges[4] = {&picture.top, &picture.right, &picture.bottom, &picture.left};
  for (const auto* edge : edges) {
    if (edge->empty()) return 0;
  }
  // Top and right are compared with the top-left pixel, bottom and left with
  // the bottom-right one.
  const ColorValue references[4] = {picture.top.front(), picture.top.front(), picture.bottom.back(),
                                    picture.bottom.back()};

  bool anyUniform = false, agree = true;
  ColorValue found = 0;
  for (int e = 0; e < 4; ++e) {
    bool uniform = true;
    for (ColorValue c : *edges[e]) {
      if (c != references[e]) {
        uniform = false;
        break;
      }
    }
    if (!uniform) continue;
    if (anyUniform && references[e] != found) agree = false;
    anyUniform = true;
    found = references[e];
  }
  if (anyUniform && agree) return found;

  uint64_t red = 0, green = 0, blue = 0, count = 0;
  for (const auto* edge : edges) {
    for (ColorValue c : *edge) {
      red += RedOf(c);
      green += GreenOf(c);
      blue += BlueOf(c);
    }
    count += edge->size();
  }
  return MakeColor(static_cast<uint8_t>(red / count), static_cast<uint8_t>(green / count),
                   static_cast<uint8_t>(blue / count));
}

}  // namespace tapestrel::imaging
