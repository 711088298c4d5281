#include "platform/file_drop_list.h"

#include <algorithm>
#include <cstring>

#include "platform/ansi_text.h"

namespace tapestrel::platform {
namespace {

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Get32(const uint8_t* data, size_t at) {
  return static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
         static_cast<uint32_t>(data[at + 2]) << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
}

bool IsUsablePath(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos &&
         AnsiFindLastOf(path, "?*") == std::string::npos;
}

std::vector<std::string> ParseAnsiNames(const uint8_t* data, size_t size, size_t pos) {
  std::vector<std::string> names;
  while (pos < size && data[pos] != 0) {
    const auto* end = static_cast<const uint8_t*>(std::memchr(data + pos, 0, size - pos));
    if (!end) break;  // no terminator inside the block
    names.emplace_back(reinterpret_cast<const char*>(data + pos), static_cast<size_t>(end - (data + pos)));
    pos = static_cast<size_t>(end - data) + 1;
  }
  return names;
}

std::vector<std::u16string> ParseWideNames(const uint8_t* data, size_t size, size_t pos) {
  auto unit = [&](size_t at) { return static_cast<char16_t>(data[at] | data[at + 1] << 8); };
  std::vector<std::u16string> names;
  while (pos + 1 < size && unit(pos) != 0) {
    std::u16string name;
    size_t at = pos;
    while (at + 1 < size && unit(at) != 0) {
      name += unit(at);
      at += 2;
    }
    if (at + 1 >= size) break;  // no terminator inside the block
    names.push_back(std::move(name));
    pos = at + 2;
  }
  return names;
}

}  // namespace

DropBlock BuildDropBlock(const std::vector<std::string>& paths) {
  DropBlock block;
  block.bytes.assign(kDropBlockSize, 0);
  Put32(block.bytes, 0, kDropHeaderSize);  // drop point, non-client and wide flags stay 0
  size_t pos = kDropHeaderSize;
  for (const std::string& path : paths) {
    if (!IsUsablePath(path)) continue;
    // The path, its zero and the list's final zero must all fit.
    if (path.size() + 2 > kDropBlockSize - pos) break;
    std::copy(path.begin(), path.end(), block.bytes.begin() + static_cast<std::ptrdiff_t>(pos));
    pos += path.size() + 1;
    block.written.push_back(path);
  }
  return block;
}

std::vector<uint8_t> BuildDropEffectBlock(DropEffect effect) {
  std::vector<uint8_t> bytes(4, 0);
  Put32(bytes, 0, static_cast<uint32_t>(effect));
  return bytes;
}

DropFileNames ReadDropFileNames(std::span<const uint8_t> block) {
  DropFileNames names;
  const uint8_t* data = block.data();
  const size_t size = block.size();
  if (!data || size < kDropHeaderSize) return names;
  names.wide = Get32(data, 16) != 0;
  const uint32_t offset = Get32(data, 0);
  if (offset < kDropHeaderSize || offset >= size) return names;
  if (names.wide) {
    names.wideNames = ParseWideNames(data, size, offset);
  } else {
    names.ansiNames = ParseAnsiNames(data, size, offset);
  }
  return names;
}

std::vector<std::string> ParseDropBlock(const uint8_t* data, size_t size, const WideNameToAnsi& toAnsi) {
  if (!data) return {};
  DropFileNames names = ReadDropFileNames({data, size});
  if (!names.wide) return std::move(names.ansiNames);
  std::vector<std::string> paths;
  for (const std::u16string& name : names.wideNames) {
    if (std::optional<std::string> ansi = toAnsi(name); ansi && !ansi->empty())
      paths.push_back(std::move(*ansi));
  }
  return paths;
}

}  // namespace tapestrel::platform
