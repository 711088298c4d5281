#include "settings_ui/path_shortening.h"

#include <vector>

namespace tapestrel::settings_ui {
namespace {

constexpr wchar_t kEllipsis[] = L"...";

struct PathParts {
  std::wstring drive;                 // "C:" or empty
  bool leadingBackslash = false;      // the folder part starts with "\"
  std::vector<std::wstring> folders;  // between the backslashes; "..." for dropped ones
  std::wstring file;

  std::wstring Joined() const {
    std::wstring text = drive;
    if (leadingBackslash) text += L'\\';
    for (const std::wstring& folder : folders) text += folder + L'\\';
    return text + file;
  }
  bool CanShrink() const { return !drive.empty() || leadingBackslash || !folders.empty(); }

  // One step: the next candidate, one folder (or the drive) fewer.
  void Shrink() {
    if (leadingBackslash && folders.size() == 1 && folders[0] == kEllipsis) {
      drive.clear();  // "C:\...\f" becomes "...\f"
      leadingBackslash = false;
    } else if (folders.empty()) {
      drive.clear();
      leadingBackslash = false;
    } else if (folders[0] != kEllipsis) {
      folders[0] = kEllipsis;
    } else if (folders.size() > 1) {
      folders.erase(folders.begin() + 1);  // the earlier "...\" absorbs the next folder
    } else {
      folders.clear();  // "...\f" becomes "f"
    }
  }
};

PathParts Split(std::wstring_view path) {
  PathParts parts;
  if (path.size() >= 2 && path[1] == L':') {
    parts.drive = path.substr(0, 2);
    path.remove_prefix(2);
  }
  const size_t lastSlash = path.rfind(L'\\');
  if (lastSlash == std::wstring_view::npos) {
    parts.file = path;
    return parts;
  }
  parts.file = path.substr(lastSlash + 1);
  std::wstring_view folderPart = path.substr(0, lastSlash);  // without its last "\"
  if (!folderPart.empty() && folderPart.front() == L'\\') {
    parts.leadingBackslash = true;
    folderPart.remove_prefix(1);
  } else if (folderPart.empty()) {
    parts.leadingBackslash = true;  // "\f" or "C:\f"
    return parts;
  }
  size_t start = 0;
  while (true) {
    const size_t end = folderPart.find(L'\\', start);
    parts.folders.emplace_back(folderPart.substr(start, end - start));
    if (end == std::wstring_view::npos) break;
    start = end + 1;
  }
  return parts;
}

}  // namespace

std::wstring ShortenPath(std::wstring_view path, int maxWidth,
                         const std::function<int(std::wstring_view)>& textWidth) {
  PathParts parts = Split(path);
  std::wstring text = parts.Joined();
  while (textWidth(text) > maxWidth && parts.CanShrink()) {
    parts.Shrink();
    text = parts.Joined();
  }
  return text;
}

}  // namespace tapestrel::settings_ui
