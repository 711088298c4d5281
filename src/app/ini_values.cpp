#include "app/ini_values.h"

#include <array>
#include <cstdio>

#include "platform/ansi_text.h"

namespace tapestrel::app {
namespace {

struct NamedColor {
  const char* name;
  ColorValue value;
};

constexpr std::array<NamedColor, 20> kColorNames{{
    {"clBlack", 0x000000},      {"clMaroon", 0x000080},  {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000},       {"clPurple", 0x800080},  {"clTeal", 0x808000},  {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},     {"clRed", 0x0000FF},     {"clLime", 0x00FF00},  {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},       {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},  {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
}};

// The Windows system colors by their COLOR_ index.
constexpr std::array<NamedColor, 30> kSystemColorNames{{
    {"clScrollBar", 0},
    {"clBackground", 1},
    {"clActiveCaption", 2},
    {"clInactiveCaption", 3},
    {"clMenu", 4},
    {"clWindow", 5},
    {"clWindowFrame", 6},
    {"clMenuText", 7},
    {"clWindowText", 8},
    {"clCaptionText", 9},
    {"clActiveBorder", 10},
    {"clInactiveBorder", 11},
    {"clAppWorkSpace", 12},
    {"clHighlight", 13},
    {"clHighlightText", 14},
    {"clBtnFace", 15},
    {"clBtnShadow", 16},
    {"clGrayText", 17},
    {"clBtnText", 18},
    {"clInactiveCaptionText", 19},
    {"clBtnHighlight", 20},
    {"cl3DDkShadow", 21},
    {"cl3DLight", 22},
    {"clInfoText", 23},
    {"clInfoBk", 24},
    {"clHotLight", 26},
    {"clGradientActiveCaption", 27},
    {"clGradientInactiveCaption", 28},
    {"clMenuHighlight", 29},
    {"clMenuBar", 30},
}};

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<int32_t> ParseIniInteger(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;

  bool hex = false;
  if (text.front() == '$') {
    hex = true;
    text.remove_prefix(1);
  } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    hex = true;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;

  int64_t value = 0;
  if (hex) {
    if (text.size() > 8) return std::nullopt;
    for (char c : text) {
      const int d = HexDigit(c);
      if (d < 0) return std::nullopt;
      value = value * 16 + d;
    }
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
  }
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(value);
}

std::string ColorToText(ColorValue color) {
  for (const NamedColor& c : kColorNames) {
    if (c.value == color) return c.name;
  }
  for (const NamedColor& c : kSystemColorNames) {
    if ((imaging::kSystemColorFlag | c.value) == color) return c.name;
  }
  char text[16];
  std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(color));
  return text;
}

std::optional<ColorValue> ParseColor(std::string_view text) {
  for (const NamedColor& c : kColorNames) {
    if (EqualsIgnoreCase(c.name, text)) return c.value;
  }
  for (const NamedColor& c : kSystemColorNames) {
    if (EqualsIgnoreCase(c.name, text)) return imaging::kSystemColorFlag | c.value;
  }
  if (auto value = ParseIniInteger(text)) return static_cast<ColorValue>(*value);
  return std::nullopt;
}

std::string EncodeApplicationList(const std::vector<std::string>& lines) {
  std::string value;
  for (const std::string& line : lines) value += line + "|";
  return value;
}

std::vector<std::string> DecodeApplicationList(std::string_view value) {
  // Each "|" stands for a line break; a final break makes no empty last line.
  // The second byte of a double-byte character may equal "|": step over it.
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (platform::IsAnsiLeadByte(static_cast<unsigned char>(c)) && i + 1 < value.size()) {
      line += c;
      line += value[++i];
    } else if (c == '|' || c == '\n' || c == '\r') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string CustomColorToText(ColorValue color) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(color));
  return text;
}

}  // namespace tapestrel::app
