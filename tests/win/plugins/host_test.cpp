// The plug-in managers over the real test plug-ins, loaded as the program
// loads them at start-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "app/picture_extensions.h"
#include "imaging/win32/plugin_host.h"
#include "platform/ansi_text.h"
#include "platform/paths.h"
#include "win_support/test_plugins.h"

namespace app = tapestrel::app;
namespace platform = tapestrel::platform;
namespace tt = tapestrel::testing;
using namespace tapestrel::imaging;
using tt::PluginLog;
using tt::PluginStage;
using tt::Tspx;
using Strings = std::vector<std::string>;

namespace {

Strings SpisFiles(TSPIs& spis) {
  Strings out;
  for (int i = 0; i < spis.Count(); ++i) out.push_back(platform::ExtractFileName(spis.Items(i).FileName()));
  return out;
}

// The plug-in extensions of a registry that started with the built-ins.
Strings PluginFormats(const PictureFormatRegistry& registry) {
  const size_t builtins = PictureFormatRegistry().Formats().size();
  Strings out;
  for (size_t i = builtins; i < registry.Formats().size(); ++i) {
    out.push_back(registry.Formats()[i].extension + "=" + registry.Formats()[i].description);
  }
  return out;
}

}  // namespace

TEST(PluginHost, NoPluginsAnywhere) {
  PluginStage stage;
  PictureFormatRegistry registry;
  PluginHost plugins(stage.AppFolder(), registry);
  plugins.LoadAtStartup();
  EXPECT_EQ(plugins.SPlugin().Count(), 0);
  EXPECT_EQ(plugins.Plugins().Count(), 0);
  EXPECT_EQ(plugins.Plugins().UserDir, stage.AppFolder());
  EXPECT_TRUE(PluginFormats(registry).empty());
  const std::string picture = stage.Picture("a.tsp", Tspx().Bytes());
  Bitmap bitmap;
  EXPECT_EQ(plugins.SPlugin().FindPlugin(picture), -1);
  EXPECT_EQ(plugins.SPlugin().LoadPicture(picture, bitmap), kSpiNotSupported);
}

TEST(PluginHost, SameFileBesideTheProgramAndInThePluginFolder) {
  PluginStage stage;
  stage.Put("tsp_in");
  stage.Put("tsp_in", true);
  PictureFormatRegistry registry;
  PluginHost plugins(stage.AppFolder(), registry);
  plugins.LoadAtStartup();
  EXPECT_EQ(plugins.Plugins().UserDir, stage.PluginFolder());
  // Loaded once by file name here, twice by path there.
  EXPECT_EQ(plugins.SPlugin().Count(), 1);
  ASSERT_EQ(plugins.Plugins().Count(), 2);
  EXPECT_TRUE(platform::AnsiEqualsIgnoreAsciiCase(plugins.Plugins().Items(0).FileName(),
                                                  stage.AppFolder() + tt::PluginFile("tsp_in")));
  EXPECT_TRUE(platform::AnsiEqualsIgnoreAsciiCase(plugins.Plugins().Items(1).FileName(),
                                                  stage.PluginFolder() + tt::PluginFile("tsp_in")));
  // Each copy registered its extensions.
  EXPECT_EQ(PluginFormats(registry).size(), 8u);
}

TEST(PluginHost, PluginFolderAloneAndTheProgramFolderSearchedOnce) {
  PluginStage plugFolderOnly;
  plugFolderOnly.Put("tsp_in", true);
  {
    PictureFormatRegistry registry;
    PluginHost plugins(plugFolderOnly.AppFolder(), registry);
    plugins.LoadAtStartup();
    EXPECT_EQ(plugins.SPlugin().Count(), 1);
    EXPECT_EQ(SpisFiles(plugins.Plugins()), (Strings{tt::PluginFile("tsp_in")}));
  }
  // Without "SPlugin\" the user folder is the program's again: the module
  // names the system reports must match the listing, or it loads twice.
  PluginStage appOnly;
  appOnly.Put("tsp_in");
  appOnly.Put("tsp_alt");
  PictureFormatRegistry registry;
  PluginHost plugins(appOnly.AppFolder(), registry);
  plugins.LoadAtStartup();
  EXPECT_EQ(plugins.SPlugin().Count(), 2);
  EXPECT_EQ(plugins.Plugins().Count(), 2);
}

