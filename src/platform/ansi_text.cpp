#include "platform/ansi_text.h"

namespace tapestrel::platform {
namespace {

unsigned g_codePage = 932;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Length in bytes of the character starting at text[i].
size_t CharLength(std::string_view text, size_t i) {
  return (IsAnsiLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
}

}  // namespace

void SetAnsiCodePage(unsigned codePage) { g_codePage = codePage; }
unsigned AnsiCodePage() { return g_codePage; }

bool IsAnsiLeadByte(unsigned char b) {
  switch (g_codePage) {
    case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    default: return false;
  }
}

std::string AnsiLowerAscii(std::string_view text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); i += CharLength(out, i)) out[i] = LowerAscii(out[i]);
  return out;
}

bool AnsiEqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AnsiLowerAscii(a) == AnsiLowerAscii(b);
}

size_t AnsiFindLastOf(std::string_view text, std::string_view chars) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (chars.find(text[i]) != std::string_view::npos) found = i;
  }
  return found;
}

size_t AnsiFindIgnoreCase(std::string_view text, std::string_view needle, size_t from) {
  if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
  const std::string lowerText = AnsiLowerAscii(text);
  const std::string lowerNeedle = AnsiLowerAscii(needle);
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (i >= from && lowerText.compare(i, lowerNeedle.size(), lowerNeedle) == 0) return i;
  }
  return std::string_view::npos;
}

}  // namespace tapestrel::platform
