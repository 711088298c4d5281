// INI values come from a file anyone can edit: every reader must take any
// text without crashing, and what it writes must read back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/ini_values.h"
#include "platform/ansi_text.h"
#include "platform/date_time.h"
#include "platform/hotkey_value.h"

namespace {

// Whether the text ends inside a double-byte character (a lead byte alone).
bool EndsWithLoneLeadByte(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) i += tapestrel::platform::IsAnsiLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
  return i > s.size();
}

class NoKeyNames : public tapestrel::platform::LocalePort {
 public:
  tapestrel::platform::DateTimeFormat DateTimeFormats() const override { return {}; }
  std::string KeyName(int vk) const override { return vk == 186 ? ";" : ""; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tapestrel;
  const std::string text(reinterpret_cast<const char*>(data), size);
  app::ParseIniInteger(text);

  if (auto color = app::ParseColor(text)) {
    if (app::ParseColor(app::ColorToText(*color)) != color) __builtin_trap();
  }

  const auto lines = app::DecodeApplicationList(text);
  bool encodable = true;
  for (const auto& line : lines) {
    encodable &= line.find_first_of("|\r\n") == std::string::npos && !line.empty() && !EndsWithLoneLeadByte(line);
  }
  if (encodable && app::DecodeApplicationList(app::EncodeApplicationList(lines)) != lines) __builtin_trap();

  platform::DateTimeFormat us;
  us.shortDate = "M/d/yy";
  us.longTime = "h:mm tt";
  for (const auto& format : {platform::DateTimeFormat{}, us}) {
    if (auto t = platform::ParseDateTime(text, format)) platform::FormatDateTime(*t, format);
  }

  NoKeyNames locale;
  const platform::HotKeyValue value = platform::TextToHotKey(text, locale);
  if (value != 0 && platform::TextToHotKey(platform::HotKeyToText(value, locale), locale) != value) {
    __builtin_trap();
  }
  return 0;
}
