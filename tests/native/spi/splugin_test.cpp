#include "imaging/spi/splugin.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "fakes/fake_spi.h"

using namespace tapestrel::imaging;
using namespace tapestrel::testing;
using Strings = std::vector<std::string>;

namespace {

class SPluginTest : public ::testing::Test {
 protected:
  FakeSpiHost host;
  TSPlugin splugin{host};

  Strings Names() const {
    Strings out;
    for (int i = 0; i < splugin.Count(); ++i) out.push_back(splugin.Items(i).Path());
    return out;
  }
};

}  // namespace

TEST_F(SPluginTest, AddPluginKeepsImportPluginsWithCompleteInformationOnce) {
  FakePlugin noVersion = ImportPlugin("v", {"*.v"});
  noVersion.strings[0] = "";
  FakePlugin noName = ImportPlugin("n", {"*.n"});
  noName.strings[1] = "";
  FakePlugin archive = ImportPlugin("am", {"*.am"});
  archive.strings[0] = "00AM";
  host.AddPlugin("C:\\A\\good.spi", ImportPlugin("good", {"*.g", "desc", "*.h"}));
  host.AddPlugin("C:\\A\\noversion.spi", noVersion);
  host.AddPlugin("C:\\A\\noname.spi", noName);
  host.AddPlugin("C:\\A\\nomask.spi", ImportPlugin("m", {}));
  host.AddPlugin("C:\\A\\archive.spi", archive);
  host.AddPlugin("C:\\B\\GOOD.SPI", ImportPlugin("copy", {"*.g"}));

  EXPECT_EQ(splugin.AddPlugin("C:\\A\\good.spi"), 0);
  EXPECT_EQ(splugin.AddPlugin("C:\\A\\noversion.spi"), 0);
  EXPECT_EQ(splugin.AddPlugin("C:\\A\\noname.spi"), 0);
  EXPECT_EQ(splugin.AddPlugin("C:\\A\\nomask.spi"), 0);
  EXPECT_EQ(splugin.AddPlugin("C:\\A\\archive.spi"), 0);
  EXPECT_EQ(splugin.AddPlugin("C:\\A\\missing.spi"), 0);
  // The same file name elsewhere, in another case: already loaded.
  EXPECT_EQ(splugin.AddPlugin("C:\\B\\GOOD.SPI"), kSpiAlreadyLoaded);
  EXPECT_EQ(Names(), (Strings{"C:\\A\\good.spi"}));
  EXPECT_EQ(host.liveLibraries, 1);
  // Every even string is a mask, descriptions included.
  EXPECT_EQ(splugin.Items(0).Masks(), (Strings{"*.g", "*.h"}));
  EXPECT_EQ(splugin.Items(0).MaskText(), "*.g\n*.h\n");
}

TEST_F(SPluginTest, LoadFolderTriesEverySpiNameButDotNames) {
  host.AddPlugin("C:\\A\\one.spi", ImportPlugin("one", {"*.one"}));
  host.AddPlugin("C:\\A\\.two.spi", ImportPlugin("two", {"*.two"}));
  host.AddPlugin("C:\\A\\three.SPI", ImportPlugin("three", {"*.three"}), true);  // hidden files count
  host.AddEntry("C:\\A\\broken.spi");
  EXPECT_EQ(splugin.LoadFolder("C:\\A"), 3);
  EXPECT_EQ(Names(), (Strings{"C:\\A\\one.spi", "C:\\A\\three.SPI"}));
}

TEST_F(SPluginTest, FindPluginAnswersTheLastAcceptingPlugin) {
  host.AddPlugin("C:\\A\\a.spi", ImportPlugin("a", {"*.tsp"}));
  host.AddPlugin("C:\\A\\b.spi", ImportPlugin("b", {"*.tsp;*.ts1"}));
  host.AddPlugin("C:\\A\\c.spi", ImportPlugin("c", {"*.tsp"}, "NONE"));
  splugin.LoadFolder("C:\\A\\");
  host.AddFile("C:\\x\\a.tsp", "TSPX");
  host.AddFile("C:\\x\\a.ts1", "TSPX");
  EXPECT_EQ(splugin.FindPlugin("C:\\x\\a.tsp"), 1);
  EXPECT_EQ(splugin.FindPlugin("C:\\x\\a.ts1"), 1);
}

