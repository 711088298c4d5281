#include "app/help_url.h"

#include <gtest/gtest.h>

#include "platform/ansi_text.h"

namespace tapestrel::app {
namespace {

TEST(HelpFileUrl, FolderWithForwardSlashesThenTheFile) {
  platform::SetAnsiCodePage(932);
  const struct {
    std::string folder, url;
  } cases[] = {
      {"C:\\Program Files\\Tapestrel\\", "file:///C:/Program Files/Tapestrel/help.htm"},
      {"Z:\\tmp\\", "file:///Z:/tmp/help.htm"},
      {"\\\\server\\share\\", "file://///server/share/help.htm"},
      // "表" is 0x95 0x5C in Shift-JIS: its trail byte is no separator.
      {"C:\\\x95\x5C\\", "file:///C:/\x95\x5C/help.htm"},
      {"C:\\\x95\x5C\x95\x5C\\", "file:///C:/\x95\x5C\x95\x5C/help.htm"},
      // A fragment mark or a percent sign in a folder name stays part of the path.
      {"C:\\C#\\50%\\", "file:///C:/C%23/50%25/help.htm"},
      // A lead byte cut off at the end is taken as it stands.
      {"C:\\\x95", "file:///C:/\x95help.htm"},
      {"", "file:///help.htm"},
  };
  for (const auto& c : cases) EXPECT_EQ(HelpFileUrl(c.folder), c.url) << c.folder;
}

}  // namespace
}  // namespace tapestrel::app