TEST(PluginHost, MasksRegisterRightToLeftAndReachTheStartUpLists) {
  PluginStage stage;
  stage.Put("tsp_in");
  PictureFormatRegistry registry;
  PluginHost plugins(stage.AppFolder(), registry);
  plugins.LoadAtStartup();
  // The second description is Shift-JIS in the plug-in, UTF-8 in the registry.
  EXPECT_EQ(PluginFormats(registry),
            (Strings{"tsp=Tapestrel sample picture", "ts3=テスト画像", "ts2=テスト画像", "ts1=テスト画像"}));

  const Strings extensions = app::BuildPictureExtensionList(registry.FileMask());
  for (const char* ext : {".tsp", ".ts3", ".ts2", ".ts1"}) {
    EXPECT_NE(std::find(extensions.begin(), extensions.end(), ext), extensions.end()) << ext;
  }
  const std::string displayed = app::BuildDisplayedExtensions(extensions);
  EXPECT_NE(displayed.find("*.tsp;*.ts3;*.ts2;*.ts1;"), std::string::npos);
  const std::string filter = app::BuildOpenPictureFilter(registry.Filter(), displayed);
  EXPECT_NE(filter.find("|テスト画像 (*.ts3)|*.ts3"), std::string::npos);
  EXPECT_NE(filter.find("*.tsp;*.ts3;*.ts2;*.ts1"), std::string::npos);
}

TEST(PluginHost, EachManagerKeepsWhatItCanUse) {
  PluginStage stage;
  for (const char* name : {"tsp_am", "tsp_xn", "tsp_nois", "tsp_badinfo", "tsp_in"}) stage.Put(name);
  tt::WriteFile(stage.AppFolder() + tt::PluginFile("text"), "not a library at all");
  tt::WriteFile(stage.AppFolder() + tt::PluginFile("empty"), "");
  PictureFormatRegistry registry;
  PluginHost plugins(stage.AppFolder(), registry);
  plugins.LoadAtStartup();

  TSPIs& spis = plugins.Plugins();
  std::map<std::string, const TSPIsItem*> byName;
  for (int i = 0; i < spis.Count(); ++i)
    byName[platform::ExtractFileName(spis.Items(i).FileName())] = &spis.Items(i);
  // No import plug-in without "IsSupported"; the archive and "00XN" ones in their classes.
  EXPECT_EQ(byName.size(), 4u);
  EXPECT_EQ(byName.count(tt::PluginFile("tsp_nois")), 0u);
  ASSERT_EQ(byName.count(tt::PluginFile("tsp_am")), 1u);
  EXPECT_NE(dynamic_cast<const TAmSPI*>(byName[tt::PluginFile("tsp_am")]), nullptr);
  ASSERT_EQ(byName.count(tt::PluginFile("tsp_xn")), 1u);
  EXPECT_NE(dynamic_cast<const TXnSPI*>(byName[tt::PluginFile("tsp_xn")]), nullptr);
  // Information that never ends is cut off; the name fills the buffer.
  ASSERT_EQ(byName.count(tt::PluginFile("tsp_badinfo")), 1u);
  const TSPIsItem& bad = *byName[tt::PluginFile("tsp_badinfo")];
  EXPECT_EQ(bad.Version(), "00IN");
  EXPECT_EQ(bad.PluginName(), std::string(255, 'N'));
  EXPECT_GT(bad.Masks().size(), 10u);
  EXPECT_LT(bad.Masks().size(), 200u);

  // The thumbnail side keeps import plug-ins only, with or without
  // "IsSupported"; one without it accepts nothing.
  Strings thumbs;
  for (int i = 0; i < plugins.SPlugin().Count(); ++i) thumbs.push_back(plugins.SPlugin().Items(i).FileName());
  std::sort(thumbs.begin(), thumbs.end());
  EXPECT_EQ(thumbs,
            (Strings{tt::PluginFile("tsp_badinfo"), tt::PluginFile("tsp_in"), tt::PluginFile("tsp_nois")}));
  const std::string picture = stage.Picture("a.tsn", Tspx().Bytes());
  EXPECT_EQ(plugins.SPlugin().FindPlugin(picture), -1);
}
