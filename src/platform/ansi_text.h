// Helpers for text in the system's ANSI code page (paths, INI values, registry
// strings). In a double-byte code page such as Shift-JIS the second byte of a
// character can look like an ASCII letter or a backslash, so every scan steps
// over whole characters.
#pragma once

#include <string>
#include <string_view>

namespace tapestrel::platform {

// The code page whose lead bytes the helpers honour; Windows sets it from
// GetACP() at start-up. Defaults to Shift-JIS (932).
void SetAnsiCodePage(unsigned codePage);
unsigned AnsiCodePage();
bool IsAnsiLeadByte(unsigned char byte);

// ASCII letters lower-cased, double-byte characters left alone.
std::string AnsiLowerAscii(std::string_view text);
bool AnsiEqualsIgnoreAsciiCase(std::string_view a, std::string_view b);
// Position of the last occurrence of any of `chars` that starts a character,
// or npos.
size_t AnsiFindLastOf(std::string_view text, std::string_view chars);
// Position of the first occurrence of `needle` starting at a character
// boundary, ASCII case ignored, from `from` on; npos when absent.
size_t AnsiFindIgnoreCase(std::string_view text, std::string_view needle, size_t from = 0);

}  // namespace tapestrel::platform