TEST_F(SPluginTest, LoadPictureStopsAtTheFirstSuccessAndReportsTheLastCode) {
  FakePlugin fails = ImportPlugin("fails", {"*.tsp"});
  fails.picture = [](const std::string&, int32_t, bool) { return FakePicture{4}; };
  FakePlugin liar = ImportPlugin("liar", {"*.tsp"});
  liar.picture = [](const std::string&, int32_t, bool) {
    return FakePicture{
        0, true, MakeInfoBlock(1, 1, 8, {1, 2}), {0, 0, 0, 0}};  // 256 colors announced, 2 given
  };
  FakePlugin noBlocks = ImportPlugin("noblocks", {"*.tsp"});
  noBlocks.picture = [](const std::string&, int32_t, bool) { return FakePicture{0, false}; };
  host.AddPlugin("C:\\A\\1.spi", fails);
  host.AddPlugin("C:\\A\\2.spi", liar);
  host.AddPlugin("C:\\A\\3.spi", noBlocks);
  splugin.LoadFolder("C:\\A\\");
  host.AddFile("C:\\x\\a.tsp", "TSPX");
  Bitmap bitmap;
  EXPECT_EQ(splugin.LoadPicture("C:\\x\\a.tsp", bitmap), kSpiBadPicture);
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(host.liveBlocks, 0);

  host.AddPlugin("C:\\A\\4.spi", ImportPlugin("good", {"*.tsp"}));
  host.AddPlugin("C:\\A\\5.spi", ImportPlugin("late", {"*.tsp"}));
  splugin.LoadFolder("C:\\A\\");
  host.log.clear();
  EXPECT_EQ(splugin.LoadPicture("C:\\x\\a.tsp", bitmap), kSpiSuccess);
  EXPECT_EQ(bitmap.Width(), 1);
  EXPECT_EQ(host.log.back(), "good:GetPicture:0");

  host.AddPlugin("C:\\B\\only.spi", fails);
  TSPlugin failing(host);
  failing.LoadFolder("C:\\B\\");
  EXPECT_EQ(failing.LoadPicture("C:\\x\\a.tsp", bitmap), 4);
}

TEST_F(SPluginTest, PreviewFallsBackToThePicture) {
  FakePlugin p = ImportPlugin("p", {"*.tsp"});
  p.picture = [](const std::string&, int32_t, bool preview) { return FakePicture{preview ? 1 : 0}; };
  host.AddPlugin("C:\\A\\p.spi", p);
  splugin.LoadFolder("C:\\A\\");
  splugin.Preview = true;
  host.AddFile("C:\\x\\a.tsp", "TSPX");
  Bitmap bitmap;
  host.log.clear();
  EXPECT_EQ(splugin.LoadPicture("C:\\x\\a.tsp", bitmap), kSpiSuccess);
  EXPECT_EQ(host.log, (Strings{"p:IsSupported:TSPX", "p:GetPreview:0", "p:GetPicture:0"}));
}

