// Decoding through the real test plug-ins: depths and row orders, which
// plug-in is asked first, the bitmap-file rule, MacBinary, the thumbnail
// side's filter, and a plug-in built with the wrong calling convention.
#include <gtest/gtest.h>

#include <thread>

#include "imaging/win32/plugin_host.h"
#include "platform/ansi_text.h"
#include "platform/paths.h"
#include "win_support/test_plugins.h"

namespace platform = tapestrel::platform;
namespace tt = tapestrel::testing;
using namespace tapestrel::imaging;
using tt::PluginLog;
using tt::PluginStage;
using tt::Tspx;
using Strings = std::vector<std::string>;

namespace {

// Stands in for the program's bitmap reader: reads nothing but marks what it
// was asked, and refuses files that do not start like a bitmap file.
Bitmap MarkerReader(const std::string& path) {
  if (tt::ReadFile(path).rfind("BM", 0) != 0) throw ImageError("not a bitmap file");
  return Bitmap(9, 9, PixelFormat::Bits8);
}

}  // namespace

TEST(PluginDecode, EveryDepthAndRowOrderThroughBothManagers) {
  PluginStage stage;
  stage.Put("tsp_in");
  PictureFormatRegistry registry;
  PluginHost plugins(stage.AppFolder(), registry);
  plugins.LoadAtStartup();

  std::vector<Tspx> cases;
  for (int bits : {1, 4, 8}) {
    Tspx t;
    t.width = 13;
    t.height = 5;
    t.bits = bits;
    t.palette = tt::GreyPalette(1 << bits);
    cases.push_back(t);
  }
  for (int bits : {16, 24, 32}) {
    Tspx t;
    t.width = 7;
    t.bits = bits;
    cases.push_back(t);
  }
  Tspx topDown;
  topDown.topDown = true;
  cases.push_back(topDown);
  Tspx fewColors;  // an 8-bit picture with a short color table
  fewColors.bits = 8;
  fewColors.palette = {0x0000FF, 0x00FF00, 0xFF0000};
  cases.push_back(fewColors);

  for (const Tspx& t : cases) {
    SCOPED_TRACE(std::to_string(t.bits) + (t.topDown ? " top-down" : ""));
    const std::string file = stage.Picture("p.tsp", t.Bytes());
    TSPIBitmap bitmap(nullptr);
    ASSERT_NO_THROW(bitmap.LoadFromFile(file));
    EXPECT_TRUE(t.Matches(bitmap.Picture()));
    ASSERT_EQ(bitmap.Picture().Palette().size(), t.palette.size());
    for (size_t i = 0; i < t.palette.size(); ++i) {
      const PaletteEntry& e = bitmap.Picture().Palette()[i];
      EXPECT_EQ(uint32_t{e.red} << 16 | uint32_t{e.green} << 8 | e.blue, t.palette[i]);
    }
    Bitmap thumb;
    ASSERT_EQ(plugins.SPlugin().LoadPicture(file, thumb), kSpiSuccess);
    EXPECT_EQ(thumb, bitmap.Picture());
  }
}

TEST(PluginDecode, CandidatesClaimingTheExtensionFirstLaterLoadedAhead) {
  PluginStage stage;
  PluginLog log;
  stage.Put("tsp_in");         // claims .tsp, loaded first (executable's folder)
  stage.Put("tsp_alt", true);  // claims .tsq, loaded second ("SPlugin\")
  PictureFormatRegistry registry;
  PluginHost plugins(stage.AppFolder(), registry);
  plugins.LoadAtStartup();
  TSPIs& spis = plugins.Plugins();
  spis.MacBinary = false;

  // Nobody reads it, so everyone is asked, in candidate order.
  Tspx unknown;
  unknown.magic = "NONE";
  const std::string tsp = stage.Picture("a.tsp", unknown.Bytes());
  const std::string tsq = stage.Picture("a.tsq", unknown.Bytes());
  log.Clear();
  EXPECT_THROW(TSPIBitmap(nullptr).LoadFromFile(tsp), ESPIDecodeError);
  EXPECT_EQ(log.Lines(), (Strings{"tsp_in IsSupported 0", "tsp_alt IsSupported 0"}));
  log.Clear();
  EXPECT_THROW(TSPIBitmap(nullptr).LoadFromFile(tsq), ESPIDecodeError);
  EXPECT_EQ(log.Lines(), (Strings{"tsp_alt IsSupported 0", "tsp_in IsSupported 0"}));

  // A third plug-in for .tsp, loaded last, goes ahead of the first.
  PluginStage third;
  third.Put("tsp_third");
  spis.Search(third.AppFolder() + tt::PluginMask());
  ASSERT_EQ(spis.Count(), 3);
  log.Clear();
  EXPECT_THROW(TSPIBitmap(nullptr).LoadFromFile(tsp), ESPIDecodeError);
  EXPECT_EQ(log.Lines(),
            (Strings{"tsp_third IsSupported 0", "tsp_in IsSupported 0", "tsp_alt IsSupported 0"}));

  // With a picture they all read, the first candidate decodes it.
  const std::string good = stage.Picture("b.tsp", Tspx().Bytes());
  log.Clear();
  TSPIBitmap(nullptr).LoadFromFile(good);
  EXPECT_EQ(log.Lines("GetPicture "), (Strings{"tsp_third GetPicture 0"}));
}

