// Hot-key values: a virtual-key code in the low 13 bits with Shift (0x2000),
// Ctrl (0x4000) and Alt (0x8000); 0 for none. The INI file stores them as
// text such as "Ctrl+Alt+W".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/locale_port.h"

namespace tapestrel::platform {

using HotKeyValue = uint16_t;

constexpr HotKeyValue kHotKeyShift = 0x2000;
constexpr HotKeyValue kHotKeyCtrl = 0x4000;
constexpr HotKeyValue kHotKeyAlt = 0x8000;
constexpr HotKeyValue kHotKeyCodeMask = 0x1FFF;

// The name of a virtual key: fixed names and characters for the common keys,
// the keyboard layout's name (through `locale`) for the rest.
std::string HotKeyName(int virtualKey, const LocalePort& locale);
std::string HotKeyToText(HotKeyValue value, const LocalePort& locale);
// Unrecognised text gives 0.
HotKeyValue TextToHotKey(std::string_view text, const LocalePort& locale);

// The keys with a twin on the numeric keypad: the arrows, Insert, Delete,
// Home, End, Page Up and Page Down. Both send the same virtual key; the key
// itself comes flagged as extended. A hot key on one of these codes means
// the key itself, never its keypad twin.
bool IsKeypadTwinCode(int virtualKey);

// The arguments of RegisterHotKey for a value.
struct HotKeyRegistration {
  unsigned modifiers;  // MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4
  unsigned virtualKey;
};
HotKeyRegistration ToRegistration(HotKeyValue value);

}  // namespace tapestrel::platform
