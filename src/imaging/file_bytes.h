// Whole-file reads and writes for the picture codecs. Paths are narrow strings
// in the system's code page, as the rest of the program keeps them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
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

// A file written piece by piece, for contents too large to gather first.
// Every step throws ImageError on failure; a file left unclosed (after an
// exception) is closed without a check.
class FileWriter {
 public:
  // Creates or replaces the file.
  explicit FileWriter(const std::string& path);
  void Write(std::span<const uint8_t> bytes);
  // Flushes and closes; a failure here is a failed write too.
  void Close();

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::string path_;
  std::unique_ptr<std::FILE, Closer> file_;
};

}  // namespace tapestrel::imaging
