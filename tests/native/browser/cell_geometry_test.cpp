// Cell sizes, decoration and image placement for the main window's cells and
// for a cell with every decoration.
#include "browser/cell_geometry.h"

#include <gtest/gtest.h>

namespace tapestrel::browser {
namespace {

void MainWindowCells(TViewImage& o) {
  o.ImageWidth = 120;
  o.ImageHeight = 90;
  o.Frame.Color = kClInactiveBorder;
  o.Frame.Width = 1;
  o.SelectFrame.Color = kClHighlight;
  o.SelectFrame.Width = 3;
}

bool Inside(const CellRect& inner, const CellRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom && inner.left < inner.right && inner.top < inner.bottom;
}

bool Overlaps(const CellRect& a, const CellRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(CellGeometry, MainWindowCells) {
  TViewImage o;
  MainWindowCells(o);
  EXPECT_EQ(CellMargin(o), 3);
  EXPECT_EQ(CellSizeOf(o), (CellSize{126, 96}));
  EXPECT_EQ(PlaceholderSize(o, true), (CellSize{110, 92}));
  EXPECT_EQ(PlaceholderSize(o, false), (CellSize{126, 96}));
  EXPECT_EQ(ReportFirstColumnMinWidth(o), 127);

  const CellRect cell{10, 20, 136, 116};
  // Not selected: the thin frame inside the band of the wide one.
  EXPECT_EQ(CellDecoration(o, cell, false), (std::vector<CellFill>{{{12, 22, 13, 114}, kClInactiveBorder},
                                                                   {{12, 113, 134, 114}, kClInactiveBorder},
                                                                   {{133, 22, 134, 114}, kClInactiveBorder},
                                                                   {{12, 22, 134, 23}, kClInactiveBorder}}));
  EXPECT_EQ(CellDecoration(o, cell, true), (std::vector<CellFill>{{{10, 20, 13, 116}, kClHighlight},
                                                                  {{10, 113, 136, 116}, kClHighlight},
                                                                  {{133, 20, 136, 116}, kClHighlight},
                                                                  {{10, 20, 136, 23}, kClHighlight}}));
  EXPECT_EQ(PlaceImage(o, cell, 120, 90).target, (CellRect{13, 23, 133, 113}));
}

TEST(CellGeometry, SingleBorderAndBothBevels) {
  TViewImage o;
  MainWindowCells(o);
  o.BorderStyle = TBorderStyle::bsSingle;
  o.BevelOuter = TBevelCut::bvRaised;
  o.BevelInner = TBevelCut::bvLowered;
  EXPECT_EQ(CellMargin(o), 7);
  EXPECT_EQ(CellSizeOf(o), (CellSize{134, 104}));
  EXPECT_EQ(PlaceholderSize(o, true), (CellSize{118, 100}));

  const CellRect cell{0, 0, 134, 104};
  const CellRect box = PlaceImage(o, cell, 120, 90).target;
  EXPECT_EQ(box, (CellRect{7, 7, 127, 97}));
  for (bool selected : {false, true}) {
    const std::vector<CellFill> fills = CellDecoration(o, cell, selected);
    ASSERT_EQ(fills.size(), 20u);
    for (const CellFill& f : fills) {
      EXPECT_TRUE(Inside(f.rect, cell)) << f.rect.left << "," << f.rect.top;
      EXPECT_FALSE(Overlaps(f.rect, box)) << f.rect.left << "," << f.rect.top;
    }
    // Border: shadow and white outside, dark shadow and light inside it.
    EXPECT_EQ(fills[4], (CellFill{{3, 3, 130, 4}, kClBtnShadow}));
    EXPECT_EQ(fills[6], (CellFill{{130, 3, 131, 101}, kClWhite}));
    EXPECT_EQ(fills[8], (CellFill{{4, 4, 129, 5}, kCl3DDkShadow}));
    EXPECT_EQ(fills[11], (CellFill{{4, 99, 130, 100}, kCl3DLight}));
    // Raised outer bevel lit top-left, lowered inner bevel shaded top-left.
    EXPECT_EQ(fills[12], (CellFill{{5, 5, 128, 6}, kClBtnHighlight}));
    EXPECT_EQ(fills[14], (CellFill{{128, 5, 129, 99}, kClBtnShadow}));
    EXPECT_EQ(fills[16], (CellFill{{6, 6, 127, 7}, kClBtnShadow}));
    EXPECT_EQ(fills[19], (CellFill{{6, 97, 128, 98}, kClBtnHighlight}));
  }
}

TEST(CellGeometry, HiddenFramesAndBlankSpace) {
  TViewImage o;
  o.Frame.Visible = false;
  o.SelectFrame.Visible = false;
  o.BlankSpace.Left = 5;
  o.BlankSpace.Right = 128;
  o.BlankSpace.Top = 2;
  EXPECT_EQ(CellMargin(o), 0);
  EXPECT_EQ(CellSizeOf(o), (CellSize{94 + 133, 96}));
  EXPECT_TRUE(CellDecoration(o, {0, 0, 227, 96}, true).empty());
  EXPECT_EQ(PlaceImage(o, {0, 0, 227, 96}, 94, 94).target, (CellRect{5, 2, 99, 96}));
}

TEST(CellGeometry, ImagesAreCentredWhenSmallerAndClippedWhenLarger) {
  TViewImage o;
  MainWindowCells(o);
  const CellRect cell{0, 0, 126, 96};
  const ImagePlacement small = PlaceImage(o, cell, 60, 40);
  EXPECT_EQ(small.target, (CellRect{33, 28, 93, 68}));  // offsets 30 and 25 in the box
  const ImagePlacement odd = PlaceImage(o, cell, 33, 33);
  EXPECT_EQ(odd.target.left, 3 + 43);
  const ImagePlacement large = PlaceImage(o, cell, 200, 100);
  EXPECT_EQ(large.target, (CellRect{3, 3, 123, 93}));
  EXPECT_EQ(large.sourceX, 40);
  EXPECT_EQ(large.sourceY, 5);
}

}  // namespace
}  // namespace tapestrel::browser
