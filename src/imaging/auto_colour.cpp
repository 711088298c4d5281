#include "imaging/auto_colour.h"

#include <cstdint>

namespace tapestrel::imaging {
namespace {

enum class Edge { Top, Right, Bottom, Left };
constexpr Edge kEdges[] = {Edge::Top, Edge::Right, Edge::Bottom, Edge::Left};

template <typename Visit>
void ForEachPixel(const Bitmap& b, Edge edge, Visit&& visit) {
  const int w = b.Width(), h = b.Height();
  switch (edge) {
    case Edge::Top:
      for (int x = 0; x < w; ++x) if (!visit(PixelColor(b, x, 0))) return;
      break;
    case Edge::Right:
      for (int y = 0; y < h; ++y) if (!visit(PixelColor(b, w - 1, y))) return;
      break;
    case Edge::Bottom:
      for (int x = 0; x < w; ++x) if (!visit(PixelColor(b, x, h - 1))) return;
      break;
    case Edge::Left:
      for (int y = 0; y < h; ++y) if (!visit(PixelColor(b, 0, y))) return;
      break;
  }
}

}  // namespace

ColorValue AutoBlankColor(const Bitmap& picture) {
  if (picture.Empty()) return 0;
  const ColorValue topLeft = PixelColor(picture, 0, 0);
  const ColorValue bottomRight = PixelColor(picture, picture.Width() - 1, picture.Height() - 1);

  bool anyUniform = false, agree = true;
  ColorValue found = 0;
  for (Edge edge : kEdges) {
    const ColorValue reference = edge == Edge::Top || edge == Edge::Right ? topLeft : bottomRight;
    bool uniform = true;
    ForEachPixel(picture, edge, [&](ColorValue c) { return uniform = c == reference; });
    if (!uniform) continue;
    if (anyUniform && reference != found) agree = false;
    anyUniform = true;
    found = reference;
  }
  if (anyUniform && agree) return found;

  uint64_t red = 0, green = 0, blue = 0, count = 0;
  for (Edge edge : kEdges) {
    ForEachPixel(picture, edge, [&](ColorValue c) {
      red += RedOf(c);
      green += GreenOf(c);
      blue += BlueOf(c);
      ++count;
      return true;
    });
  }
  return MakeColor(static_cast<uint8_t>(red / count), static_cast<uint8_t>(green / count),
                   static_cast<uint8_t>(blue / count));
}

}  // namespace tapestrel::imaging
