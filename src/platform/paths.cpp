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

}  // namespace tapestrel::platform
