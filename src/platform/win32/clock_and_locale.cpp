#include "platform/win32/clock_and_locale.h"

#include <windows.h>

namespace tapestrel::platform {
namespace {

std::string LocaleText(LCTYPE type, const char* fallback) {
  char buffer[128];
  const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  return n > 1 ? std::string(buffer, static_cast<size_t>(n - 1)) : std::string(fallback);
}

}  // namespace

DateTime LocalClock::Now() const {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return EncodeDateTime({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds});
}

UserLocale::UserLocale() {
  formats_.shortDate = LocaleText(LOCALE_SSHORTDATE, "yyyy/MM/dd");
  formats_.longTime = LocaleText(LOCALE_STIMEFORMAT, "H:mm:ss");
  formats_.amDesignator = LocaleText(LOCALE_S1159, "AM");
  formats_.pmDesignator = LocaleText(LOCALE_S2359, "PM");
  for (int m = 0; m < 12; ++m) {
    formats_.monthNames[m] = LocaleText(LOCALE_SMONTHNAME1 + m, "");
    formats_.shortMonthNames[m] = LocaleText(LOCALE_SABBREVMONTHNAME1 + m, "");
  }
  // The locale numbers days from Monday; ours start on Sunday.
  for (int d = 0; d < 7; ++d) {
    const int localeIndex = (d + 6) % 7;
    formats_.dayNames[d] = LocaleText(LOCALE_SDAYNAME1 + localeIndex, "");
    formats_.shortDayNames[d] = LocaleText(LOCALE_SABBREVDAYNAME1 + localeIndex, "");
  }
}

std::string UserLocale::KeyName(int virtualKey) const {
  const UINT scanCode = MapVirtualKeyA(static_cast<UINT>(virtualKey), 0);
  if (scanCode == 0) return {};
  char name[256];
  const int n = GetKeyNameTextA(static_cast<LONG>(scanCode << 16), name, sizeof name);
  return n > 0 ? std::string(name, static_cast<size_t>(n)) : std::string();
}

}  // namespace tapestrel::platform
