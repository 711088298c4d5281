// The file names an open dialog with multiple selection returns: one full
// path, or the folder followed by the names chosen in it, each ended by a
// zero, with one more zero after the last.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tapestrel::platform {

// Full paths in the order given. Reads no further than `buffer` even when
// the closing zeros are missing.
std::vector<std::u16string> SplitDialogSelection(std::u16string_view buffer);

}  // namespace tapestrel::platform
