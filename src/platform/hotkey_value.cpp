#include "platform/hotkey_value.h"

#include "platform/ansi_text.h"

namespace tapestrel::platform {
namespace {

const char* FixedKeyName(int code) {
  switch (code) {
    case 8: return "BkSp";
    case 9: return "Tab";
    case 13: return "Enter";
    case 27: return "Esc";
    case 32: return "Space";
    case 33: return "PgUp";
    case 34: return "PgDn";
    case 35: return "End";
    case 36: return "Home";
    case 37: return "Left";
    case 38: return "Up";
    case 39: return "Right";
    case 40: return "Down";
    case 45: return "Ins";
    case 46: return "Del";
    default: return nullptr;
  }
}

// Strips `prefix` (ASCII case ignored) from the front of `text`.
bool StripPrefix(std::string_view& text, std::string_view prefix) {
  if (text.size() < prefix.size() || !AnsiEqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix)) {
    return false;
  }
  text.remove_prefix(prefix.size());
  return true;
}

}  // namespace

std::string HotKeyName(int code, const LocalePort& locale) {
  if (const char* name = FixedKeyName(code)) return name;
  if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) return std::string(1, static_cast<char>(code));
  if (code >= 96 && code <= 105) return std::string(1, static_cast<char>('0' + code - 96));
  if (code >= 112 && code <= 135) return "F" + std::to_string(code - 111);
  return locale.KeyName(code);
}

std::string HotKeyToText(HotKeyValue value, const LocalePort& locale) {
  if (value == 0) return {};
  const std::string name = HotKeyName(value & kHotKeyCodeMask, locale);
  if (name.empty()) return {};
  std::string text;
  if (value & kHotKeyShift) text += "Shift+";
  if (value & kHotKeyCtrl) text += "Ctrl+";
  if (value & kHotKeyAlt) text += "Alt+";
  return text + name;
}

HotKeyValue TextToHotKey(std::string_view text, const LocalePort& locale) {
  HotKeyValue modifiers = 0;
  for (bool stripped = true; stripped;) {
    stripped = true;
    if (StripPrefix(text, "Shift+")) modifiers |= kHotKeyShift;
    else if (StripPrefix(text, "^") || StripPrefix(text, "Ctrl+")) modifiers |= kHotKeyCtrl;
    else if (StripPrefix(text, "Alt+")) modifiers |= kHotKeyAlt;
    else stripped = false;
  }
  if (text.empty()) return 0;
  for (int code = 8; code <= 597; ++code) {
    const std::string name = HotKeyName(code, locale);
    if (!name.empty() && AnsiEqualsIgnoreAsciiCase(name, text)) {
      return static_cast<HotKeyValue>(modifiers | code);
    }
  }
  return 0;
}

bool IsKeypadTwinCode(int code) { return (code >= 33 && code <= 40) || code == 45 || code == 46; }

HotKeyRegistration ToRegistration(HotKeyValue value) {
  HotKeyRegistration r{0, static_cast<unsigned>(value & kHotKeyCodeMask)};
  if (value & kHotKeyAlt) r.modifiers |= 1;
  if (value & kHotKeyShift) r.modifiers |= 4;
  if (value & kHotKeyCtrl) r.modifiers |= 2;
  return r;
}

}  // namespace tapestrel::platform
