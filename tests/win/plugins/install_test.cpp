// Installing plug-ins from the settings page: the copy into "SPlugin\" and
// the message; what is installed is loaded at the next start.
#include <gtest/gtest.h>

#include "imaging/win32/plugin_host.h"
#include "platform/ansi_text.h"
#include "platform/paths.h"
#include "settings_ui/win32/plugin_install.h"
#include "win_support/test_plugins.h"

namespace platform = tapestrel::platform;
namespace tt = tapestrel::testing;
using namespace tapestrel::imaging;
using tapestrel::settings_ui::InstallPlugins;
using tt::PluginStage;
using Strings = std::vector<std::string>;

TEST(PluginInstall, CopiesIntoANewPluginFolderAndAsksForARestart) {
  tt::TempFolder base;
  // The program's folder as deep as it likes; every missing folder is made.
  const std::string app = base / "a\\b\\";
  CreateDirectoryA((base / "a").c_str(), nullptr);
  Strings messages;
  const int copied = InstallPlugins(
      {tt::TestPluginPath("tsp_in"), tt::TestPluginPath("tsp_alt"), base / tt::PluginFile("missing")}, app,
      [&](const std::string& m) { messages.push_back(m); });
  EXPECT_EQ(copied, 2);  // the missing file is passed over without a word
  EXPECT_EQ(messages, (Strings{"プラグインを有効にするためにTapestrelの再起動が必要です。"}));
  EXPECT_TRUE(tt::FileExists(app + "SPlugin\\" + tt::PluginFile("tsp_in")));
  EXPECT_TRUE(tt::FileExists(app + "SPlugin\\" + tt::PluginFile("tsp_alt")));

  // Nothing is loaded now; the next start finds them.
  PictureFormatRegistry registry;
  PluginHost plugins(app, registry);
  plugins.LoadAtStartup();
  EXPECT_EQ(plugins.Plugins().Count(), 2);
  EXPECT_EQ(plugins.Plugins().UserDir, app + "SPlugin\\");
  plugins.Plugins().Search(tt::PluginMask());  // nothing new
  EXPECT_EQ(plugins.Plugins().Count(), 2);
}

TEST(PluginInstall, OverwritesAPluginOfTheSameName) {
  PluginStage stage;
  CreateDirectoryA(stage.PluginFolder().c_str(), nullptr);
  tt::WriteFile(stage.PluginFolder() + tt::PluginFile("tsp_in"), "an old version");
  EXPECT_EQ(InstallPlugins({tt::TestPluginPath("tsp_in")}, stage.AppFolder(), nullptr), 1);
  EXPECT_EQ(tt::ReadFile(stage.PluginFolder() + tt::PluginFile("tsp_in")),
            tt::ReadFile(tt::TestPluginPath("tsp_in")));
}
