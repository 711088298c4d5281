// The view modes through the real main window: what each menu command sets
// on the list view and the thumbnail view, the tile layout, the tile texts,
// and the mode stored in and taken from "Tapestrel.ini".
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/view_options.h"
#include "view_on_screen.h"

namespace tapestrel::testing {
namespace {

using browser::TIconStyle;

struct ModeCase {
  UINT action;
  DWORD listStyle;
  TIconStyle iconStyle;
  bool bigIcon;
  const char* stored;
};

TEST(ViewModes, EachMenuCommandSetsTheListViewAndIsSaved) {
  ShownMainWindow window;
  const ModeCase cases[] = {
      {app::kActCustom, LVS_ICON, TIconStyle::iisImage, true, "1"},
      {app::kActIcon, LVS_ICON, TIconStyle::iisIcon, false, "2"},
      {app::kActSmallIcon, LVS_SMALLICON, TIconStyle::iisSmallIcon, false, "3"},
      {app::kActList, LVS_LIST, TIconStyle::iisSmallIcon, false, "4"},
      {app::kActReport, LVS_REPORT, TIconStyle::iisSmallIcon, false, "5"},
      {app::kActImage, LVS_ICON, TIconStyle::iisImage, false, "0"},
  };
  for (const ModeCase& c : cases) {
    SCOPED_TRACE(c.stored);
    window.Command(c.action);
    EXPECT_EQ(GetWindowLongPtrW(window.List(), GWL_STYLE) & LVS_TYPEMASK, static_cast<LONG_PTR>(c.listStyle));
    EXPECT_EQ(window.View().IconStyle(), c.iconStyle);
    EXPECT_EQ(window.View().ViewImage.BigIcon.Get(), c.bigIcon);
    EXPECT_TRUE(window.Form().Actions().IsChecked(c.action));
    EXPECT_EQ(window.View().ImgItems().Count(), 2);  // the folder is still shown
    EXPECT_EQ(window.Saved("ViewMode"), c.stored);
  }
}

TEST(ViewModes, OnlyTheTileModeEntersTheTileLayoutAndOnlyLeavingItRestores) {
  struct Case {
    UINT from, to;
    bool captions;
    int blankRight, spacingY;
  };
  // Before each case the view has options of its own: captions off, blank
  // space 7, spacing 9, so that "left alone" shows.
  const Case cases[] = {
      {app::kActCustom, app::kActIcon, true, 0, 32},  // leaving tiles restores
      {app::kActCustom, app::kActReport, true, 0, 32},
      {app::kActImage, app::kActIcon, false, 7, 9},  // never in tiles: left alone
      {app::kActIcon, app::kActCustom, false, 128, 4},
      {app::kActCustom, app::kActCustom, false, 128, 4},
  };
  ShownMainWindow window;
  browser::TImgListView& view = window.View();
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.from << " -> " << c.to);
    window.Command(c.from);
    if (c.from != app::kActCustom) {
      view.View.ShowCaptions = false;
      view.ViewImage.BlankSpace.Right = 7;
      view.View.IconSpacing.Y = 9;
    }
    window.Command(c.to);
    EXPECT_EQ(view.View.ShowCaptions.Get(), c.captions);
    EXPECT_EQ(view.ViewImage.BlankSpace.Right.Get(), c.blankRight);
    EXPECT_EQ(view.View.IconSpacing.Y.Get(), c.spacingY);
    if (c.to == app::kActCustom || c.to == app::kActImage) {
      // The list view itself lays the cells out so.
      EXPECT_EQ(HIWORD(ListView_GetItemSpacing(window.List(), FALSE)),
                view.CellSizeNow().height + c.spacingY);
    }
  }
}

TEST(ViewModes, StoredModeSelectsItsCommandAndAnyOtherSelectsTheThumbnails) {
  const struct {
    const char* stored;
    UINT checked;
    DWORD listStyle;
  } cases[] = {{"5", app::kActReport, LVS_REPORT},
               {"1", app::kActCustom, LVS_ICON},
               {"6", app::kActImage, LVS_ICON},
               {"-2", app::kActImage, LVS_ICON},
               {"list", app::kActImage, LVS_ICON}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    ShownMainWindow window(std::string("[List]\r\nViewMode=") + c.stored + "\r\n");
    EXPECT_TRUE(window.Form().Actions().IsChecked(c.checked));
    EXPECT_EQ(GetWindowLongPtrW(window.List(), GWL_STYLE) & LVS_TYPEMASK, static_cast<LONG_PTR>(c.listStyle));
    EXPECT_EQ(window.View().View.ShowCaptions.Get(), c.checked != app::kActCustom);
  }
}

