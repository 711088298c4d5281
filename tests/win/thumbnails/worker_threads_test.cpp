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
using tapestrel::testing::ThumbnailHost;

namespace {
tapestrel::testing::OleSession g_ole;
}  // namespace

// The probe plug-in decodes only on a thread with COM, as plug-ins built on
// the system's imaging components do, and counts the threads inside it.
TEST(ThumbnailWorker, PlugInsMakeThumbnailsWithComOneThreadAtATime) {
  tapestrel::testing::TempFolder folder;
  tapestrel::testing::Tspx tspx;
  tspx.width = 40;
  for (int i = 0; i < 8; ++i)
    tapestrel::testing::WriteFile(folder / (std::to_string(i) + ".tsp"), tspx.Bytes());
  tapestrel::testing::PluginStage stage;
  stage.Put("tsp_probe");
  imaging::PictureFormatRegistry registry;
  imaging::PluginHost plugins(stage.AppFolder(), registry);
  plugins.LoadAtStartup();
  ThumbnailHost host;
  host.Util().SPlugin = &plugins.SPlugin();
  host.Open(folder.Path());
  host.DrawAll();
  // The wallpaper's decoding on this thread, through the plug-in collection's
  // own hold on the same library, while the worker makes thumbnails with it.
  imaging::TSPIGraphic wallpaper(plugins.Plugins());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  int decoded = 0;
  for (; host.cells->Loader().Busy() && std::chrono::steady_clock::now() < deadline; ++decoded) {
    wallpaper.LoadFromFile(folder / "0.tsp");
    tapestrel::testing::PumpUntil([] { return true; }, 0);
  }
  EXPECT_GT(decoded, 1);
  const auto mostInside = reinterpret_cast<LONG(__stdcall*)()>(reinterpret_cast<void*>(GetProcAddress(
      GetModuleHandleA(tapestrel::testing::PluginFile("tsp_probe").c_str()), "ProbeMostInside")));
  ASSERT_TRUE(mostInside);
  EXPECT_EQ(1, mostInside());
  ASSERT_TRUE(host.Pump());
  ASSERT_EQ(8, host.Items().Count());
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(host.Items()[i].Image);
    EXPECT_FALSE(host.Items()[i].ImageShared) << i;  // its picture, not the icon
  }
}

TEST(ThumbnailWorker, ARefreshWhoseWorkerCannotStartKeepsTheFolderAndMakesTheThumbnails) {
  tapestrel::testing::TempFolder folder;
  for (int i = 0; i < 3; ++i)
    tapestrel::testing::WriteSolidBmp(folder / (std::to_string(i) + ".bmp"), 30, 20, 0x0000FF);
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
  host.loaded = 0;
  host.View().ReloadFolder();  // its clean-up starts the worker
  EXPECT_GT(failed, 0);
  EXPECT_EQ(3, host.Items().Count());
  ASSERT_TRUE(host.Pump(20000));
  EXPECT_EQ(3, host.loaded);
}
