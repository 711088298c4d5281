#include "platform/dialog_selection.h"

namespace tapestrel::platform {

std::vector<std::u16string> SplitDialogSelection(std::u16string_view buffer) {
  std::vector<std::u16string_view> parts;
  size_t pos = 0;
  while (pos < buffer.size() && buffer[pos] != u'\0') {
    const size_t end = buffer.find(u'\0', pos);
    if (end == std::u16string_view::npos) break;  // a name cut short is no name
    parts.push_back(buffer.substr(pos, end - pos));
    pos = end + 1;
  }
  if (parts.size() <= 1) return {parts.begin(), parts.end()};

  std::u16string folder(parts.front());
  if (folder.back() != u'\\') folder += u'\\';  // a drive root keeps its one backslash
  std::vector<std::u16string> paths;
  for (size_t i = 1; i < parts.size(); ++i) paths.push_back(folder + std::u16string(parts[i]));
  return paths;
}

}  // namespace tapestrel::platform
