// The one conversion pair between the two text worlds of the program: data
// (paths, INI values, registry strings) in the ANSI code page, and what a
// person reads (UTF-16 for the "W" functions). Source literals are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tapestrel::platform {

std::wstring AnsiToWide(std::string_view ansi);
// Best fit: a character without an ANSI form becomes a look-alike or "?".
// Never for a path (see ansi_path.h).
std::string WideToAnsi(std::wstring_view wide);
// For the program's own Japanese texts, written as UTF-8 literals.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);
// For data that must stay exact: nothing when a character has no form of its
// own in the ANSI code page, instead of a stand-in. Paths go through
// PathToAnsi (ansi_path.h), which falls back on the short path.
std::optional<std::string> WideToAnsiExact(std::wstring_view wide);

}  // namespace tapestrel::platform
