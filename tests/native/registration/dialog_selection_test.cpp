// What the open dialog's multiple selection gives back, as paths.
#include <gtest/gtest.h>

#include "app/dialog_selection.h"

namespace tapestrel::app {
namespace {

TEST(DialogSelectionTest, OnePathOrAFolderWithItsNames) {
  using V = std::vector<std::u16string>;
  struct Case {
    std::u16string buffer;
    V paths;
  };
  const Case cases[] = {
      {std::u16string(u"C:\\p\\a.jpg\0\0", 12), V{u"C:\\p\\a.jpg"}},
      {std::u16string(u"C:\\写真\0猫.jpg\0b.png\0\0", 20), V{u"C:\\写真\\猫.jpg", u"C:\\写真\\b.png"}},
      {std::u16string(u"C:\\\0a.jpg\0b.jpg\0\0", 17), V{u"C:\\a.jpg", u"C:\\b.jpg"}},
      {std::u16string(u"\0\0", 2), V{}},
      {u"", V{}},
      // The closing zeros missing: the cut name is left out.
      {std::u16string(u"C:\\p\0a.jpg\0b.j", 14), V{u"C:\\p\\a.jpg"}},
      {u"C:\\p\\a.jpg", V{}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitDialogSelection(c.buffer), c.paths) << c.buffer.size();
}

}  // namespace
}  // namespace tapestrel::app