TEST(PluginDecode, BitmapFileRuleAndFilesWithoutExtension) {
  PluginStage stage;
  PluginLog log;
  stage.Put("tsp_in");
  PictureFormatRegistry registry;
  PluginHost plugins(stage.AppFolder(), registry);
  plugins.LoadAtStartup();

  // A ".bmp" the bitmap reader refuses is decoded by the plug-in.
  const Tspx t;
  const std::string fake = stage.Picture("fake.BMP", t.Bytes());
  TSPIBitmap bitmap(MarkerReader);
  bitmap.LoadFromFile(fake);
  EXPECT_TRUE(t.Matches(bitmap.Picture()));
  // A real one never reaches the plug-ins; any other extension reaches them first.
  const std::string real = stage.Picture("real.bmp", "BM" + t.Bytes());
  log.Clear();
  bitmap.LoadFromFile(real);
  EXPECT_EQ(bitmap.Picture().Width(), 9);
  EXPECT_TRUE(log.Lines().empty());
  const std::string other = stage.Picture("other.xyz", "BM" + t.Bytes());
  bitmap.LoadFromFile(other);
  EXPECT_EQ(log.Lines("IsSupported").size(), 2u);  // offsets 0 and 128, both refused
  EXPECT_EQ(bitmap.Picture().Width(), 9);

  // A file without extension is never offered on the thumbnail side.
  const std::string bare = stage.Picture("picture", t.Bytes());
  log.Clear();
  EXPECT_EQ(plugins.SPlugin().FindPlugin(bare), -1);
  EXPECT_TRUE(log.Lines().empty());
  // ... but the collection decodes anything its plug-ins read.
  TSPIBitmap(nullptr).LoadFromFile(bare);
}

TEST(PluginDecode, MacBinaryWrappedFilesDecodeThroughTheCollectionOnly) {
  PluginStage stage;
  PluginLog log;
  stage.Put("tsp_in");
  stage.Put("tsp_macbin", true);
  PictureFormatRegistry registry;
  PluginHost plugins(stage.AppFolder(), registry);
  plugins.LoadAtStartup();

  Tspx t;
  t.magic = "TSPM";
  const std::string wrapped = stage.Picture("w.tsm", std::string(128, '\x01') + t.Bytes());
  log.Clear();
  TSPIBitmap bitmap(nullptr);
  bitmap.LoadFromFile(wrapped);
  EXPECT_TRUE(t.Matches(bitmap.Picture()));
  EXPECT_EQ(log.Lines(), (Strings{"tsp_macbin IsSupported 0", "tsp_macbin IsSupported 0",
                                  "tsp_macbin GetPictureInfo 128", "tsp_macbin GetPicture 128"}));
  EXPECT_EQ(plugins.SPlugin().FindPlugin(wrapped), -1);
  Bitmap thumb;
  EXPECT_EQ(plugins.SPlugin().LoadPicture(wrapped, thumb), kSpiNotSupported);
  // The wallpaper path, as the renderer takes it: found first, then decoded.
  const std::string plain = stage.Picture("p.tsp", Tspx().Bytes());
  EXPECT_EQ(plugins.SPlugin().FindPlugin(plain), 0);
}

TEST(PluginDecode, WrongCallingConventionStillWorks) {
  // x64 has one calling convention: the cdecl plug-in is an ordinary one there.
  if (sizeof(void*) == 8) GTEST_SKIP() << "x86 only: x64 has no stdcall/cdecl distinction";
  PluginStage stage;
  stage.Put("tsp_cdecl");
  PictureFormatRegistry registry;
  PluginHost plugins(stage.AppFolder(), registry);
  plugins.LoadAtStartup();
  ASSERT_EQ(plugins.Plugins().Count(), 1);
  EXPECT_EQ(plugins.Plugins().Items(0).Masks(), (Strings{"*.tsc"}));
  Tspx t;
  t.bits = 8;
  t.palette = tt::GreyPalette(256);
  const std::string file = stage.Picture("c.tsc", t.Bytes());
  for (int i = 0; i < 50; ++i) {  // enough calls for a drifting stack to show
    TSPIBitmap bitmap(nullptr);
    bitmap.LoadFromFile(file);
    ASSERT_TRUE(t.Matches(bitmap.Picture()));
    Bitmap thumb;
    ASSERT_EQ(plugins.SPlugin().LoadPicture(file, thumb), kSpiSuccess);
  }
}

TEST(PluginDecode, ThumbnailThreadAndMainThreadTogether) {
  PluginStage stage;
  stage.Put("tsp_in");
  stage.Put("tsp_third");
  PictureFormatRegistry registry;
  PluginHost plugins(stage.AppFolder(), registry);
  plugins.LoadAtStartup();
  Tspx t;
  t.width = 300;
  t.height = 200;
  const std::string file = stage.Picture("big.tsp", t.Bytes());
  auto work = [&](int* failures) {
    for (int i = 0; i < 30; ++i) {
      Bitmap b;
      if (plugins.SPlugin().FindPlugin(file) < 0 || plugins.SPlugin().LoadPicture(file, b) != kSpiSuccess ||
          !t.Matches(b)) {
        ++*failures;
      }
    }
  };
  int workerFailures = 0, mainFailures = 0;
  std::thread worker(work, &workerFailures);
  work(&mainFailures);
  worker.join();
  EXPECT_EQ(workerFailures + mainFailures, 0);
}
