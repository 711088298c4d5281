#include "browser/drop_files.h"

namespace tapestrel::browser {
namespace {

constexpr size_t kHeaderSize = 20;  // pFiles, pt.x, pt.y, fNC, fWide

uint32_t ReadLittle32(std::span<const uint8_t> b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}

}  // namespace

DropFileNames ParseDropFiles(std::span<const uint8_t> block) {
  DropFileNames result;
  if (block.size() < kHeaderSize) return result;
  const size_t size = block.size();
  size_t at = ReadLittle32(block, 0);
  result.wide = ReadLittle32(block, 16) != 0;
  while (at < size) {
    if (result.wide) {
      std::u16string name;
      while (at + 2 <= size) {
        const char16_t c = static_cast<char16_t>(block[at] | block[at + 1] << 8);
        at += 2;
        if (c == u'\0') break;
        name += c;
      }
      if (name.empty()) break;
      result.wideNames.push_back(std::move(name));
    } else {
      std::string name;
      while (at < size && block[at] != 0) name += static_cast<char>(block[at++]);
      ++at;
      if (name.empty()) break;
      result.ansiNames.push_back(std::move(name));
    }
  }
  return result;
}

}  // namespace tapestrel::browser
