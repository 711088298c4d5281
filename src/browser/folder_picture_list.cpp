#include "browser/folder_picture_list.h"

#include <algorithm>

#include "platform/ansi_text.h"
#include "platform/paths.h"

namespace tapestrel::browser {

void FolderPictureList::SetFolder(const std::string& folder) {
  folder_ = folder;
  Refresh();
}

bool FolderPictureList::IsPicture(const std::string& name) const {
  const std::string ext = platform::ExtractFileExt(name);
  if (ext.empty()) return false;
  return std::any_of(extensions_.begin(), extensions_.end(), [&](const std::string& e) {
    return platform::AnsiEqualsIgnoreAsciiCase(e, ext);
  });
}

void FolderPictureList::Refresh() {
  paths_.clear();
  if (folder_.empty()) return;
  std::vector<std::string> names;
  for (const platform::FolderEntry& e : files_.ListFolder(folder_)) {
    if (!e.isDirectory && !e.isHidden && IsPicture(e.name)) names.push_back(e.name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string la = platform::AnsiLowerAscii(a), lb = platform::AnsiLowerAscii(b);
    return la != lb ? la < lb : a < b;
  });
  const std::string base = platform::IncludeTrailingBackslash(folder_);
  for (const std::string& name : names) paths_.push_back(base + name);
}

}  // namespace tapestrel::browser
