// The shell's file-list clipboard block (CF_HDROP): a 20-byte header, then
// the paths, each ended by a zero, and one more zero after the last. We write
// a fixed 32,768-byte block of single-byte (ANSI) paths and read both the
// single-byte and the UTF-16 forms that other programs write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tapestrel::platform {

constexpr size_t kDropBlockSize = 32768;
constexpr size_t kDropHeaderSize = 20;

// The "Preferred DropEffect" values.
enum class DropEffect : uint32_t { Copy = 1, Move = 2 };

struct DropBlock {
  std::vector<uint8_t> bytes;  // always kDropBlockSize bytes
  // The paths written, in order: a prefix of the usable paths given.
  std::vector<std::string> written;
};

// Builds the block from ANSI paths. Paths that are not real paths (empty, or
// holding a zero, "?" or "*", the marks of a failed conversion) are left out;
// the list ends before the first path that would not fit whole, so the block
// is never overrun and never holds a cut path.
DropBlock BuildDropBlock(const std::vector<std::string>& paths);

// The 4-byte little-endian "Preferred DropEffect" block.
std::vector<uint8_t> BuildDropEffectBlock(DropEffect effect);

// UTF-16 to the ANSI code page; nothing when a character has no exact form.
using WideNameToAnsi = std::function<std::optional<std::string>(std::u16string_view)>;

// The names of a block as its sender wrote them: UTF-16 when the header's
// wide flag is set, else bytes of the sender's ANSI code page.
struct DropFileNames {
  bool wide = false;
  std::vector<std::u16string> wideNames;  // when wide
  std::vector<std::string> ansiNames;     // otherwise
};

// The list starts at the offset the header gives; a block shorter than its
// header or an offset outside it gives nothing. Reading never passes the
// block's end: a last name without its terminating zero is dropped (it may
// be cut short). Drag and drop and the clipboard both read through this.
DropFileNames ReadDropFileNames(std::span<const uint8_t> block);

// Reads the paths of a block of `size` bytes as ReadDropFileNames does, in
// the ANSI code page: a UTF-16 name that `toAnsi` gives nothing for is left out.
std::vector<std::string> ParseDropBlock(const uint8_t* data, size_t size, const WideNameToAnsi& toAnsi);

}  // namespace tapestrel::platform
