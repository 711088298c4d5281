// The worker against the window thread: stopping never waits for a whole
// decoding, and a picture that failed while it was still being written is
// made once it has settled.
#include <gtest/gtest.h>

#include <fstream>

#include "common/solid_picture.h"
#include "imaging/bmp_file.h"
#include "imaging/win32/plugin_host.h"
#include "platform/win32/handles.h"
#include "thumbnail_fixture.h"
#include "win_support/files.h"
#include "win_support/test_plugins.h"

using namespace tapestrel;
using tapestrel::testing::ThumbnailHost;

namespace {

bool HasOwnPicture(browser::TImgListItem* e) { return e && e->Loaded && e->Image && !e->ImageShared; }

LONG HostileCount(const char* name) {
  const auto count = reinterpret_cast<LONG(__stdcall*)()>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA(tapestrel::testing::PluginFile("tsp_hostile").c_str()), name)));
  return count ? count() : -1;
}

}  // namespace

// Both plug-ins hold the worker: one never calls back until the test lets it
// go, which it does only after the refresh, the other asks its progress
// callback every row. Then a picture is written in two halves a second
// apart, as a copy in progress is: the first half fails and shows the icon,
// the whole file its picture; so does a plug-in's picture first written empty.
TEST(ThumbnailWorker, StoppingNeverWaitsAndAHalfWrittenPictureEndsWithItsThumbnail) {
  tapestrel::testing::TempFolder folder;
  tapestrel::testing::PluginStage stage;
  stage.Put("tsp_hostile");
  imaging::PictureFormatRegistry registry;
  imaging::PluginHost plugins(stage.AppFolder(), registry);
  plugins.LoadAtStartup();
  platform::UniqueKernelHandle inside(CreateEventA(nullptr, FALSE, FALSE, "TapestrelSpiInside"));
  platform::UniqueKernelHandle gate(CreateEventA(nullptr, TRUE, FALSE, "TapestrelSpiGate"));
  platform::UniqueKernelHandle slowInside(CreateEventA(nullptr, FALSE, FALSE, "TapestrelSpiSlow"));
  ThumbnailHost host;
  host.Util().SPlugin = &plugins.SPlugin();
  using tapestrel::testing::PumpUntil;
  const auto waitInside = [&](HANDLE told) {
    return PumpUntil([&] { return WaitForSingleObject(told, 0) == WAIT_OBJECT_0; }, 10000);
  };

  // Each case in a folder of its own, whole before it is opened.
  const std::string heldFolder = folder / "held", slowFolder = folder / "slow", copies = folder / "copies";
  for (const std::string& f : {heldFolder, slowFolder, copies}) CreateDirectoryA(f.c_str(), nullptr);
  tapestrel::testing::Tspx held;
  held.mode = 22;
  tapestrel::testing::WriteFile(heldFolder + "\\held.bad", held.Bytes());
  tapestrel::testing::Tspx slow;
  slow.mode = 23;
  slow.height = 2000;
  tapestrel::testing::WriteFile(slowFolder + "\\slow.bad", slow.Bytes());

  host.Open(heldFolder);
  host.DrawAll();
  ASSERT_TRUE(waitInside(inside.Get()));
  host.View().ReloadFolder();  // F5: cancels the worker, still inside the plug-in
  SetEvent(gate.Get());
  EXPECT_EQ(0, HostileCount("HostileGateTimedOut"));
  // Free again, the worker makes what was asked for meanwhile.
  host.DrawAll();
  EXPECT_TRUE(PumpUntil([&] { return HasOwnPicture(host.Entry(L"held.bad")); }, 10000));

  host.Open(slowFolder);
  host.DrawAll();
  ASSERT_TRUE(waitInside(slowInside.Get()));
  host.View().ReloadFolder();
  EXPECT_TRUE(PumpUntil([] { return HostileCount("HostileAborted") >= 1; }, 3000));

  // A picture copied in, and one whose type only a plug-in tells from its
  // first bytes, copied in while still empty.
  const std::vector<uint8_t> bmp = imaging::WriteBmp(tapestrel::testing::SolidPicture(200, 150, 0x00FF00));
  const std::string whole(bmp.begin(), bmp.end()), path = copies + "\\copied.bmp";
  const std::string pluginPath = copies + "\\copied.bad";
  host.Open(copies);  // stops the slow one for good
  tapestrel::testing::WriteFile(path, whole.substr(0, whole.size() / 2));
  tapestrel::testing::WriteFile(pluginPath, "");
  const auto showsIcon = [&](const wchar_t* name) {
    host.DrawAll();
    browser::TImgListItem* e = host.Entry(name);
    return e && e->Loaded && e->ImageShared;
  };
  ASSERT_TRUE(PumpUntil([&] { return showsIcon(L"copied.bmp") && showsIcon(L"copied.bad"); }, 5000));
  tapestrel::testing::Pump(1000);
  std::ofstream(path, std::ios::binary | std::ios::app) << whole.substr(whole.size() / 2);
  tapestrel::testing::WriteFile(pluginPath, tapestrel::testing::Tspx().Bytes());
  EXPECT_TRUE(PumpUntil([&] { return HasOwnPicture(host.Entry(L"copied.bmp")); }, 6000));
  EXPECT_TRUE(PumpUntil([&] { return HasOwnPicture(host.Entry(L"copied.bad")); }, 6000));
}
