// The thumbnail worker beside the window thread: COM on the worker, one
// thread at a time inside a plug-in, and a refresh whose worker cannot start.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

#include "common/solid_picture.h"
#include "imaging/win32/plugin_host.h"
#include "thumbnail_fixture.h"
#include "win_support/files.h"
#include "win_support/test_plugins.h"

using namespace tapestrel;
using tapestrel::testing::PumpUntil;
using tapestrel::testing::ThumbnailHost;

namespace {

tapestrel::testing::OleSession g_ole;

// A folder of pictures that only the probe plug-in reads, and that plug-in
// loaded as the program loads its plug-ins.
struct ProbeFolder {
  tapestrel::testing::TempFolder folder;
  tapestrel::testing::PluginStage stage;
  imaging::PictureFormatRegistry registry;
  std::unique_ptr<imaging::PluginHost> plugins;

  ProbeFolder(ThumbnailHost& host, int pictures) {
    tapestrel::testing::Tspx tspx;
    tspx.width = 40;
    tspx.height = 30;
    for (int i = 0; i < pictures; ++i)
      tapestrel::testing::WriteFile(folder / ("p" + std::to_string(i) + ".tsp"), tspx.Bytes());
    stage.Put("tsp_probe");
    plugins = std::make_unique<imaging::PluginHost>(stage.AppFolder(), registry);
    plugins->LoadAtStartup();
    host.Util().SPlugin = &plugins->SPlugin();
    host.Open(folder.Path());
  }

  // The most threads the plug-in has seen inside it at once.
  LONG MostInside() const {
    using Probe = LONG(__stdcall*)();
    const HMODULE module = GetModuleHandleA(tapestrel::testing::PluginFile("tsp_probe").c_str());
    const auto probe =
        reinterpret_cast<Probe>(reinterpret_cast<void*>(GetProcAddress(module, "ProbeMostInside")));
    return probe ? probe() : -1;
  }
};

}  // namespace

TEST(ThumbnailWorker, APlugInBuiltOnComObjectsMakesThumbnails) {
  ThumbnailHost host;
  ProbeFolder f(host, 2);
  host.DrawAll();
  ASSERT_TRUE(host.Pump());
  ASSERT_EQ(2, host.Items().Count());
  for (int i = 0; i < host.Items().Count(); ++i) {
    const browser::TImgListItem& e = host.Items()[i];
    ASSERT_TRUE(e.Image);
    EXPECT_FALSE(e.ImageShared) << i;  // its picture, not the icon
    EXPECT_EQ(40, e.ImageWidth) << i;
  }
}

TEST(ThumbnailWorker, APlugInIsEnteredByOneThreadAtATime) {
  ThumbnailHost host;
  ProbeFolder f(host, 12);
  host.DrawAll();
  ASSERT_TRUE(host.cells->Loader().Busy());
  // The wallpaper's decoding on this thread, through the plug-in collection's
  // own hold on the same library, while the worker makes thumbnails with it.
  imaging::TSPIGraphic wallpaper(f.plugins->SPIs1());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  int decoded = 0;
  while (host.cells->Loader().Busy() && std::chrono::steady_clock::now() < deadline) {
    wallpaper.LoadFromFile(f.folder / "p0.tsp");
    ++decoded;
    PumpUntil([] { return true; }, 0);
  }
  EXPECT_FALSE(host.cells->Loader().Busy());
  EXPECT_GT(decoded, 1);
  EXPECT_EQ(1, f.MostInside());
}

TEST(ThumbnailWorker, ARefreshWhoseWorkerCannotStartKeepsTheFolderAndMakesTheThumbnails) {
  tapestrel::testing::TempFolder folder;
  for (int i = 0; i < 3; ++i)
    tapestrel::testing::WriteSolidBmp(folder / ("p" + std::to_string(i) + ".bmp"), 30, 20, 0x0000FF);
  ThumbnailHost host;
  host.View().ViewImage.LookAhead = true;  // as the main window has it
  host.Open(folder.Path());
  ASSERT_TRUE(host.Pump());
  // Starting a worker fails from now on, as when the status bar's handler
  // runs out of memory.
  int failed = 0;
  host.View().OnImageLoad = [&](browser::TImgListItem&) {
    ++failed;
    throw std::runtime_error("status bar");
  };
  host.View().ReloadFolder();  // its clean-up starts the worker
  EXPECT_GT(failed, 0);
  EXPECT_EQ(3, host.Items().Count());
  ASSERT_TRUE(host.Pump(20000));
  for (int i = 0; i < host.Items().Count(); ++i) {
    const browser::TImgListItem& e = host.Items()[i];
    ASSERT_TRUE(e.Image) << i;
    EXPECT_FALSE(e.ImageShared) << i;
  }
}
