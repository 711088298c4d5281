// The rows of the application list on the page "壁紙変更の無効条件": adding
// program files, deleting and moving the selected rows. The page copies the
// list view into rows, runs one of these and copies the rows back.
#pragma once

#include <string>
#include <vector>

namespace tapestrel::settings_ui {

struct ApplicationRow {
  std::string path;  // ANSI code page
  bool selected = false;
};
using ApplicationRows = std::vector<ApplicationRow>;

// Appends each file, in order, whose extension is ".exe" in any letter case
// and whose path is not yet listed (letter case ignored). Others are skipped
// without a word.
void AddApplications(ApplicationRows& rows, const std::vector<std::string>& files);
void DeleteSelectedApplications(ApplicationRows& rows);
// Every selected row moves one place up (down), keeping the order of the
// selected rows. Nothing moves when the first (last) row is selected or the
// list is empty. Answers the row to focus, or -1 when nothing moved.
int MoveSelectedApplicationsUp(ApplicationRows& rows);
int MoveSelectedApplicationsDown(ApplicationRows& rows);

}  // namespace tapestrel::settings_ui
