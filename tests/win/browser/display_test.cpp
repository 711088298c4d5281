// What the view draws: cell geometry in the real list view, the cell
// decoration's pixels, the view styles (and screenshots of each drawing, see
// win_support/screenshots.h).
#include <cstring>

#include "common/solid_picture.h"
#include "view_fixture.h"
#include "win_support/screen_pixels.h"
#include "win_support/screenshots.h"

namespace tapestrel::testing {
namespace {

using browser::TBevelCut;
using browser::TBorderStyle;
using browser::TIconStyle;
using browser::TViewStyle;

// The window's pixels as the screen shows them.
imaging::Bitmap Capture(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump(100);
  return ScreenPixels(WindowArea(window));
}

COLORREF PixelAt(const imaging::Bitmap& b, POINT screen, HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  const uint8_t* p = b.Row(screen.y - r.top) + 3 * (screen.x - r.left);
  return RGB(p[2], p[1], p[0]);
}

class DisplayTest : public ::testing::Test {
 protected:
  TempFolder folder;

  void SetUp() override {
    for (const char* name : {"flower.bmp", "lake.jpg", "notes.txt", "sky.png", "tree.bmp"})
      WriteFile(folder / name, "x");
  }
};

TEST_F(DisplayTest, CellGeometryForTheMainWindowAndForBorderWithBothBevels) {
  ViewWindow window;
  browser::SetUpAsProgramView(window.View());
  browser::TImgListView& view = window.View();
  view.OpenFolder(folder.Path());
  const auto imageListSize = [&] {
    int w = 0, h = 0;
    ImageList_GetIconSize(ListView_GetImageList(window.List(), LVSIL_NORMAL), &w, &h);
    return std::pair(w, h);
  };
  EXPECT_EQ(ListView_GetItemSpacing(window.List(), FALSE), MAKELONG(126 + 15, 96 + 32));
  EXPECT_EQ(imageListSize(), std::pair(110, 92));

  view.BeginUpdate();
  view.ViewImage.BorderStyle = TBorderStyle::bsSingle;
  view.ViewImage.BevelInner = TBevelCut::bvLowered;
  view.ViewImage.BevelOuter = TBevelCut::bvRaised;
  view.EndUpdate();
  EXPECT_EQ(ListView_GetItemSpacing(window.List(), FALSE), MAKELONG(134 + 15, 104 + 32));
  EXPECT_EQ(imageListSize(), std::pair(118, 100));
  view.SetViewStyle(TViewStyle::vsReport);
  EXPECT_EQ(imageListSize(), std::pair(134, 104));  // not narrowed outside icon style
  ListView_SetColumnWidth(window.List(), 0, 50);
  view.ViewImage.ImageWidth = 121;  // a rebuild widens the first column again
  EXPECT_EQ(ListView_GetColumnWidth(window.List(), 0), 7 + 121 + 4);

  view.SetIconStyle(TIconStyle::iisIcon);
  SHFILEINFOW info{};
  const auto system = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
  EXPECT_EQ(ListView_GetImageList(window.List(), LVSIL_NORMAL), system);
  EXPECT_EQ(view.ImgItems().Count(), 5);
}

TEST_F(DisplayTest, SelectedAndPlainCellsShowTheirFrames) {
  ViewWindow window;
  browser::SetUpAsProgramView(window.View());
  browser::TImgListView& view = window.View();
  view.OpenFolder(folder.Path());
  view.Select(0, true);
  SetFocus(window.List());
  const imaging::Bitmap shot = Capture(window.Frame());
  SaveScreenshot(shot, "view-main-window-cells");
  const auto cellOf = [&](int index) {
    RECT icon{};
    ListView_GetItemRect(window.List(), index, &icon, LVIR_ICON);
    const browser::CellSize cell = view.CellSizeNow();
    POINT origin{icon.left + (icon.right - icon.left - cell.width) / 2,
                 icon.top + std::max(0L, (icon.bottom - icon.top - cell.height) / 2)};
    ClientToScreen(window.List(), &origin);
    return origin;
  };
  const POINT selected = cellOf(0), plain = cellOf(1);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), border = GetSysColor(COLOR_INACTIVEBORDER);
  for (int d = 0; d < 3; ++d)
    EXPECT_EQ(PixelAt(shot, {selected.x + d, selected.y + 40}, window.Frame()), highlight) << d;
  EXPECT_EQ(PixelAt(shot, {selected.x + 3, selected.y + 40}, window.Frame()), RGB(255, 255, 255));
  EXPECT_EQ(PixelAt(shot, {plain.x, plain.y + 40}, window.Frame()), RGB(255, 255, 255));
  EXPECT_EQ(PixelAt(shot, {plain.x + 2, plain.y + 40}, window.Frame()), border);
  EXPECT_EQ(PixelAt(shot, {plain.x + 125, plain.y + 40}, window.Frame()), RGB(255, 255, 255));
  EXPECT_EQ(PixelAt(shot, {plain.x + 123, plain.y + 40}, window.Frame()), border);
}

TEST_F(DisplayTest, EachViewStyle) {
  const struct {
    TViewStyle style;
    TIconStyle icons;
    const char* name;
  } styles[] = {{TViewStyle::vsIcon, TIconStyle::iisIcon, "view-style-icon"},
                {TViewStyle::vsSmallIcon, TIconStyle::iisSmallIcon, "view-style-small-icon"},
                {TViewStyle::vsList, TIconStyle::iisSmallIcon, "view-style-list"},
                {TViewStyle::vsReport, TIconStyle::iisSmallIcon, "view-style-report"},
                {TViewStyle::vsIcon, TIconStyle::iisImage, "view-style-thumbnails"}};
  for (const auto& s : styles) {
    ViewWindow window(640, 360);
    browser::SetUpAsProgramView(window.View());
    browser::TImgListView& view = window.View();
    view.OpenFolder(folder.Path());
    view.SetViewStyle(s.style);
    view.SetIconStyle(s.icons);
    view.Select(1, true);
    view.ResetDisplayRequestStats();
    SaveScreenshot(Capture(window.Frame()), s.name);
    // Every style asks the view for what it shows, and the view answers.
    EXPECT_GT(view.DisplayRequestStats().count, 0) << s.name;
    EXPECT_EQ(window.Text(2, 0), L"notes.txt") << s.name;
  }
}

// One view per decoration, side by side, for the eye.
TEST_F(DisplayTest, FrameBorderAndBevelCombinations) {
  const struct {
    bool frames;
    TBorderStyle border;
    TBevelCut inner, outer;
  } combinations[] = {
      {true, TBorderStyle::bsNone, TBevelCut::bvNone, TBevelCut::bvNone},
      {false, TBorderStyle::bsNone, TBevelCut::bvNone, TBevelCut::bvNone},
      {false, TBorderStyle::bsSingle, TBevelCut::bvNone, TBevelCut::bvNone},
      {true, TBorderStyle::bsNone, TBevelCut::bvLowered, TBevelCut::bvRaised},
      {false, TBorderStyle::bsNone, TBevelCut::bvRaised, TBevelCut::bvLowered},
      {true, TBorderStyle::bsSingle, TBevelCut::bvLowered, TBevelCut::bvRaised},
  };
  ViewWindow window(1000, 700);
  std::vector<std::unique_ptr<browser::TImgListView>> views;
  int n = 0;
  for (const auto& c : combinations) {
    auto view = std::make_unique<browser::TImgListView>(window.Frame());
    view->BeginUpdate();
    view->SetColor(browser::kClWhite);
    view->SetHideSelection(false);
    view->SetMultiSelect(true);
    view->ViewImage.ImageWidth = 120;
    view->ViewImage.ImageHeight = 90;
    view->ViewImage.Frame.Visible = c.frames;
    view->ViewImage.SelectFrame.Visible = c.frames;
    view->ViewImage.BorderStyle = c.border;
    view->ViewImage.BevelInner = c.inner;
    view->ViewImage.BevelOuter = c.outer;
    view->SetIconStyle(TIconStyle::iisImage);
    view->EndUpdate();
    const RECT r{(n % 2) * 490, (n / 2) * 220, (n % 2) * 490 + 485, (n / 2) * 220 + 215};
    view->SetBounds(r);
    view->OpenFolder(folder.Path());
    view->Select(0, true);
    views.push_back(std::move(view));
    ++n;
  }
  ShowWindow(window.List(), SW_HIDE);
  const imaging::Bitmap shot = Capture(window.Frame());
  SaveScreenshot(shot, "view-cell-decorations");
  // The bevelled view's cells carry both button shadow and highlight.
  RECT icon{};
  ListView_GetItemRect(views[4]->ListView(), 1, &icon, LVIR_ICON);
  const browser::CellSize cell = views[4]->CellSizeNow();
  POINT origin{icon.left + (icon.right - icon.left - cell.width) / 2,
               icon.top + std::max(0L, (icon.bottom - icon.top - cell.height) / 2)};
  ClientToScreen(views[4]->ListView(), &origin);
  EXPECT_EQ(PixelAt(shot, {origin.x + 40, origin.y}, window.Frame()), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(PixelAt(shot, {origin.x + 40, origin.y + 1}, window.Frame()), GetSysColor(COLOR_BTNHIGHLIGHT));
  views.clear();
}

}  // namespace
}  // namespace tapestrel::testing