// Where the list view puts the two items and at what step, as it reports it.
std::string Layout(ShownMainWindow& window) {
  const DWORD step = static_cast<DWORD>(ListView_GetItemSpacing(window.List(), FALSE));
  std::ostringstream out;
  out << "step " << LOWORD(step) << "x" << HIWORD(step);
  for (int i = 0; i < 2; ++i) {
    RECT r{LVIR_BOUNDS};
    SendMessageW(window.List(), LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    const RECT icon = window.IconRect(i);
    out << "; item " << i << " " << r.left << "," << r.top << "-" << r.right << "," << r.bottom << " icon "
        << icon.left << "," << icon.top << "-" << icon.right << "," << icon.bottom;
  }
  return out.str();
}

TEST(ViewModes, EverySwitchLaysTheItemsOutAsAFreshStartInThatModeDoes) {
  const UINT actions[] = {app::kActImage,     app::kActCustom, app::kActIcon,
                          app::kActSmallIcon, app::kActList,   app::kActReport};
  std::string fresh[app::kViewModeCount];
  for (int mode = 0; mode < app::kViewModeCount; ++mode) {
    ShownMainWindow window("[List]\r\nViewMode=" + std::to_string(mode) + "\r\n");
    fresh[mode] = Layout(window);
  }
  // The thumbnail cells step past the 120-pixel pictures.
  EXPECT_NE(fresh[0].find("step 141x"), std::string::npos) << fresh[0];
  ShownMainWindow window;
  for (int from = 0; from < app::kViewModeCount; ++from) {
    for (int to = 0; to < app::kViewModeCount; ++to) {
      if (to == from) continue;
      window.Command(actions[from]);
      window.Command(actions[to]);
      EXPECT_EQ(Layout(window), fresh[to]) << "mode " << from << " -> " << to;
    }
  }
}

// The tile texts: the bold name in the view's text color, then the type
// and the size in grey, right of the thumbnail.
TEST(ViewModes, TilesShowNameTypeAndSizeBesideTheThumbnailInEveryStyle) {
  ShownMainWindow window;
  for (int style = 0; style < app::kViewStyleCount; ++style) {
    SCOPED_TRACE(style);
    const app::ViewStyleDefinition& definition = app::kViewStyles[static_cast<size_t>(style)];
    window.Command(app::kActViewStyle1 + static_cast<UINT>(style));
    const COLORREF text = ResolvedColor(definition.text);
    const COLORREF grey = ResolvedColor(app::TileDetailColor(ResolvedColor(definition.background)));
    ASSERT_NE(grey, ResolvedColor(definition.background));

    const auto line = [&](const RECT& icon, int n) {
      const app::TileTextOrigin at = app::TileTextPlace(icon.left, icon.top, icon.right, 120);
      return RECT{at.left, at.top + n * app::kTileLineHeight, at.right,
                  at.top + (n + 1) * app::kTileLineHeight};
    };
    window.Command(app::kActCustom);
    const RECT icon = window.IconRect(0);
    const WindowPixels pixels(window.List());
    EXPECT_GT(pixels.Count(line(icon, 0), text), 10) << "name";
    EXPECT_GT(pixels.Count(line(icon, 1), grey, 8), 10) << "type";
    EXPECT_GT(pixels.Count(line(icon, 2), grey, 8), 10) << "size";
    EXPECT_EQ(pixels.Count(line(icon, 3), grey, 8), 0) << "three lines only";
    // A long name is cut inside its own tile.
    const RECT longName = line(window.IconRect(1), 0), tile = window.Cell(1);
    EXPECT_GT(pixels.Count({tile.right - 24, longName.top, tile.right - 6, longName.bottom}, text), 0);
    EXPECT_EQ(pixels.Count({tile.right, longName.top, tile.right + 15, longName.bottom}, text), 0);
  }
}

}  // namespace
}  // namespace tapestrel::testing
