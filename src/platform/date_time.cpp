#include "platform/date_time.h"

#include <cmath>
#include <stdexcept>
#include <vector>

namespace tapestrel::platform {
namespace {

constexpr long long kDaysFrom0000To18991230 = 693594;  // days from 0001-01-01 (day 1) to 1899-12-30

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return (m == 2 && IsLeapYear(y)) ? 29 : kDays[m - 1];
}

// Days since 0001-01-01 counted from 1 (proleptic Gregorian).
long long DayNumber(int y, int m, int d) {
  static constexpr int kBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const long long py = y - 1;
  long long n = py * 365 + py / 4 - py / 100 + py / 400 + kBefore[m - 1] + d;
  if (m > 2 && IsLeapYear(y)) ++n;
  return n;
}

void DateFromDayNumber(long long n, int& y, int& m, int& d) {
  // Walk 400-, 100-, 4- and 1-year cycles from day 1.
  long long days = n - 1;
  long long year = 1;
  year += 400 * (days / 146097);
  days %= 146097;
  long long c = days / 36524;
  if (c == 4) c = 3;
  year += 100 * c;
  days -= c * 36524;
  year += 4 * (days / 1461);
  days %= 1461;
  long long k = days / 365;
  if (k == 4) k = 3;
  year += k;
  days -= k * 365;
  y = static_cast<int>(year);
  m = 1;
  while (days >= DaysInMonth(y, m)) {
    days -= DaysInMonth(y, m);
    ++m;
  }
  d = static_cast<int>(days) + 1;
}

// A run of the same pattern letter, or literal text.
struct Token {
  char letter;  // 0 for literal text
  int count;
  std::string literal;
};

std::vector<Token> Tokenize(std::string_view pattern) {
  std::vector<Token> tokens;
  for (size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    if (c == '\'') {
      std::string lit;
      for (++i; i < pattern.size() && pattern[i] != '\''; ++i) lit += pattern[i];
      ++i;
      tokens.push_back({0, 0, lit});
    } else if (std::string_view("dMyghHmst").find(c) != std::string_view::npos) {
      size_t j = i;
      while (j < pattern.size() && pattern[j] == c) ++j;
      tokens.push_back({c, static_cast<int>(j - i), {}});
      i = j;
    } else {
      tokens.push_back({0, 0, std::string(1, c)});
      ++i;
    }
  }
  return tokens;
}

std::string Padded(int value, int width) {
  std::string s = std::to_string(value);
  while (static_cast<int>(s.size()) < width) s.insert(s.begin(), '0');
  return s;
}

void FormatPattern(std::string& out, std::string_view pattern, const DateTimeParts& p, int weekDay,
                   const DateTimeFormat& f) {
  for (const Token& t : Tokenize(pattern)) {
    const int n = t.count;
    switch (t.letter) {
      case 0: out += t.literal; break;
      case 'd':
        if (n <= 2) out += Padded(p.day, n);
        else out += (n == 3 ? f.shortDayNames : f.dayNames)[weekDay];
        break;
      case 'M':
        if (n <= 2) out += Padded(p.month, n);
        else out += (n == 3 ? f.shortMonthNames : f.monthNames)[p.month - 1];
        break;
      case 'y':
        if (n <= 2) out += Padded(p.year % 100, n);
        else out += Padded(p.year, n == 3 ? 4 : n);
        break;
      case 'g': break;  // era names: none in the Gregorian calendar we write
      case 'h': out += Padded(p.hour % 12 == 0 ? 12 : p.hour % 12, n >= 2 ? 2 : 1); break;
      case 'H': out += Padded(p.hour, n >= 2 ? 2 : 1); break;
      case 'm': out += Padded(p.minute, n >= 2 ? 2 : 1); break;
      case 's': out += Padded(p.second, n >= 2 ? 2 : 1); break;
      case 't': {
        const std::string& designator = p.hour < 12 ? f.amDesignator : f.pmDesignator;
        out += n == 1 ? designator.substr(0, 1) : designator;
        break;
      }
    }
  }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

DateTime EncodeDateTime(const DateTimeParts& p) {
  if (p.year < 1 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
      p.day > DaysInMonth(p.year, p.month) || p.hour < 0 || p.hour > 23 || p.minute < 0 || p.minute > 59 ||
      p.second < 0 || p.second > 59 || p.millisecond < 0 || p.millisecond > 999) {
    throw std::invalid_argument("invalid date or time");
  }
  const double date = static_cast<double>(DayNumber(p.year, p.month, p.day) - kDaysFrom0000To18991230);
  const double time = (p.hour * 3600000.0 + p.minute * 60000.0 + p.second * 1000.0 + p.millisecond) / 86400000.0;
  return date >= 0 ? date + time : date - time;
}

long long DatePart(DateTime value) { return static_cast<long long>(std::trunc(value)); }

DateTimeParts DecodeDateTime(DateTime value) {
  DateTimeParts p;
  long long days = DatePart(value);
  long long ms = std::llround(std::fabs(value - static_cast<double>(days)) * 86400000.0);
  if (ms >= 86400000) {  // rounding reached the next day
    ms -= 86400000;
    days += value >= 0 ? 1 : -1;
  }
  DateFromDayNumber(days + kDaysFrom0000To18991230, p.year, p.month, p.day);
  p.hour = static_cast<int>(ms / 3600000);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.millisecond = static_cast<int>(ms % 1000);
  return p;
}

std::string FormatDateTime(DateTime value, const DateTimeFormat& format) {
  const DateTimeParts p = DecodeDateTime(value);
  const long long dayNumber = DatePart(value) + kDaysFrom0000To18991230;
  const int weekDay = static_cast<int>(dayNumber % 7);  // day 1 (0001-01-01) was a Monday
  std::string out;
  FormatPattern(out, format.shortDate, p, weekDay, format);
  if (p.hour != 0 || p.minute != 0 || p.second != 0 || p.millisecond != 0) {
    out += ' ';
    FormatPattern(out, format.longTime, p, weekDay, format);
  }
  return out;
}

std::optional<DateTime> ParseDateTime(std::string_view text, const DateTimeFormat& format) {
  // The order of year, month and day in the short date format.
  std::vector<char> order;
  bool monthByName = false;
  for (const Token& t : Tokenize(format.shortDate)) {
    if (t.letter == 'y' || t.letter == 'M' || (t.letter == 'd' && t.count <= 2)) order.push_back(t.letter);
    if (t.letter == 'M' && t.count >= 3) monthByName = true;
  }
  if (order.size() != 3) order = {'y', 'M', 'd'};

  // Scan numbers, month names and AM/PM designators; all else separates.
  std::vector<long long> numbers;
  std::vector<int> numberDigits;
  int namedMonth = 0;
  int ampm = 0;  // 1 AM, 2 PM
  for (size_t i = 0; i < text.size();) {
    if (IsDigit(text[i])) {
      long long v = 0;
      size_t j = i;
      while (j < text.size() && IsDigit(text[j]) && j - i < 9) v = v * 10 + (text[j++] - '0');
      if (j < text.size() && IsDigit(text[j])) return std::nullopt;  // absurdly long number
      numbers.push_back(v);
      numberDigits.push_back(static_cast<int>(j - i));
      i = j;
      continue;
    }
    auto matches = [&](const std::string& word) {
      return !word.empty() && text.substr(i, word.size()) == word;
    };
    bool matched = false;
    if (monthByName && namedMonth == 0) {
      for (int m = 0; m < 12 && !matched; ++m) {
        for (const std::string* name : {&format.monthNames[m], &format.shortMonthNames[m]}) {
          if (matches(*name)) {
            namedMonth = m + 1;
            i += name->size();
            matched = true;
            break;
          }
        }
      }
    }
    if (!matched && ampm == 0 && matches(format.pmDesignator)) {
      ampm = 2;
      i += format.pmDesignator.size();
      matched = true;
    }
    if (!matched && ampm == 0 && matches(format.amDesignator)) {
      ampm = 1;
      i += format.amDesignator.size();
      matched = true;
    }
    if (!matched) ++i;
  }

  const size_t dateNumbers = namedMonth ? 2 : 3;
  if (numbers.size() < dateNumbers) return std::nullopt;
  DateTimeParts p;
  size_t k = 0;
  for (char field : order) {
    if (field == 'M' && namedMonth) {
      p.month = namedMonth;
      continue;
    }
    const long long v = numbers[k];
    const int digits = numberDigits[k];
    ++k;
    if (v > 9999) return std::nullopt;
    const int value = static_cast<int>(v);
    if (field == 'y') p.year = digits <= 2 ? (value < 50 ? 2000 + value : 1900 + value) : value;
    if (field == 'M') p.month = value;
    if (field == 'd') p.day = value;
  }
  const size_t timeNumbers = numbers.size() - k;
  if (timeNumbers == 1 || timeNumbers > 3) return std::nullopt;
  if (timeNumbers >= 2) {
    if (numbers[k] > 23 || numbers[k + 1] > 59) return std::nullopt;
    p.hour = static_cast<int>(numbers[k]);
    p.minute = static_cast<int>(numbers[k + 1]);
    if (timeNumbers == 3) {
      if (numbers[k + 2] > 59) return std::nullopt;
      p.second = static_cast<int>(numbers[k + 2]);
    }
    if (ampm != 0) {
      if (p.hour < 1 || p.hour > 12) return std::nullopt;
      p.hour = p.hour % 12 + (ampm == 2 ? 12 : 0);
    }
  } else if (ampm != 0) {
    return std::nullopt;
  }
  try {
    return EncodeDateTime(p);
  } catch (const std::invalid_argument&) {
    return std::nullopt;
  }
}

}  // namespace tapestrel::platform
