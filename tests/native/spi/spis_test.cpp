#include "imaging/spi/spis.h"

#include <gtest/gtest.h>

#include "fakes/fake_spi.h"

using namespace tapestrel::imaging;
using namespace tapestrel::testing;
using Strings = std::vector<std::string>;

namespace {

class SpisTest : public ::testing::Test {
 protected:
  FakeSpiHost host;
  PictureFormatRegistry registry;  // the built-in formats only
  const size_t builtins = registry.Formats().size();

  std::unique_ptr<TSPIs> Searched(const std::string& userDir = "") {
    auto spis = std::make_unique<TSPIs>(host, registry);
    spis->UserDir = userDir;
    spis->Search("*.spi");
    return spis;
  }
  // The registered plug-in extensions, as "ext=description".
  Strings Registered() const {
    Strings out;
    for (size_t i = builtins; i < registry.Formats().size(); ++i) {
      out.push_back(registry.Formats()[i].extension + "=" + registry.Formats()[i].description);
    }
    return out;
  }
  Strings Loaded(const TSPIs& spis) const {
    Strings out;
    for (int i = 0; i < spis.Count(); ++i) out.push_back(spis.Items(i).FileName());
    return out;
  }
  Strings Calls(const std::string& what) const {
    Strings out;
    for (const std::string& line : host.log) {
      if (line.find(what) != std::string::npos) out.push_back(line);
    }
    return out;
  }
};

}  // namespace

TEST_F(SpisTest, OnlyOneCollectionAtATime) {
  auto first = std::make_unique<TSPIs>(host, registry);
  EXPECT_EQ(TSPIs::Instance(), first.get());
  try {
    TSPIs second(host, registry);
    FAIL();
  } catch (const ESPIError& e) {
    EXPECT_STREQ(e.what(), "TSPIs は複数生成できません");
  }
  EXPECT_EQ(TSPIs::Instance(), first.get());
  first.reset();
  EXPECT_EQ(TSPIs::Instance(), nullptr);
  EXPECT_NO_THROW(TSPIs(host, registry));
}

TEST_F(SpisTest, ClassFollowsVersionAndEachClassDemandsItsEntryPoints) {
  auto plugin = [](const std::string& version, std::set<SpiEntry> missing = {}) {
    FakePlugin p = ImportPlugin(version, {"*." + version, version});
    p.strings[0] = version;
    p.missing = std::move(missing);
    return p;
  };
  host.AddPlugin("C:\\App\\in.spi", plugin("00IN"));
  host.AddPlugin("C:\\App\\in-no-is.spi", plugin("00IN", {SpiEntry::IsSupported}));
  host.AddPlugin("C:\\App\\in-no-info.spi", plugin("00IN", {SpiEntry::GetPictureInfo}));
  host.AddPlugin("C:\\App\\am.spi", plugin("00AM"));
  host.AddPlugin("C:\\App\\am-no-file.spi", plugin("00AM", {SpiEntry::GetFile}));
  host.AddPlugin("C:\\App\\xn.spi", plugin("00XN", {SpiEntry::IsSupported, SpiEntry::GetPicture}));
  host.AddPlugin("C:\\App\\other.spi", plugin("01IN"));
  host.AddPlugin("C:\\App\\no-gpi.spi", plugin("00IN", {SpiEntry::GetPluginInfo}));
  host.AddEntry("C:\\App\\not-a-library.spi");
  auto spis = Searched();

  ASSERT_EQ(Loaded(*spis),
            (Strings{"C:\\App\\in.spi", "C:\\App\\am.spi", "C:\\App\\xn.spi", "C:\\App\\other.spi"}));
  EXPECT_NE(dynamic_cast<TInSPI*>(&spis->Items(0)), nullptr);
  EXPECT_NE(dynamic_cast<TAmSPI*>(&spis->Items(1)), nullptr);
  EXPECT_NE(dynamic_cast<TXnSPI*>(&spis->Items(2)), nullptr);
  EXPECT_EQ(typeid(spis->Items(3)), typeid(TSPIsItem));
  // Only the import plug-in registers.
  EXPECT_EQ(Registered(), (Strings{"00IN=utf8:00IN"}));
  // Probe, then the real load: every kept plug-in was opened twice, and only
  // the kept ones are still loaded.
  EXPECT_EQ(std::count(host.opened.begin(), host.opened.end(), "C:\\App\\in.spi"), 2);
  EXPECT_EQ(host.liveLibraries, 4);
  spis.reset();
  EXPECT_EQ(host.liveLibraries, 0);
}

