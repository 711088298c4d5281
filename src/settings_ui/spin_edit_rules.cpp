#include "settings_ui/spin_edit_rules.h"

#include <algorithm>
#include <limits>

namespace tapestrel::settings_ui {

int64_t LimitSpinValue(const SpinRange& range, int64_t value) {
  if (range.minValue == range.maxValue) return value;
  if (value < range.minValue) return range.minValue;
  if (value > range.maxValue) return range.maxValue;
  return value;
}

wchar_t NarrowSpinCharacter(wchar_t c) {
  if (c >= L'０' && c <= L'９') return static_cast<wchar_t>(L'0' + (c - L'０'));
  switch (c) {
    case L'＋':
      return L'+';
    case L'－':
      return L'-';
    case L'\u2212':
      return L'-';  // the minus sign some input methods give
    case L'\u3000':
      return L' ';
    default:
      return c;
  }
}

std::optional<int64_t> ParseSpinText(std::wstring_view typed) {
  std::wstring plain(typed);
  for (wchar_t& c : plain) c = NarrowSpinCharacter(c);
  std::wstring_view text = plain;
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  // Accumulated negatively, so that the smallest 64-bit value fits too.
  int64_t value = 0;
  constexpr int64_t kLowest = std::numeric_limits<int64_t>::min();
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    const int digit = c - L'0';
    if (value < (kLowest + digit) / 10) return std::nullopt;
    value = value * 10 - digit;
  }
  if (negative) return value;
  if (value == kLowest) return std::nullopt;
  return -value;
}

int64_t SpinValueOf(const SpinRange& range, std::wstring_view text) {
  return ParseSpinText(text).value_or(range.minValue);
}

std::wstring SpinText(int64_t value) { return std::to_wstring(value); }

int64_t SteppedSpinValue(const SpinRange& range, std::wstring_view text, int direction) {
  const int64_t value = SpinValueOf(range, text);
  const int64_t step = direction >= 0 ? range.increment : -range.increment;
  int64_t next;
  if (__builtin_add_overflow(value, step, &next)) {
    next = step > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
  }
  return LimitSpinValue(range, next);
}

bool SpinAcceptsCharacter(wchar_t typed, wchar_t decimalSeparator, bool editorEnabled) {
  const wchar_t c = NarrowSpinCharacter(typed);
  const bool control = c < L' ' || c == 0x7F;
  if (c == L'\r') return false;
  if (!editorEnabled && (!control || c == L'\b')) return false;
  if (control) return true;
  return c == L'+' || c == L'-' || (c >= L'0' && c <= L'9') || c == decimalSeparator;
}

std::optional<std::wstring> CorrectedSpinText(const SpinRange& range, std::wstring_view text, bool leaving) {
  const std::optional<int64_t> value = ParseSpinText(text);
  if (!value) {
    if (!leaving) return std::nullopt;
    return SpinText(range.minValue);
  }
  const int64_t limited = LimitSpinValue(range, *value);
  const bool fullWidth =
      std::any_of(text.begin(), text.end(), [](wchar_t c) { return NarrowSpinCharacter(c) != c; });
  if (limited == *value && !(leaving && fullWidth)) return std::nullopt;
  return SpinText(limited);
}

int SpinMinimumHeight(int textHeight, int systemFontHeight, int controlFontHeight, int borderWidth) {
  return textHeight + std::min(systemFontHeight, controlFontHeight) / 4 + 4 * borderWidth + 2;
}

}  // namespace tapestrel::settings_ui
