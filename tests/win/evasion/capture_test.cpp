// Captures of the real screen and of a real window under Wine, in all three
// formats, made the wallpaper.
#include <gtest/gtest.h>

#include "app/registry_keys.h"
#include "app/screen_capture.h"
#include "app/win32/screen_capture.h"
#include "imaging/picture_file.h"
#include "imaging/pixel_convert.h"
#include "win_support/real_core.h"
#include "win_support/waiting.h"

namespace tapestrel::testing {
namespace {

// A frameless window at a known place: red left half, blue right half.
LRESULT CALLBACK PatternProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    const int middle = r.right / 2;
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
    RECT left = {0, 0, middle, r.bottom}, right = {middle, 0, r.right, r.bottom};
    FillRect(dc, &left, red);
    FillRect(dc, &right, blue);
    DeleteObject(red);
    DeleteObject(blue);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class PatternWindow {
 public:
  PatternWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &PatternProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TapestrelPattern";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(WS_EX_TOPMOST, L"TapestrelPattern", L"pattern", WS_POPUP | WS_VISIBLE, 100, 120,
                            200, 150, nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(hwnd_);
    SetFocus(hwnd_);
    UpdateWindow(hwnd_);
    WaitFor(
        [] {
          MSG m;
          while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
          return false;
        },
        700);
  }
  ~PatternWindow() { DestroyWindow(hwnd_); }
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_;
};

bool Near(imaging::ColorValue c, int r, int g, int b) {
  return std::abs(imaging::RedOf(c) - r) < 40 && std::abs(imaging::GreenOf(c) - g) < 40 &&
         std::abs(imaging::BlueOf(c) - b) < 40;
}

class CaptureTest : public ::testing::Test, protected RealCore {
 protected:
  app::WindowsScreenCapture screen;
  app::WallpaperCapture capture{settings, files, screen, changer};

  void SetUp() override {
    settings.WallPaperFolder = pictures.Path();
    ListPictures({".bmp", ".jpg", ".png"});
  }
};

TEST_F(CaptureTest, WholeScreenInEachFormat) {
  PatternWindow pattern;
  WriteFile(pictures / "ScreenShot000.bmp", "taken");
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  const struct {
    int format;
    const char* name;
  } formats[] = {{0, "ScreenShot001.bmp"}, {1, "ScreenShot000.jpg"}, {2, "ScreenShot000.png"}};
  for (const auto& f : formats) {
    settings.CaptureFileExt = f.format;
    const std::string path =
        capture.CaptureToWallpaper(app::CaptureArea::WholeScreen, [&] { RefreshPictures(); });
    EXPECT_EQ(path, pictures / f.name);
    const imaging::Bitmap picture = imaging::LoadPictureFile(path);
    EXPECT_EQ(picture.Width(), w);
    EXPECT_EQ(picture.Height(), h);
    EXPECT_TRUE(Near(imaging::PixelColor(picture, 150, 190), 255, 0, 0)) << f.name;
    EXPECT_TRUE(Near(imaging::PixelColor(picture, 250, 190), 0, 0, 255)) << f.name;
    // It is the wallpaper now, and the last picture, at its place in the list.
    EXPECT_EQ(IniValue(profile.Path(), "System", "LastWallPas"), path);
    EXPECT_EQ(changer.IndexInPictureList(path), settings.LastWallIndex);
    EXPECT_EQ(platform::CurrentUserRegistry().ReadString(app::kDesktopKey, "ConvertedWallpaper"), path);
  }
}

TEST_F(CaptureTest, ActiveWindowInEachFormat) {
  PatternWindow pattern;
  ASSERT_EQ(app::GetFocusedWindowOfForeground(), pattern.Handle());
  settings.CaptureFileName = "";
  for (int format = 0; format <= 2; ++format) {
    settings.CaptureFileExt = format;
    const std::string path = capture.CaptureToWallpaper(app::CaptureArea::ActiveWindow);
    EXPECT_EQ(path, pictures / ("000" + app::CaptureExtension(format)));
    const imaging::Bitmap picture = imaging::LoadPictureFile(path);
    EXPECT_EQ(picture.Width(), 200);
    EXPECT_EQ(picture.Height(), 150);
    EXPECT_TRUE(Near(imaging::PixelColor(picture, 40, 70), 255, 0, 0));
    EXPECT_TRUE(Near(imaging::PixelColor(picture, 160, 70), 0, 0, 255));
  }
}

TEST_F(CaptureTest, UnwritableFolderAppliesNothing) {
  settings.WallPaperFolder = pictures / "missing-folder";
  registry.WriteString(app::kDesktopKey, "ConvertedWallpaper", "sentinel");
  EXPECT_THROW(capture.CaptureToWallpaper(app::CaptureArea::WholeScreen), imaging::ImageError);
  EXPECT_EQ(registry.ReadString(app::kDesktopKey, "ConvertedWallpaper"), "sentinel");
}

}  // namespace
}  // namespace tapestrel::testing
