#include "app/picture_extensions.h"

#include <algorithm>

#include "imaging/builtin_pictures.h"
#include "imaging/picture_formats.h"

namespace tapestrel::app {
namespace {

// Byte-wise search with ASCII case ignored. Safe on both texts met here: the
// masks hold only ASCII markers ("*", ".", ";" never occur inside a
// double-byte character) and the filter is UTF-8.
size_t FindIgnoreCase(const std::string& text, const std::string& what, size_t from = 0) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())), text.end(),
                        what.begin(), what.end(), [&](char a, char b) { return lower(a) == lower(b); });
  return it == text.end() ? std::string::npos : static_cast<size_t>(it - text.begin());
}

void RemoveAll(std::string& text, const std::string& what) {
  for (size_t pos; (pos = FindIgnoreCase(text, what)) != std::string::npos;) text.erase(pos, what.size());
}

void RemoveFirst(std::string& text, const std::string& what) {
  const size_t pos = FindIgnoreCase(text, what);
  if (pos != std::string::npos) text.erase(pos, what.size());
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
  for (size_t pos = 0; (pos = text.find(what, pos)) != std::string::npos; pos += with.size()) {
    text.replace(pos, what.size(), with);
  }
}

// "*.ico": the mask of a built-in format.
std::string MaskOf(const imaging::BuiltInPicture& picture) { return std::string("*.") + picture.extension; }

// The icons and metafiles: registered, but the program does not read them.
bool Undecoded(const imaging::BuiltInPicture& picture) { return picture.wallpaper == nullptr; }

}  // namespace

std::vector<std::string> BuildPictureExtensionList(const std::string& fileMask) {
  std::string mask = fileMask;
  RemoveAll(mask, "*.*");
  for (const imaging::BuiltInPicture& picture : imaging::BuiltInPictures()) {
    if (Undecoded(picture)) RemoveFirst(mask, MaskOf(picture));
  }
  ReplaceAll(mask, ";;", ";");
  ReplaceAll(mask, ";;", ";");

  std::vector<std::string> extensions;
  if (mask.empty()) return extensions;
  size_t start = 0;
  while (true) {
    const size_t end = mask.find(';', start);
    const std::string entry = mask.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const size_t dot = entry.rfind('.');
    extensions.push_back(dot == std::string::npos ? std::string() : entry.substr(dot));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  // A trailing ";" leaves no entry after it.
  if (!mask.empty() && mask.back() == ';') extensions.pop_back();
  return extensions;
}

std::string BuildDisplayedExtensions(const std::vector<std::string>& extensions) {
  std::string list;
  for (const std::string& ext : extensions) {
    if (!ext.empty()) list += "*" + ext + ";";
  }
  return list;
}

std::string BuildOpenPictureFilter(const std::string& standardFilter, const std::string& displayed) {
  std::string filter = standardFilter;
  for (const imaging::BuiltInPicture& picture : imaging::BuiltInPictures()) {
    if (!Undecoded(picture)) continue;
    const std::string mask = MaskOf(picture);
    if (FindIgnoreCase(filter, mask) == std::string::npos ||
        FindIgnoreCase(displayed, mask) != std::string::npos) {
      continue;
    }
    RemoveAll(filter, "|" + imaging::FilterEntry(picture.extension, picture.description));
    RemoveAll(filter, mask + ";");
    RemoveAll(filter, ";" + mask);
  }
  return filter;
}

}  // namespace tapestrel::app
