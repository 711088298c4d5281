#include "settings_ui/spin_edit_rules.h"

#include <gtest/gtest.h>

#include <limits>

namespace tapestrel::settings_ui {
namespace {

constexpr SpinRange kCpu{1, 100, 1};
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

TEST(SpinEditRules, RangeLimitsUnlessMinimumEqualsMaximum) {
  EXPECT_EQ(LimitSpinValue(kCpu, 0), 1);
  EXPECT_EQ(LimitSpinValue(kCpu, 250), 100);
  EXPECT_EQ(LimitSpinValue(kCpu, 55), 55);
  EXPECT_EQ(LimitSpinValue({5, 5, 1}, -7), -7);
  EXPECT_EQ(LimitSpinValue({5, 5, 1}, kMax), kMax);
}

TEST(SpinEditRules, TextIsA64BitIntegerOrReadsAsTheMinimum) {
  struct Case {
    const wchar_t* text;
    int64_t value;
  };
  for (const Case& c : std::initializer_list<Case>{{L"42", 42},
                                                   {L" -17 ", -17},
                                                   {L"+8", 8},
                                                   {L"9223372036854775807", kMax},
                                                   {L"-9223372036854775808", kMin},
                                                   {L"9223372036854775808", 1},  // beyond 64 bits
                                                   {L"", 1},
                                                   {L"-", 1},
                                                   {L"1.5", 1},
                                                   {L"12a", 1},
                                                   {L"$10", 1},
                                                   {L"1 2", 1},
                                                   // Typed with the Japanese input method on.
                                                   {L"１０", 10},
                                                   {L"\u3000－５\u3000", -5},
                                                   {L"−3", -3},
                                                   {L"＋８", 8},
                                                   {L"1０", 10},
                                                   {L"１．５", 1},
                                                   {L"１ａ", 1}}) {
    EXPECT_EQ(SpinValueOf(kCpu, c.text), c.value) << c.text;
  }
}

TEST(SpinEditRules, StepsAreLimitedAndNeverOverflow) {
  EXPECT_EQ(SteppedSpinValue(kCpu, L"5", +1), 6);
  EXPECT_EQ(SteppedSpinValue(kCpu, L"5", -1), 4);
  EXPECT_EQ(SteppedSpinValue(kCpu, L"100", +1), 100);
  EXPECT_EQ(SteppedSpinValue(kCpu, L"1", -1), 1);
  EXPECT_EQ(SteppedSpinValue(kCpu, L"abc", +1), 2);  // the minimum, one up
  EXPECT_EQ(SteppedSpinValue({0, 0, 10}, L"9223372036854775800", +1), kMax);
  EXPECT_EQ(SteppedSpinValue({0, 0, 10}, L"-9223372036854775800", -1), kMin);
  EXPECT_EQ(SteppedSpinValue({0, 1000, 250}, L"900", +1), 1000);
}

TEST(SpinEditRules, TypedCharacters) {
  for (wchar_t c : {L'0', L'9', L'+', L'-', L',', L'\b', wchar_t{3}, wchar_t{22}, L'０', L'９', L'＋', L'－'})
    EXPECT_TRUE(SpinAcceptsCharacter(c, L',', true)) << int(c);
  for (wchar_t c : {L'a', L'.', L' ', L'\r', L'ａ', L'．', L'\u3000'})
    EXPECT_FALSE(SpinAcceptsCharacter(c, L',', true)) << int(c);
  // A read-only editor lets through control keys (copy), nothing that edits.
  for (wchar_t c : {L'5', L'-', L'\b'}) EXPECT_FALSE(SpinAcceptsCharacter(c, L',', false)) << int(c);
  EXPECT_TRUE(SpinAcceptsCharacter(wchar_t{3}, L',', false));
}

TEST(SpinEditRules, CorrectionAfterKeyReleaseAndFocusLoss) {
  // Typing 0 into the CPU value: shown as 1; 150: 100.
  EXPECT_EQ(CorrectedSpinText(kCpu, L"0", false), L"1");
  EXPECT_EQ(CorrectedSpinText(kCpu, L"150", true), L"100");
  EXPECT_EQ(CorrectedSpinText(kCpu, L"50", false), std::nullopt);
  // An emptied field may be typed into; leaving it shows the minimum.
  EXPECT_EQ(CorrectedSpinText(kCpu, L"", false), std::nullopt);
  EXPECT_EQ(CorrectedSpinText(kCpu, L"", true), L"1");
  EXPECT_EQ(CorrectedSpinText(kCpu, L"-", true), L"1");
  // Full-width digits stay while typing and are written plainly on leaving.
  EXPECT_EQ(CorrectedSpinText(kCpu, L"１５０", false), L"100");
  EXPECT_EQ(CorrectedSpinText(kCpu, L"５０", false), std::nullopt);
  EXPECT_EQ(CorrectedSpinText(kCpu, L"５０", true), L"50");
}

TEST(SpinEditRules, MinimumHeight) {
  // 13 pixels of text, fonts of 16 and 12: 13 + 3 + 4 * 1 + 2.
  EXPECT_EQ(SpinMinimumHeight(13, 16, 12, 1), 22);
  EXPECT_EQ(SpinMinimumHeight(13, 12, 16, 2), 13 + 3 + 8 + 2);
}

}  // namespace
}  // namespace tapestrel::settings_ui
