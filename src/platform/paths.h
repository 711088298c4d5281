// Windows path helpers on ANSI text (double-byte aware).
#pragma once

#include <string>
#include <string_view>

namespace tapestrel::platform {

// The extension from the last dot of the file name on, dot included; empty
// when the name has no dot.
std::string ExtractFileExt(std::string_view path);
// The part after the last backslash, colon or slash.
std::string ExtractFileName(std::string_view path);
// The folder part with its trailing backslash.
std::string ExtractFilePath(std::string_view path);
std::string IncludeTrailingBackslash(std::string_view folder);
std::string ExcludeTrailingBackslash(std::string_view folder);

// The name of the file a replacement of `path` is written to before it takes
// that file's place: beside it, with the last character of its name turned
// into a tilde ("Tapestrel.in~"). The path is no longer than the target's, so
// a target that fits MAX_PATH never fails because of it, and no reader of
// the target ever takes it for the target.
std::string ReplacementPathFor(const std::string& path);

}  // namespace tapestrel::platform
