#include "app/view_options.h"

#include <gtest/gtest.h>

namespace tapestrel::app {
namespace {

bool operator==(const TileLayout& a, const TileLayout& b) {
  return a.showCaptions == b.showCaptions && a.rightBlankSpace == b.rightBlankSpace &&
         a.iconSpacingY == b.iconSpacingY;
}

TEST(TileLayoutForMode, OnlyTheTileModeEntersAndOnlyLeavingItRestores) {
  for (int mode = 0; mode < kViewModeCount; ++mode) {
    for (bool on : {false, true}) {
      const std::optional<TileLayout> layout = TileLayoutForMode(on, mode);
      if (mode == kTileViewMode) {
        EXPECT_TRUE(layout && *layout == kTileLayoutOn) << mode;
      } else if (on) {
        EXPECT_TRUE(layout && *layout == kTileLayoutOff) << mode;  // 1 -> 2 restores
      } else {
        EXPECT_FALSE(layout) << mode;  // 0 -> 2 leaves the view alone
      }
    }
  }
  EXPECT_TRUE(kViewModes[kTileViewMode].tileLayout);
}

TEST(NextSortOrder, SameKeyReversesAnotherKeySortsAscending) {
  SortOrder order;  // by name, ascending
  const struct {
    int chosen;
    SortOrder expected;
  } steps[] = {{1, {1, false}}, {1, {1, true}}, {1, {1, false}}, {1, {1, true}},
               {0, {0, false}}, {0, {0, true}}, {3, {3, false}}, {2, {2, false}}};
  for (const auto& step : steps) {
    order = NextSortOrder(order, step.chosen);
    EXPECT_EQ(order.kind, step.expected.kind);
    EXPECT_EQ(order.descending, step.expected.descending) << "after choosing " << step.chosen;
  }
}

TEST(TileText, InAGreyThatShowsOnEveryStyle) {
  const imaging::ColorValue grey = imaging::MakeColor(0x80, 0x80, 0x80);
  const imaging::ColorValue light = imaging::MakeColor(0xC0, 0xC0, 0xC0);
  const struct {
    imaging::ColorValue background, expected;
  } cases[] = {
      {kWhite, grey},
      {kBlack, grey},
      {imaging::MakeColor(0xC0, 0xC0, 0xC0), grey},  // the classic button face
      {imaging::MakeColor(0xFF, 0xFF, 0xE1), grey},  // a tooltip yellow
      {kViewStyles[4].background, light},            // brown: as dark as the grey
      {kViewStyles[5].background, light},            // the grey itself
      {imaging::MakeColor(0x40, 0x40, 0x40), grey},
      {imaging::MakeColor(0x50, 0x50, 0x50), light},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TileDetailColor(c.background), c.expected) << std::hex << c.background;
}

}  // namespace
}  // namespace tapestrel::app
