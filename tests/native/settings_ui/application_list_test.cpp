#include "settings_ui/application_list.h"

#include <gtest/gtest.h>

namespace tapestrel::settings_ui {
namespace {

// "ABCDE" with the selected rows in lower case, e.g. "aBcDE".
ApplicationRows Rows(const std::string& spec) {
  ApplicationRows rows;
  for (char c : spec)
    rows.push_back({std::string(1, static_cast<char>(std::toupper(c))), std::islower(c) != 0});
  return rows;
}
std::string Spec(const ApplicationRows& rows) {
  std::string spec;
  for (const ApplicationRow& r : rows)
    spec += r.selected ? static_cast<char>(std::tolower(r.path[0])) : r.path[0];
  return spec;
}

TEST(ApplicationListMoves, UpAndDown) {
  struct Case {
    const char* before;
    bool up;
    const char* after;
    int focused;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"AbcDE", true, "bcADE", 1},   // rows 2 and 3 of five: rows 1 and 2, still selected
           {"aBCDE", true, "aBCDE", -1},  // the first row selected: nothing moves
           {"aBcDE", true, "aBcDE", -1},
           {"ABcDe", true, "AcBeD", 3},  // apart: each one place
           {"", true, "", -1},
           {"ABCDE", true, "ABCDE", -1},   // nothing selected
           {"AbcDE", false, "ADbcE", 2},   // the lower row moves first; the upper one gets the focus
           {"ABCDe", false, "ABCDe", -1},  // down from the bottom
           {"aBCDe", false, "aBCDe", -1},
           {"aBcDE", false, "BaDcE", 1},
           {"", false, "", -1},
       }) {
    ApplicationRows rows = Rows(c.before);
    const int focused = c.up ? MoveSelectedApplicationsUp(rows) : MoveSelectedApplicationsDown(rows);
    EXPECT_EQ(Spec(rows), c.after) << c.before << (c.up ? " up" : " down");
    EXPECT_EQ(focused, c.focused) << c.before << (c.up ? " up" : " down");
  }
}

TEST(ApplicationListMoves, DeleteTakesEverySelectedRow) {
  ApplicationRows rows = Rows("aBcdE");
  DeleteSelectedApplications(rows);
  EXPECT_EQ(Spec(rows), "BE");
}

TEST(ApplicationListAdd, OnlyNewProgramFiles) {
  // "C:\表\ソフト.exe" in Shift-JIS: both "表" and "ソ" end in a backslash byte.
  const std::string kSoftware = "C:\\\x95\x5C\\\x83\x5C\x83\x74\x83\x67.exe";
  ApplicationRows rows{{"C:\\Games\\Game.exe", true}};
  AddApplications(rows, {"C:\\GAMES\\game.EXE",    // listed already, other case
                         "C:\\Tools\\viewer.EXE",  // new
                         "C:\\Tools\\readme.txt",  // not a program
                         "C:\\Tools\\exe",         // no extension
                         "C:\\Tools.exe\\run",     // the dot belongs to a folder
                         "C:\\tools\\VIEWER.exe",  // the one just added
                         kSoftware});
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].path, "C:\\Tools\\viewer.EXE");
  EXPECT_FALSE(rows[1].selected);
  EXPECT_EQ(rows[2].path, kSoftware);
  // Shift-JIS: the trail byte 0x41 is no letter "A"; this is another file.
  AddApplications(rows, {"C:\\\x83\x41.exe", "C:\\\x83\x61.exe", "C:\\\x83\x41.EXE"});
  EXPECT_EQ(rows.size(), 5u);
}

}  // namespace
}  // namespace tapestrel::settings_ui