TEST_F(SpisTest, FoldersAreSearchedInOrderAndEachPathLoadsOnce) {
  for (const std::string folder :
       {"C:\\Windows\\", "C:\\Windows\\System32\\", "C:\\App\\SPlugin\\", "C:\\App\\"}) {
    host.AddPlugin(folder + "same.spi", ImportPlugin(folder, {"*.x", "x"}));
  }
  host.AddPlugin("C:\\App\\SPlugin\\hidden.spi", ImportPlugin("h", {"*.h", "h"}), true);
  host.AddEntry("C:\\App\\folder.spi", true);
  host.directories.insert("C:\\App\\SPlugin\\");

  auto spis = Searched("C:\\App\\SPlugin\\");
  // The same file name in two folders gives two plug-ins.
  EXPECT_EQ(Loaded(*spis), (Strings{"C:\\App\\same.spi", "C:\\App\\SPlugin\\same.spi",
                                    "C:\\Windows\\System32\\same.spi", "C:\\Windows\\same.spi"}));
  // A second search finds nothing new.
  host.opened.clear();
  spis->Search("*.spi");
  EXPECT_TRUE(host.opened.empty());
}

TEST_F(SpisTest, UserDirThatIsTheExecutableFolderAddsNothing) {
  host.AddPlugin("C:\\App\\a.spi", ImportPlugin("a", {"*.a", "a"}));
  // The system reports the module's path in another case.
  host.Plugin("C:\\App\\a.spi").moduleFileName = "c:\\app\\A.SPI";
  auto spis = Searched("C:\\App\\");
  EXPECT_EQ(spis->Count(), 1);
}

TEST_F(SpisTest, EventsCanVetoFilesPluginsAndExtensions) {
  host.AddPlugin("C:\\App\\a.spi", ImportPlugin("a", {"*.a", "a"}));
  host.AddPlugin("C:\\App\\b.spi", ImportPlugin("b", {"*.b", "b"}));
  host.AddPlugin("C:\\App\\c.spi", ImportPlugin("c", {"*.c;*.d", "cd"}));
  TSPIs spis(host, registry);
  spis.OnSearching = [](TSPIs&, const std::string& file, bool& accept) { accept = file != "C:\\App\\a.spi"; };
  spis.OnSearch = [](TSPIs&, TSPIsItem& spi, bool& accept) { accept = spi.PluginName() != "b plug-in"; };
  Strings asked;
  spis.OnPictureRegister = [&](TSPIs&, TSPIsItem&, const std::string& ext, const std::string& desc,
                               bool& keep) {
    asked.push_back(ext + "=" + desc);
    keep = ext != "d";
  };
  spis.Search("*.spi");
  EXPECT_EQ(Loaded(spis), (Strings{"C:\\App\\c.spi"}));
  EXPECT_EQ(std::count(host.opened.begin(), host.opened.end(), "C:\\App\\a.spi"), 0);
  EXPECT_EQ(host.liveLibraries, 1);  // the refused one was freed
  EXPECT_EQ(asked, (Strings{"d=cd", "c=cd"}));
  EXPECT_EQ(Registered(), (Strings{"c=utf8:cd"}));
}

// --- Decoding ---------------------------------------------------------------

namespace {

class DecodeTest : public SpisTest {
 protected:
  // Loads the plug-ins in the order given (each from its own search).
  std::unique_ptr<TSPIs> LoadInOrder(const std::vector<FakePlugin>& plugins) {
    auto spis = std::make_unique<TSPIs>(host, registry);
    for (const FakePlugin& p : plugins) {
      host.AddPlugin("C:\\P\\" + p.id + ".spi", p);
      spis->Search("C:\\P\\" + p.id + ".spi");
    }
    host.log.clear();
    return spis;
  }
  Strings Tried() const { return Calls(":IsSupported"); }
};

}  // namespace

TEST_F(DecodeTest, OnlyTheLastExtensionOfAMaskPromotesAndNoExtensionPromotesNone) {
  host.AddFile("C:\\x\\a.pic", "????");
  host.AddFile("C:\\x\\noext", "????");
  auto spis = LoadInOrder({ImportPlugin("P1", {"*.mag", "mag"}), ImportPlugin("P2", {"*.pic;*.pi2", "pic"}),
                           ImportPlugin("P3", {"*.x", "x", "*.pic", "pic"})});
  spis->MacBinary = false;
  EXPECT_THROW(TSPIGraphic(*spis).LoadFromFile("C:\\x\\a.pic"), ESPIDecodeError);
  EXPECT_EQ(Tried(), (Strings{"P3:IsSupported:????", "P1:IsSupported:????", "P2:IsSupported:????"}));
  host.log.clear();
  EXPECT_THROW(TSPIGraphic(*spis).LoadFromFile("C:\\x\\noext"), ESPIDecodeError);
  EXPECT_EQ(Tried(), (Strings{"P1:IsSupported:????", "P2:IsSupported:????", "P3:IsSupported:????"}));
}

