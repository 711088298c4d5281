// The file names of a DROPFILES block, the CF_HDROP format another program
// hands over in drag and drop: a 20-byte header whose first field is the
// offset of the names and whose last says whether they are UTF-16; then names
// ending in a zero each, the list ending with an empty name.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tapestrel::browser {

struct DropFileNames {
  bool wide = false;
  std::vector<std::u16string> wideNames;  // when wide
  std::vector<std::string> ansiNames;     // otherwise, in the sender's ANSI code page
};

// Reads only inside the block: a name cut off by its end counts as ended, a
// header that points outside gives no names.
DropFileNames ParseDropFiles(std::span<const uint8_t> block);

}  // namespace tapestrel::browser
