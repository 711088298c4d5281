// The color styles through the real main window: the view's background and
// the cell frames as the screen shows them, and the style stored in and taken
// from "Tapestrel.ini".
#include <gtest/gtest.h>

#include "app/view_options.h"
#include "view_on_screen.h"

namespace tapestrel::testing {
namespace {

constexpr imaging::ColorValue Sys(int index) {
  return imaging::kSystemColorFlag | static_cast<imaging::ColorValue>(index);
}

TEST(ViewStyles, EachMenuCommandColorsTheViewAndItsFramesAndIsSaved) {
  // Cells are 3 pixels of decoration wide on each side (the selection frame's
  // width); the unselected frame lies inside that band, a narrower one
  // inset by the difference; without a frame the border or bevels are
  // there instead.
  const struct {
    UINT action;
    imaging::ColorValue background;
    int edgeOffset;  // from the cell's left edge
    imaging::ColorValue edge, selectedEdge;
    const char* stored;
  } cases[] = {
      {app::kActViewStyle2, 0x000000, 2, Sys(COLOR_INACTIVEBORDER), Sys(COLOR_HIGHLIGHT), "1"},
      {app::kActViewStyle3, Sys(COLOR_BTNFACE), 3, Sys(COLOR_BTNSHADOW), Sys(COLOR_HIGHLIGHT), "2"},
      {app::kActViewStyle4, Sys(COLOR_INFOBK), 1, 0xC0DCC0, 0xF0CAA6, "3"},
      {app::kActViewStyle5, 0x004080, 3, Sys(COLOR_BTNSHADOW), 0xFFFFFF, "4"},
      {app::kActViewStyle6, 0x808080, 2, 0xC1FFFF, 0xFFFFFF, "5"},
      {app::kActViewStyle1, 0xFFFFFF, 2, Sys(COLOR_INACTIVEBORDER), Sys(COLOR_HIGHLIGHT), "0"},
  };
  ShownMainWindow window;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    window.Command(c.action);
    window.View().Select(0, false);
    window.View().Select(1, true);
    PumpFor(100);
    const RECT cell = window.Cell(0), selected = window.Cell(1);
    const int middle = (cell.top + cell.bottom) / 2;
    RECT client;
    GetClientRect(window.List(), &client);
    const WindowPixels pixels(window.List());
    EXPECT_EQ(pixels.Pixel(client.right - 30, client.bottom - 30), ResolvedColor(c.background));
    EXPECT_EQ(pixels.Pixel(cell.left + c.edgeOffset, middle), ResolvedColor(c.edge));
    EXPECT_EQ(pixels.Pixel(selected.left, middle), ResolvedColor(c.selectedEdge));
    EXPECT_TRUE(window.Form().Actions().IsChecked(c.action));
    EXPECT_EQ(window.Saved("ViewStyle"), c.stored);
  }
}

TEST(ViewStyles, StoredStyleSelectsItsCommandAndAnyOtherSelectsTheFirst) {
  const struct {
    const char* stored;
    UINT checked;
    imaging::ColorValue background;
  } cases[] = {{"4", app::kActViewStyle5, 0x004080},
               {"1", app::kActViewStyle2, 0x000000},
               {"6", app::kActViewStyle1, 0xFFFFFF},
               {"-1", app::kActViewStyle1, 0xFFFFFF},
               {"dark", app::kActViewStyle1, 0xFFFFFF}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    ShownMainWindow window(std::string("[List]\r\nViewStyle=") + c.stored + "\r\n");
    EXPECT_TRUE(window.Form().Actions().IsChecked(c.checked));
    EXPECT_EQ(window.View().Color(), c.background);
    EXPECT_EQ(window.View().ViewImage.ImgUtil.BKColor.Get(), c.background);
    EXPECT_EQ(window.Saved("ViewStyle"), std::to_string(c.checked - app::kActViewStyle1));
  }
}

}  // namespace
}  // namespace tapestrel::testing