TEST_F(DecodeTest, FailuresMoveOnAndFreeEverything) {
  host.AddFile("C:\\x\\a.tsp", "TSPX");
  FakePlugin error = ImportPlugin("error", {"*.tsp", "t"});
  error.picture = [](const std::string&, int32_t, bool) { return FakePicture{3}; };
  FakePlugin noBlocks = ImportPlugin("noBlocks", {"*.tsp", "t"});
  noBlocks.picture = [](const std::string&, int32_t, bool) { return FakePicture{0, false}; };
  FakePlugin liar = ImportPlugin("liar", {"*.tsp", "t"});  // claims a picture larger than its block
  liar.picture = [](const std::string&, int32_t, bool) {
    return FakePicture{0, true, MakeInfoBlock(100, 100, 24), std::vector<uint8_t>(16)};
  };
  FakePlugin good = ImportPlugin("good", {"*.x", "x"});
  good.picture = [](const std::string&, int32_t, bool) {
    return FakePicture{0, true, MakeInfoBlock(2, 1, 8, {0x112233}, 1), {0, 0, 0, 0}};
  };
  auto spis = LoadInOrder({good, liar, noBlocks, error});
  spis->MacBinary = false;
  TSPIGraphic graphic(*spis);
  graphic.LoadFromFile("C:\\x\\a.tsp");
  EXPECT_EQ(Calls(":GetPicture:"), (Strings{"error:GetPicture:0", "noBlocks:GetPicture:0",
                                            "liar:GetPicture:0", "good:GetPicture:0"}));
  EXPECT_EQ(graphic.Picture().Width(), 2);
  EXPECT_EQ(graphic.Picture().Palette()[0], (PaletteEntry{0x33, 0x22, 0x11, 0}));
  EXPECT_EQ(host.liveBlocks, 0);
}

TEST_F(DecodeTest, GraphicPreviewAsksForThePreviewFirst) {
  host.AddFile("C:\\x\\a.tsp", "TSPX");
  FakePlugin p = ImportPlugin("p", {"*.tsp", "t"});
  p.picture = [](const std::string&, int32_t, bool preview) { return FakePicture{preview ? 5 : 0}; };
  FakePlugin noPreview = ImportPlugin("n", {"*.tsp", "t"});
  noPreview.missing = {SpiEntry::GetPreview};
  noPreview.magic = "NONE";
  auto spis = LoadInOrder({p, noPreview});
  spis->GraphicPreview = true;
  spis->MacBinary = false;
  TSPIGraphic(*spis).LoadFromFile("C:\\x\\a.tsp");
  EXPECT_EQ(Calls(":Get"), (Strings{"p:GetPictureInfo:0", "p:GetPreview:0", "p:GetPicture:0"}));

  host.log.clear();
  host.AddFile("C:\\x\\b.tsp", "NONE");
  TSPIGraphic(*spis).LoadFromFile("C:\\x\\b.tsp");
  EXPECT_EQ(Calls(":GetPic"), (Strings{"n:GetPictureInfo:0", "n:GetPicture:0"}));
}

TEST_F(DecodeTest, ProgressIsToldInPercentAndCanAbort) {
  host.AddFile("C:\\x\\a.tsp", "TSPX");
  FakePlugin p = ImportPlugin("p", {"*.tsp", "t"});
  p.progressCalls = {{0, 10}, {5, 10}, {10, 10}};
  auto spis = LoadInOrder({p});
  spis->MacBinary = false;
  TSPIGraphic graphic(*spis);
  std::vector<int> told;
  graphic.OnProgress = [&](int percent) {
    told.push_back(percent);
    return false;
  };
  graphic.LoadFromFile("C:\\x\\a.tsp");
  EXPECT_EQ(told, (std::vector<int>{2, 51, 99}));

  told.clear();
  graphic.OnProgress = [&](int percent) {
    told.push_back(percent);
    return percent > 50;  // the plug-in stops at once and fails
  };
  EXPECT_THROW(graphic.LoadFromFile("C:\\x\\a.tsp"), ESPIDecodeError);
  EXPECT_EQ(told, (std::vector<int>{2, 51}));
}
