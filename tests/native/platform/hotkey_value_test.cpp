#include <gtest/gtest.h>

#include "fakes/fake_ports.h"
#include "platform/hotkey_value.h"

namespace tapestrel::platform {
namespace {

TEST(HotKeyText, ValuesAndTextsConvertBothWays) {
  testing::FakeLocale locale;
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
  for (const char* bad : {"", "Ctrl+", "Ctrl+Alt+Nothing", "Hyper+W", "WW"})
    EXPECT_EQ(TextToHotKey(bad, locale), 0) << bad;
}

TEST(HotKeyText, RegistrationArguments) {
  const HotKeyRegistration r = ToRegistration(0x2000 + 0x4000 + 0x8000 + 87);
  EXPECT_EQ(r.virtualKey, 87u);
  EXPECT_EQ(r.modifiers, 1u + 2u + 4u);
  EXPECT_EQ(ToRegistration(0).modifiers, 0u);
}

}  // namespace
}  // namespace tapestrel::platform
