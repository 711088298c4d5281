// Whole-file reads and writes for the picture codecs. Paths are narrow strings
// in the system's code page, as the rest of the program keeps them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tapestrel::imaging {

// Largest picture file read into memory.
inline constexpr size_t kMaxPictureFileBytes = (size_t{1} << 30) + (size_t{1} << 20);

// Throws ImageError when the file cannot be opened or read, or is larger than
// `maxBytes`.
std::vector<uint8_t> ReadFileBytes(const std::string& path, size_t maxBytes = kMaxPictureFileBytes);
// Creates or replaces the file; throws ImageError when it cannot be written.
void WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace tapestrel::imaging
