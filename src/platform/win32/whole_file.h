// Reading a file whole, and replacing one whole: the new content is written
// to a file beside it, flushed to the disk, and then takes the file's place
// in one step, so that a full disk, a refused write or a process killed in
// the middle never leaves half a file behind.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tapestrel::platform {

// The content of the file, or nothing when it cannot be read (or is larger
// than `maxBytes`).
std::optional<std::string> ReadWholeFile(const std::string& path, size_t maxBytes);

// Flushes the finished file `replacement` to the disk and moves it over
// `target`, which may be missing. False when either fails; `replacement` is
// then deleted and `target` is as it was.
bool MoveReplacementOver(const std::string& replacement, const std::string& target);

// Writes `bytes` as the new content of `path` through its replacement file
// (ReplacementPathFor in platform/paths.h). False when it cannot; `path` is then as it was.
bool ReplaceWholeFile(const std::string& path, std::string_view bytes);

}  // namespace tapestrel::platform
