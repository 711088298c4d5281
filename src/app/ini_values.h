// Text forms of the values in "Tapestrel.ini".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/color_value.h"

namespace tapestrel::app {

using imaging::ColorValue;

// Decimal with an optional sign, or hexadecimal after "$", "0x" or "0X"
// (up to eight digits, read as a 32-bit pattern). Leading and trailing blanks
// are allowed; anything else makes the text unreadable.
std::optional<int32_t> ParseIniInteger(std::string_view text);

// A color name ("clWhite", "clBtnFace", ...) or "$" and eight upper-case
// hexadecimal digits.
std::string ColorToText(ColorValue color);
// A color name or an integer text; empty for anything else.
std::optional<ColorValue> ParseColor(std::string_view text);

// The application list: every line followed by "|".
std::string EncodeApplicationList(const std::vector<std::string>& lines);
std::vector<std::string> DecodeApplicationList(std::string_view value);

// Six or more upper-case hexadecimal digits of a custom color ("ColorA"...).
std::string CustomColorToText(ColorValue color);

}  // namespace tapestrel::app
