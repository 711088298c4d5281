#include <gtest/gtest.h>

#include "platform/date_time.h"

namespace tapestrel::platform {
namespace {

TEST(DateTime, EncodesDaysSince1899) {
  EXPECT_EQ(EncodeDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
  EXPECT_EQ(EncodeDateTime({1900, 1, 1, 0, 0, 0, 0}), 2.0);
  EXPECT_EQ(EncodeDateTime({2000, 1, 1, 12, 0, 0, 0}), 36526.5);
  const DateTimeParts p = DecodeDateTime(EncodeDateTime({2024, 2, 29, 23, 59, 58, 0}));
  EXPECT_EQ(p.year, 2024);
  EXPECT_EQ(p.month, 2);
  EXPECT_EQ(p.day, 29);
  EXPECT_EQ(p.hour, 23);
  EXPECT_EQ(p.minute, 59);
  EXPECT_EQ(p.second, 58);
  EXPECT_THROW(EncodeDateTime({2023, 2, 29, 0, 0, 0, 0}), std::invalid_argument);
}

TEST(DateTime, FormatsAndParsesInTheLocaleFormats) {
  DateTimeFormat ja;  // yyyy/MM/dd H:mm:ss
  const DateTime t = EncodeDateTime({2026, 3, 4, 5, 6, 7, 0});
  EXPECT_EQ(FormatDateTime(t, ja), "2026/03/04 5:06:07");
  EXPECT_EQ(ParseDateTime("2026/03/04 5:06:07", ja), t);
  EXPECT_EQ(FormatDateTime(EncodeDateTime({2026, 3, 4, 0, 0, 0, 0}), ja), "2026/03/04");
  EXPECT_EQ(ParseDateTime("2026/03/04", ja), EncodeDateTime({2026, 3, 4, 0, 0, 0, 0}));

  DateTimeFormat us;
  us.shortDate = "M/d/yyyy";
  us.longTime = "h:mm:ss tt";
  const DateTime pm = EncodeDateTime({2026, 12, 31, 15, 0, 1, 0});
  EXPECT_EQ(FormatDateTime(pm, us), "12/31/2026 3:00:01 PM");
  EXPECT_EQ(ParseDateTime("12/31/2026 3:00:01 PM", us), pm);
  EXPECT_EQ(ParseDateTime("12/31/2026 12:00:00 AM", us), EncodeDateTime({2026, 12, 31, 0, 0, 0, 0}));

  for (const char* bad : {"", "abc", "2026/13/01", "2026/02/30", "2026/01/01 25:00:00", "2026/01",
                          "1/2/3/4/5/6/7", "99999999999999/1/1"}) {
    EXPECT_FALSE(ParseDateTime(bad, ja).has_value()) << bad;
  }
}

}  // namespace
}  // namespace tapestrel::platform
