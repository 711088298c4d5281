#include "settings_ui/application_list.h"

#include <algorithm>
#include <utility>

#include "platform/ansi_text.h"
#include "platform/paths.h"

namespace tapestrel::settings_ui {

void AddApplications(ApplicationRows& rows, const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    if (platform::AnsiLowerAscii(platform::ExtractFileExt(file)) != ".exe") continue;
    const bool listed = std::any_of(rows.begin(), rows.end(), [&](const ApplicationRow& row) {
      return platform::AnsiEqualsIgnoreAsciiCase(row.path, file);
    });
    if (!listed) rows.push_back({file, false});
  }
}

void DeleteSelectedApplications(ApplicationRows& rows) {
  std::erase_if(rows, [](const ApplicationRow& row) { return row.selected; });
}

int MoveSelectedApplicationsUp(ApplicationRows& rows) {
  if (rows.empty() || rows.front().selected) return -1;
  int focused = -1;
  // From the top, each selected row changes place with the one above it,
  // which is never selected by then.
  for (size_t i = 1; i < rows.size(); ++i) {
    if (!rows[i].selected) continue;
    std::swap(rows[i - 1], rows[i]);
    focused = static_cast<int>(i - 1);
  }
  return focused;
}

int MoveSelectedApplicationsDown(ApplicationRows& rows) {
  if (rows.empty() || rows.back().selected) return -1;
  int focused = -1;
  for (size_t i = rows.size() - 1; i-- > 0;) {
    if (!rows[i].selected) continue;
    std::swap(rows[i], rows[i + 1]);
    focused = static_cast<int>(i + 1);
  }
  return focused;
}

}  // namespace tapestrel::settings_ui
