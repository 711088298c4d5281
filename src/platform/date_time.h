// Date-times as the program stores them: days since 30 December 1899 as a
// double, the fraction being the time of day. Text forms follow the user's
// locale: the short date format, a blank, the long time format, with the
// time left out at exactly midnight.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tapestrel::platform {

using DateTime = double;

struct DateTimeParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Throws std::invalid_argument for a date or time that does not exist.
DateTime EncodeDateTime(const DateTimeParts& parts);
DateTimeParts DecodeDateTime(DateTime value);
// The whole days of a date-time (the date part).
long long DatePart(DateTime value);

// The locale's formats, in Windows picture syntax (e.g. "yyyy/MM/dd" and
// "H:mm:ss"), and the words they may use.
struct DateTimeFormat {
  std::string shortDate = "yyyy/MM/dd";
  std::string longTime = "H:mm:ss";
  std::string amDesignator = "AM";
  std::string pmDesignator = "PM";
  std::array<std::string, 12> monthNames{};       // MMMM
  std::array<std::string, 12> shortMonthNames{};  // MMM
  std::array<std::string, 7> dayNames{};          // dddd, Sunday first
  std::array<std::string, 7> shortDayNames{};     // ddd
};

std::string FormatDateTime(DateTime value, const DateTimeFormat& format);
// Reads the text back by the same formats: the date fields in the order the
// short date format gives them, then hour, minute and optional second with an
// optional AM/PM designator. Empty when the text is not a valid date-time.
std::optional<DateTime> ParseDateTime(std::string_view text, const DateTimeFormat& format);

}  // namespace tapestrel::platform
