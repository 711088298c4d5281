// The program's one color type: 0x00BBGGRR, as Windows and "Tapestrel.ini"
// store colors. A value with the top bit set stands for a Windows system
// color, its index in the low byte.
#pragma once

#include <cstdint>

namespace tapestrel::imaging {

using ColorValue = uint32_t;

constexpr ColorValue kSystemColorFlag = 0x80000000;

constexpr ColorValue MakeColor(uint8_t red, uint8_t green, uint8_t blue) {
  return ColorValue{red} | ColorValue{green} << 8 | ColorValue{blue} << 16;
}
constexpr uint8_t RedOf(ColorValue c) { return c & 0xFF; }
constexpr uint8_t GreenOf(ColorValue c) { return (c >> 8) & 0xFF; }
constexpr uint8_t BlueOf(ColorValue c) { return (c >> 16) & 0xFF; }

}  // namespace tapestrel::imaging
