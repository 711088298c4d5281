// "WindowPosX" and "WindowPosY" are the window's edges on the screen, also
// when a task bar at the top or left moves the work area (the placement
// Windows keeps for a maximised window is in work-area coordinates).
// tests/e2e/work_area.sh runs these cases once more on a display whose work
// area starts at (30, 40).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "win_support/main_window_fixture.h"

namespace tapestrel::testing {
namespace {

RECT PrimaryWorkArea() {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
  return info.rcWork;
}

class WindowGeometryTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    // The wrapper names the work area it set up: make sure it is in force.
    if (const char* expected = std::getenv("TAPESTREL_EXPECT_WORK_AREA")) {
      const RECT work = PrimaryWorkArea();
      ASSERT_EQ(std::to_string(work.left) + "," + std::to_string(work.top), expected);
    }
  }
};

TEST_P(WindowGeometryTest, StoredPositionsAreScreenCoordinates) {
  const bool maximized = GetParam();
  MainWindowFixture fixture(
      "[Window]\r\nWindowPosX=100\r\nWindowPosY=120\r\nWindowWidth=500\r\nWindowHeight=400\r\n"
      "Maximized=" +
      std::string(maximized ? "1" : "0") + "\r\n");
  fixture.Form().ShowAtStart();
  EXPECT_EQ(IsZoomed(fixture.Form().Handle()) != FALSE, maximized);
  if (!maximized) {
    RECT r{};
    GetWindowRect(fixture.Form().Handle(), &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 120);
  }
  fixture.Form().SaveSettings(true);
  EXPECT_EQ(IniValue(fixture.Ini(), "Window", "WindowPosX"), "100");
  EXPECT_EQ(IniValue(fixture.Ini(), "Window", "WindowPosY"), "120");
  EXPECT_EQ(IniValue(fixture.Ini(), "Window", "WindowWidth"), "500");
  EXPECT_EQ(IniValue(fixture.Ini(), "Window", "Maximized"), maximized ? "1" : "0");
}

INSTANTIATE_TEST_SUITE_P(NormalAndMaximised, WindowGeometryTest, ::testing::Bool());

}  // namespace
}  // namespace tapestrel::testing
