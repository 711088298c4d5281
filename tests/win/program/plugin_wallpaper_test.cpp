// A picture that only a plug-in reads becomes the wallpaper through
// "/wallchange", centred and in ratio drawing.
#include <gtest/gtest.h>

#include "common/solid_picture.h"
#include "imaging/bmp_file.h"
#include "win_support/desktop_registry.h"
#include "win_support/tapestrel_process.h"
#include "win_support/test_plugins.h"

namespace tapestrel::testing {
namespace {

TEST(PluginWallpaper, WallChangeAppliesAPlugInPicture) {
  TempFolder folder, pictures;
  TapestrelProcess program(folder);
  CopyFileA(TestPluginPath("tsp_in").c_str(), (folder / PluginFile("tsp_in")).c_str(), FALSE);
  WriteSolidBmp(pictures / "a.bmp", 8, 8, 0x0000FF);
  Tspx tspx;
  tspx.width = 40;
  tspx.height = 10;
  WriteFile(pictures / "b.tsp", tspx.Bytes());

  for (int position : {0, 3}) {
    WriteFile(program.Ini(), "[Whole]\r\nWallPaperFolder=" + pictures.Path() +
                                 "\r\nWallPosition=" + std::to_string(position) + "\r\n");
    ASSERT_TRUE(program.Start("/wallchange"));
    ASSERT_TRUE(program.WaitExit(20000));
    EXPECT_EQ(IniValue(program.Ini(), "System", "LastWallPas"), pictures / "b.tsp");
    EXPECT_EQ(DesktopValue("ConvertedWallpaper"), pictures / "b.tsp");
    const imaging::Bitmap wallpaper = imaging::ReadBmpFile(WallpaperFile());
    if (position == 0) {
      EXPECT_TRUE(tspx.Matches(wallpaper));
    } else {
      EXPECT_EQ(wallpaper.Width(), GetSystemMetrics(SM_CXSCREEN));
      EXPECT_EQ(wallpaper.Height(), GetSystemMetrics(SM_CYSCREEN));
    }
  }
}

}  // namespace
}  // namespace tapestrel::testing
