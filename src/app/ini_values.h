// Text forms of the values in "Tapestrel.ini".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tapestrel::app {

// Decimal with an optional sign, or hexadecimal after "$", "0x" or "0X"
// (up to eight digits, read as a 32-bit pattern). Leading and trailing blanks
// are allowed; anything else makes the text unreadable.
std::optional<int32_t> ParseIniInteger(std::string_view text);

// Colour values are 0x00BBGGRR; 0x80000000 plus an index stands for a
// Windows system colour.
using ColourValue = uint32_t;
constexpr ColourValue kSystemColourFlag = 0x80000000;

// A colour name ("clWhite", "clBtnFace", ...) or "$" and eight upper-case
// hexadecimal digits.
std::string ColourToText(ColourValue colour);
// A colour name or an integer text; empty for anything else.
std::optional<ColourValue> ParseColour(std::string_view text);

// The application list: every line followed by "|".
std::string EncodeApplicationList(const std::vector<std::string>& lines);
std::vector<std::string> DecodeApplicationList(std::string_view value);

// Six or more upper-case hexadecimal digits of a custom colour ("ColorA"...).
std::string CustomColourToText(ColourValue colour);

}  // namespace tapestrel::app
