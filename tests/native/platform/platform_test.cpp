#include <gtest/gtest.h>

#include "fakes/fake_ports.h"
#include "platform/ansi_text.h"
#include "platform/date_time.h"
#include "platform/hotkey_value.h"
#include "platform/paths.h"

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

  for (const char* bad : {"", "abc", "2026/13/01", "2026/02/30", "2026/01/01 25:00:00", "2026/01", "1/2/3/4/5/6/7",
                          "99999999999999/1/1"}) {
    EXPECT_FALSE(ParseDateTime(bad, ja).has_value()) << bad;
  }
}

TEST(HotKeyText, ValuesAndTextsConvertBothWays) {
  fakes::FakeLocale locale;
  locale.keyNames[186] = ";";
  EXPECT_EQ(TextToHotKey("Ctrl+Alt+W", locale), 0x4000 + 0x8000 + 87);
  EXPECT_EQ(HotKeyToText(0x4000 + 0x8000 + 87, locale), "Ctrl+Alt+W");
  EXPECT_EQ(TextToHotKey("alt+ctrl+w", locale), 0x4000 + 0x8000 + 87);
  EXPECT_EQ(TextToHotKey("^W", locale), 0x4000 + 87);
  EXPECT_EQ(HotKeyToText(0x2000 + 0x4000 + 0x8000 + 123, locale), "Shift+Ctrl+Alt+F12");
  EXPECT_EQ(TextToHotKey("shift+pgdn", locale), 0x2000 + 34);
  // A keypad digit is written as its digit and read back as the top-row key.
  EXPECT_EQ(HotKeyToText(0x4000 + 97, locale), "Ctrl+1");
  EXPECT_EQ(TextToHotKey("Ctrl+1", locale), 0x4000 + '1');
  // The layout's names for the other keys.
  EXPECT_EQ(HotKeyToText(0x8000 + 186, locale), "Alt+;");
  EXPECT_EQ(TextToHotKey("Alt+;", locale), 0x8000 + 186);
  EXPECT_EQ(HotKeyToText(0x8000 + 187, locale), "");
  for (const char* bad : {"", "Ctrl+", "Ctrl+Alt+Nothing", "Hyper+W", "WW"}) EXPECT_EQ(TextToHotKey(bad, locale), 0) << bad;
}

TEST(HotKeyText, RegistrationArguments) {
  const HotKeyRegistration r = ToRegistration(0x2000 + 0x4000 + 0x8000 + 87);
  EXPECT_EQ(r.virtualKey, 87u);
  EXPECT_EQ(r.modifiers, 1u + 2u + 4u);
  EXPECT_EQ(ToRegistration(0).modifiers, 0u);
}

TEST(AnsiText, DoubleByteCharactersAreNotTornApart) {
  // "表" is 0x95 0x5C in Shift-JIS: its second byte is a backslash.
  const std::string folder = "C:\\\x95\x5C";
  EXPECT_EQ(ExtractFileName(folder + "\\a.JPG"), "a.JPG");
  EXPECT_EQ(ExtractFileName(folder), "\x95\x5C");
  EXPECT_EQ(IncludeTrailingBackslash(folder), folder + "\\");
  EXPECT_EQ(ExcludeTrailingBackslash(folder + "\\"), folder);
  EXPECT_EQ(ExtractFileExt("C:\\dir.x\\file"), "");
  EXPECT_EQ(ExtractFileExt("a.tar.GZ"), ".GZ");
  // "ア" is 0x83 0x41: lower-casing must leave its second byte alone.
  EXPECT_EQ(AnsiLowerAscii("\x83\x41.BMP"), "\x83\x41.bmp");
}

}  // namespace
}  // namespace tapestrel::platform
