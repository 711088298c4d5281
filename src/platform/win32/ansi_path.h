// Where a path leaves the wide world (the shell, dialogs, controls) for the
// ANSI one (the settings, the "A" functions, plug-ins, the decoders). A name
// the ANSI code page cannot hold (accents outside Shift-JIS, Hangul, emoji)
// is never handed on with stand-in characters, which would name another file
// or none: it goes by its short 8.3 path, which names the same file, or not
// at all.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tapestrel::platform {

// The exact ANSI form of `path`, else the exact ANSI form of its short path,
// else nothing. An empty path stays empty.
std::optional<std::string> PathToAnsi(std::wstring_view path);

// The list rule: every path that has an ANSI form, in order; the others are
// left out.
std::vector<std::string> PathsToAnsi(const std::vector<std::wstring>& paths);

// The full path of a loaded module (null: this program) by the same rule.
std::optional<std::string> ModulePathToAnsi(HMODULE module);

// Every entry a folder search finds (`pattern`: an ANSI path, wildcards
// allowed), "." and ".." left out, with its ANSI name: the name itself, else
// its short 8.3 name. An entry with neither is left out, as it could not be
// opened by that name.
void FindEachAnsi(const std::string& pattern,
                  const std::function<void(const std::string& name, const WIN32_FIND_DATAW& found)>& each);

// What the user is told when a name they chose has no ANSI form. Nothing is
// kept of the choice.
void TellNameUnusable(HWND owner, std::wstring_view name);

// Where PathToAnsi finds short paths: the system's GetShortPathNameW unless
// another finder is set. Tests stand in for a volume that keeps no short
// names with one that finds none. Answers the finder it replaces; null sets
// the system's.
using ShortPathFinder = std::optional<std::wstring> (*)(const std::wstring& path);
ShortPathFinder SetShortPathFinder(ShortPathFinder finder);

}  // namespace tapestrel::platform
