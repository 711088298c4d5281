#include "settings_ui/new_folder_name.h"

#include "platform/paths.h"

namespace tapestrel::settings_ui {
namespace {

// A folder cannot hold more sub-folders than this in practice; the bound only
// keeps a file system that reports everything as present from hanging us.
constexpr int kLastNumber = 100000;

}  // namespace

std::optional<std::string> NewFolderPath(std::string_view parent, std::string_view baseName,
                                         const std::function<bool(const std::string&)>& exists) {
  if (parent.empty()) return std::nullopt;
  // A drive root already ends in "\": no doubled separator.
  const std::string base = platform::IncludeTrailingBackslash(parent) + std::string(baseName);
  if (!exists(base)) return base;
  for (int n = 2; n <= kLastNumber; ++n) {
    std::string candidate = base + "(" + std::to_string(n) + ")";
    if (!exists(candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace tapestrel::settings_ui
