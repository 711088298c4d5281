// Clipboard and dropped file lists come from any program: the reader must
// take any block without reading past it, give only whole names, and read
// back what we write from them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_drop_list.h"

namespace {

// ASCII only: other characters have "no exact form", like unconvertible
// names on Windows.
std::optional<std::string> AsciiOnly(std::u16string_view wide) {
  std::string out;
  for (char16_t c : wide) {
    if (c == 0 || c > 0x7F) return std::nullopt;
    out += static_cast<char>(c);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tapestrel::platform;
  // An exact-size copy, so that the sanitizer sees a read past the block.
  const std::vector<uint8_t> block(data, data + size);
  const std::vector<std::string> names = ParseDropBlock(block.data(), block.size(), AsciiOnly);

  size_t bytes = 0;
  for (const std::string& name : names) {
    if (name.empty() || name.find('\0') != std::string::npos) __builtin_trap();
    bytes += name.size() + 1;
  }
  if (bytes > size) __builtin_trap();

  // Drag and drop's raw names: whole names only, all inside the block.
  const DropFileNames raw = ReadDropFileNames(block);
  size_t rawBytes = 0;
  for (const std::u16string& name : raw.wideNames) rawBytes += 2 * name.size() + 2;
  for (const std::string& name : raw.ansiNames) rawBytes += name.size() + 1;
  if (rawBytes > 0 && rawBytes + kDropHeaderSize > size) __builtin_trap();

  // What we write from the names reads back as the names we wrote.
  const DropBlock written = BuildDropBlock(names);
  if (written.bytes.size() != kDropBlockSize) __builtin_trap();
  if (ParseDropBlock(written.bytes.data(), written.bytes.size(), AsciiOnly) != written.written)
    __builtin_trap();
  return 0;
}
