#include "platform/paths.h"

#include "platform/ansi_text.h"

namespace tapestrel::platform {

std::string ExtractFileExt(std::string_view path) {
  const size_t pos = AnsiFindLastOf(path, ".\\:/");
  if (pos == std::string_view::npos || path[pos] != '.') return {};
  return std::string(path.substr(pos));
}

std::string ExtractFileName(std::string_view path) {
  const size_t pos = AnsiFindLastOf(path, "\\:/");
  return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string ExtractFilePath(std::string_view path) {
  const size_t pos = AnsiFindLastOf(path, "\\:/");
  return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

std::string IncludeTrailingBackslash(std::string_view folder) {
  std::string out(folder);
  if (out.empty() || AnsiFindLastOf(out, "\\") != out.size() - 1) out += '\\';
  return out;
}

std::string ExcludeTrailingBackslash(std::string_view folder) {
  std::string out(folder);
  if (!out.empty() && AnsiFindLastOf(out, "\\") == out.size() - 1) out.pop_back();
  return out;
}

std::string ReplacementPathFor(const std::string& path) {
  // The last character may take two bytes in a double-byte code page.
  size_t last = 0;
  for (size_t i = 0; i < path.size(); i += IsAnsiLeadByte(static_cast<unsigned char>(path[i])) ? 2 : 1)
    last = i;
  const char tilde = path.size() > last && path[last] == '~' ? '_' : '~';
  return path.substr(0, last) + tilde;
}

}  // namespace tapestrel::platform
