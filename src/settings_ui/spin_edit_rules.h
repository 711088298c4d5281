// The rules of the spin edit (TWinSpinEdit): a one-line edit holding a 64-bit
// integer, limited to a range, stepped by the arrow keys and its up-down
// button. The window side only routes keys and texts through these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tapestrel::settings_ui {

struct SpinRange {
  int64_t minValue = 0;
  int64_t maxValue = 0;  // equal to minValue: no limit at all
  int64_t increment = 1;
};

int64_t LimitSpinValue(const SpinRange& range, int64_t value);
// Digits, signs and blanks typed with a Japanese input method come
// full-width ("１０", "－５", U+3000): the plain character each stands for.
// Any other character comes back as it is.
wchar_t NarrowSpinCharacter(wchar_t c);

// A decimal integer with an optional sign, blanks around it allowed, in plain
// or full-width characters; empty for anything else, including numbers beyond
// 64 bits.
std::optional<int64_t> ParseSpinText(std::wstring_view text);
// The value a text stands for: its integer, or the minimum when it is none.
int64_t SpinValueOf(const SpinRange& range, std::wstring_view text);
std::wstring SpinText(int64_t value);
// One step up (+1) or down (-1) from the text's value, limited; saturates
// instead of overflowing.
int64_t SteppedSpinValue(const SpinRange& range, std::wstring_view text, int direction);

// Whether a typed character is let through: signs, digits (full-width ones
// too), the locale's decimal separator and control characters other than
// Enter; with the editor disabled no printable character and no backspace.
bool SpinAcceptsCharacter(wchar_t c, wchar_t decimalSeparator, bool editorEnabled);

// After a key release or when the focus leaves: the text that replaces an
// out-of-range number, or empty when the text stays. A text that is no
// number stays while the user types (an emptied field must be typable), and
// becomes the minimum when the focus leaves; a number written full-width is
// written plainly when the focus leaves.
std::optional<std::wstring> CorrectedSpinText(const SpinRange& range, std::wstring_view text, bool leaving);

// The lowest the control may be: its text height, a quarter of the smaller of
// the system and control font heights, four border widths and two pixels.
int SpinMinimumHeight(int textHeight, int systemFontHeight, int controlFontHeight, int borderWidth);

}  // namespace tapestrel::settings_ui
