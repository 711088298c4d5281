#include <gtest/gtest.h>

#include "platform/profile_text.h"

namespace tapestrel::platform {
namespace {

struct Case {
  const char* what;
  std::string before, section, key, value, after;
};

TEST(ProfileText, OneKeyChangesAndEveryOtherByteStays) {
  const Case cases[] = {
      {"an empty file", "", "Interval", "IntervalValue", "7", "[Interval]\r\nIntervalValue=7\r\n"},
      {"a known key among comments, unknown keys and odd spacing",
       "; mine\r\n[Interval]\r\n  intervalvalue = 5 \r\nUnknown = x  \r\n\r\n[Other]\r\nA=1\r\n", "Interval",
       "IntervalValue", "7",
       "; mine\r\n[Interval]\r\nIntervalValue=7\r\nUnknown = x  \r\n\r\n[Other]\r\nA=1\r\n"},
      {"a missing key goes before the blank lines that end its section",
       "[Interval]\r\nA=1\r\n\r\n\r\n[Other]\r\n", "Interval", "B", "2",
       "[Interval]\r\nA=1\r\nB=2\r\n\r\n\r\n[Other]\r\n"},
      {"section names ignore case and blanks; LF stays LF", "[ interval ]\nA=1\n", "Interval", "B", "2",
       "[ interval ]\nA=1\nB=2\n"},
      {"a missing section after a last line without a break", "[A]\r\nX=1", "B", "Y", "2",
       "[A]\r\nX=1\r\n\r\n[B]\r\nY=2\r\n"},
      {"a key added to a last line without a break", "[A]\r\nX=1", "A", "Y", "2", "[A]\r\nX=1\r\nY=2"},
      {"only the first section and key of a name, as reading finds them",
       "[A]\r\nX=1\r\nX=2\r\n[a]\r\nY=1\r\n", "A", "X", "9", "[A]\r\nX=9\r\nX=2\r\n[a]\r\nY=1\r\n"},
      {"a key that the first section lacks goes there", "[A]\r\nX=1\r\n[A]\r\nY=1\r\n", "A", "Y", "5",
       "[A]\r\nX=1\r\nY=5\r\n[A]\r\nY=1\r\n"},
      {"look-alikes are not the key", "X=0\r\n[A]\r\n;X=1\r\nXX=1\r\n[B]\r\nX=1\r\n", "A", "X", "2",
       "X=0\r\n[A]\r\n;X=1\r\nXX=1\r\nX=2\r\n[B]\r\nX=1\r\n"},
      {"a UTF-8 mark before the first section", "\xEF\xBB\xBF[A]\r\nX=1\r\n", "A", "X", "2",
       "\xEF\xBB\xBF[A]\r\nX=2\r\n"},
      // "[日本]" and "キー=値" in Shift-JIS; "ー" ends in the byte of "[".
      {"double-byte sections and values are kept", "[\x93\xFA\x96\x7B]\r\n\x83\x4C\x81\x5B=\x92\x6C\r\n", "A",
       "X", "1", "[\x93\xFA\x96\x7B]\r\n\x83\x4C\x81\x5B=\x92\x6C\r\n\r\n[A]\r\nX=1\r\n"},
      {"an empty value", "[A]\r\nX=1\r\n", "A", "X", "", "[A]\r\nX=\r\n"},
  };
  for (const Case& c : cases) {
    std::string text = c.before;
    SetProfileValue(text, c.section, c.key, c.value);
    EXPECT_EQ(text, c.after) << c.what;
  }
}

}  // namespace
}  // namespace tapestrel::platform
