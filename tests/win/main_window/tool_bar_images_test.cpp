// The tool-bar images as a Windows tool bar draws them: five 25 x 25 images
// whose magenta lets the button show through, on buttons of 33 x 31.
#include <gtest/gtest.h>

#include "main_window_ids.h"
#include "ui_driver.h"

namespace tapestrel::testing {
namespace {

TEST(ToolBarImages, FiveImagesDrawnWithoutTheirTransparentColor) {
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const HIMAGELIST images = ImageList_LoadImageW(instance, MAKEINTRESOURCEW(IDB_TOOL_BAR), TOOL_IMAGE_SIZE, 0,
                                                 RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(images), TOOL_IMAGE_COUNT);

  const HWND window = CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 20, 20, 220, 40, nullptr,
                                      nullptr, instance, nullptr);
  const HWND bar =
      CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | CCS_NORESIZE, 0, 0,
                      220, 36, window, nullptr, instance, nullptr);
  SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  SendMessageW(bar, TB_SETBUTTONSIZE, 0, MAKELPARAM(33, 31));
  // As the main window lays them out: add file, add folder | view, style | settings.
  const TBBUTTON buttons[] = {
      {IDI_TOOL_LOAD_FILE, 1, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {IDI_TOOL_LOAD_FOLDER, 2, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {0, 0, 0, BTNS_SEP, {}, 0, 0},
      {IDI_TOOL_VIEW_MODE, 3, TBSTATE_ENABLED, BTNS_DROPDOWN, {}, 0, 0},
      {IDI_TOOL_VIEW_STYLE, 4, TBSTATE_ENABLED, BTNS_DROPDOWN, {}, 0, 0},
      {0, 0, 0, BTNS_SEP, {}, 0, 0},
      {IDI_TOOL_CUSTOMIZE, 5, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
  };
  SendMessageW(bar, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
  UpdateWindow(window);
  SaveScreenshot(window, "tool-bar");

  const HDC dc = GetWindowDC(window);
  const imaging::Bitmap shot = app::CopyFromDc(dc, 220, 36, SRCCOPY);
  ReleaseDC(window, dc);
  int magenta = 0, colored = 0;
  for (int y = 0; y < shot.Height(); ++y) {
    const uint8_t* row = shot.Row(y);  // blue, green, red
    for (int x = 0; x < shot.Width(); ++x, row += 3) {
      if (row[0] == 255 && row[1] == 0 && row[2] == 255) ++magenta;
      if (row[0] != row[1] || row[1] != row[2]) ++colored;
    }
  }
  EXPECT_EQ(magenta, 0);
  EXPECT_GT(colored, 5 * 100);  // the pictures themselves are there
  DestroyWindow(window);
  ImageList_Destroy(images);
}

}  // namespace
}  // namespace tapestrel::testing