TEST_F(SPluginTest, StartUpLoadsBothManagersFromTheirFolders) {
  PictureFormatRegistry registry;
  host.AddPlugin("C:\\App\\a.spi", ImportPlugin("a", {"*.a", "a"}));
  host.AddPlugin("C:\\Windows\\w.spi", ImportPlugin("w", {"*.w", "w"}));
  host.AddPlugin("C:\\Windows\\System32\\s.spi", ImportPlugin("s", {"*.s", "s"}));
  host.AddPlugin("C:\\App\\SPlugin\\a.spi", ImportPlugin("a2", {"*.a", "a"}));
  host.AddPlugin("C:\\App\\SPlugin\\p.spi", ImportPlugin("p", {"*.p", "p"}));
  {
    // Without "SPlugin\" the folder is not looked into, and UserDir is the
    // executable's folder.
    TSPIs spis(host, registry);
    TSPlugin thumbs(host);
    LoadPluginsAtStartup(host, thumbs, spis);
    EXPECT_EQ(spis.UserDir, "C:\\App\\");
    EXPECT_EQ(thumbs.Count(), 3);
    EXPECT_EQ(spis.Count(), 3);
  }
  host.directories.insert("C:\\App\\SPlugin\\");
  TSPIs spis(host, registry);
  LoadPluginsAtStartup(host, splugin, spis);
  EXPECT_EQ(spis.UserDir, "C:\\App\\SPlugin\\");
  EXPECT_EQ(Names(), (Strings{"C:\\App\\a.spi", "C:\\Windows\\w.spi", "C:\\Windows\\System32\\s.spi",
                              "C:\\App\\SPlugin\\p.spi"}));
  Strings spisNames;
  for (int i = 0; i < spis.Count(); ++i) spisNames.push_back(spis.Items(i).FileName());
  EXPECT_EQ(spisNames, (Strings{"C:\\App\\a.spi", "C:\\App\\SPlugin\\a.spi", "C:\\App\\SPlugin\\p.spi",
                                "C:\\Windows\\System32\\s.spi", "C:\\Windows\\w.spi"}));
}

TEST_F(SPluginTest, WhateverAPlugInThrowsAtStartUpDropsItWithAllItsExtensions) {
  struct Fault {};  // not even a std::exception, as a fault turned into one might be
  PictureFormatRegistry registry;
  const size_t builtins = registry.Formats().size();
  host.AddPlugin("C:\\App\\a.spi", ImportPlugin("a", {"*.a", "a"}));
  FakePlugin noMemory = ImportPlugin("m", {"*.m1", "m1", "*.m2", "m2"});
  noMemory.onInfo = [](int index) {
    if (index == 4) throw std::bad_alloc();  // while its second mask is read
  };
  host.AddPlugin("C:\\App\\m.spi", noMemory);
  // Its first mask's extension would be registered before its second
  // description fails to convert.
  host.AddPlugin("C:\\App\\r.spi", ImportPlugin("r", {"*.r1", "r1", "*.r2", "bad r2"}));
  host.onAnsiToUtf8 = [](const std::string& text) {
    if (text == "bad r2") throw std::runtime_error("conversion");
  };
  FakePlugin faulty = ImportPlugin("f", {"*.f", "f"});
  faulty.onInfo = [](int index) {
    if (index == 1) throw Fault{};
  };
  host.AddPlugin("C:\\App\\f.spi", faulty);
  host.AddPlugin("C:\\App\\z.spi", ImportPlugin("z", {"*.z", "z"}));

  TSPIs spis(host, registry);
  ASSERT_NO_THROW(LoadPluginsAtStartup(host, splugin, spis));
  Strings loaded;
  for (int i = 0; i < spis.Count(); ++i) loaded.push_back(spis.Items(i).FileName());
  EXPECT_EQ(loaded, (Strings{"C:\\App\\a.spi", "C:\\App\\z.spi"}));
  Strings registered;
  for (size_t i = builtins; i < registry.Formats().size(); ++i)
    registered.push_back(registry.Formats()[i].extension);
  EXPECT_EQ(registered, (Strings{"a", "z"}));
  // The thumbnail side never converts descriptions: only r survives there.
  EXPECT_EQ(Names(), (Strings{"C:\\App\\a.spi", "C:\\App\\r.spi", "C:\\App\\z.spi"}));
  EXPECT_EQ(host.liveLibraries, 5);  // the dropped plug-ins' libraries are released
}
