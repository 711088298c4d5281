#include "browser/item_texts.h"

namespace tapestrel::browser {
namespace {

// At least `digits` decimal digits, zeros in front.
void AppendNumber(std::wstring& text, unsigned value, int digits) {
  std::wstring number = std::to_wstring(value);
  if (static_cast<int>(number.size()) < digits) text.append(digits - number.size(), L'0');
  text += number;
}

}  // namespace

std::wstring SizeText(uint64_t fileSize) {
  const uint32_t low = static_cast<uint32_t>(fileSize);
  return std::to_wstring(low / 1024 + 1) + L"KB";
}

std::wstring DateText(uint16_t dosDate, uint16_t dosTime, std::wstring_view dateSeparator,
                      std::wstring_view timeSeparator) {
  std::wstring text;
  AppendNumber(text, 1980u + (dosDate >> 9), 4);
  text += dateSeparator;
  AppendNumber(text, (dosDate >> 5) & 0x0Fu, 2);
  text += dateSeparator;
  AppendNumber(text, dosDate & 0x1Fu, 2);
  text += L' ';
  AppendNumber(text, dosTime >> 11, 2);
  text += timeSeparator;
  AppendNumber(text, (dosTime >> 5) & 0x3Fu, 2);
  return text;
}

}  // namespace tapestrel::browser
