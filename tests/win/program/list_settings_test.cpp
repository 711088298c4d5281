// The "List" keys go through the real main window: loading runs its view,
// style and sort actions, saving reads back the checked actions and the
// browser's order, and the sort actions change what is saved.
#include <gtest/gtest.h>

#include "program/win32/actions.h"
#include "win_support/main_window_fixture.h"

namespace tapestrel::testing {
namespace {

std::string ListKeys(const MainWindowFixture& fixture) {
  std::string keys;
  for (const char* key : {"ViewMode", "ViewStyle", "SortType", "SortDirection"}) {
    keys += std::string(key) + "=" + IniValue(fixture.Ini(), "List", key) + " ";
  }
  return keys;
}

TEST(ListSettings, SavedFromTheMainWindowAsLoadedAndAsChanged) {
  MainWindowFixture fixture("[List]\r\nViewMode=3\r\nViewStyle=2\r\nSortType=1\r\nSortDirection=1\r\n");
  app::MainWindow& window = fixture.Form();
  window.SaveSettings(false);
  EXPECT_EQ(ListKeys(fixture), "ViewMode=3 ViewStyle=2 SortType=1 SortDirection=1 ");

  window.Actions().Execute(app::kActIconSortForSize);  // the same key again: ascending
  window.Actions().Execute(app::kActList);
  window.SaveSettings(false);
  EXPECT_EQ(ListKeys(fixture), "ViewMode=4 ViewStyle=2 SortType=1 SortDirection=0 ");
  window.Actions().Execute(app::kActIconSortForSize);  // twice: descending
  window.Actions().Execute(app::kActIconSortForDate);  // another key: ascending
  window.Actions().Execute(app::kActViewStyle6);
  window.SaveSettings(false);
  EXPECT_EQ(ListKeys(fixture), "ViewMode=4 ViewStyle=5 SortType=3 SortDirection=0 ");
}

TEST(ListSettings, OutOfRangeValuesLoadAndSaveAsTheFirst) {
  MainWindowFixture fixture("[List]\r\nViewMode=9\r\nViewStyle=-1\r\nSortType=4\r\n");
  fixture.Form().SaveSettings(false);
  EXPECT_EQ(ListKeys(fixture), "ViewMode=0 ViewStyle=0 SortType=0 SortDirection=0 ");
}

}  // namespace
}  // namespace tapestrel::testing
