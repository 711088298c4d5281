// What the main window's view commands set on the thumbnail view: the six
// view modes, the six color styles and the sort order. The numbers are the
// ones "Tapestrel.ini" stores in section "List".
#pragma once

#include <array>
#include <optional>

#include "imaging/color_value.h"
#include "platform/dpi_scale.h"

namespace tapestrel::app {

// The list view's own styles.
enum class ListViewStyle { Icon, SmallIcon, List, Report };
// How an item is drawn: system large icon, system small icon, or thumbnail.
enum class ItemIconStyle { Icon, SmallIcon, Image };

struct ViewModeDefinition {
  const char* actionName;  // the action that selects it
  ListViewStyle viewStyle;
  ItemIconStyle iconStyle;
  bool bigIcon;     // icons of files without a thumbnail enlarged to 48 x 48 in their cell
  bool tileLayout;  // captions beside the thumbnail instead of below it
};

constexpr int kViewModeCount = 6;
constexpr int kTileViewMode = 1;
constexpr std::array<ViewModeDefinition, kViewModeCount> kViewModes{{
    {"Image", ListViewStyle::Icon, ItemIconStyle::Image, false, false},
    {"Custom", ListViewStyle::Icon, ItemIconStyle::Image, true, true},
    {"Icon", ListViewStyle::Icon, ItemIconStyle::Icon, false, false},
    {"SmallIcon", ListViewStyle::SmallIcon, ItemIconStyle::SmallIcon, false, false},
    {"List", ListViewStyle::List, ItemIconStyle::SmallIcon, false, false},
    {"Report", ListViewStyle::Report, ItemIconStyle::SmallIcon, false, false},
}};

// The view's options that the tile layout changes.
struct TileLayout {
  bool showCaptions;
  int rightBlankSpace;  // pixels right of the thumbnail, where the tile's texts go (at 96 dpi)
  int iconSpacingY;     // vertical gap between cells
};
constexpr TileLayout kTileLayoutOn{false, 128, 4};
constexpr TileLayout kTileLayoutOff{true, 0, 32};

// The layout to set when view mode `mode` is chosen while the tile layout is
// `tileLayoutOn`; nothing when the view keeps its options as they are.
std::optional<TileLayout> TileLayoutForMode(bool tileLayoutOn, int mode);

// Where the tile texts go, from the item's icon rectangle: the name (bold),
// then the type and, for files, the size, one line further down each. The
// gaps and the line height (at 96 dpi) grow with the view's scale; the
// thumbnail keeps its pixels.
struct TileTextOrigin {
  int left, right, top;
};
constexpr int kTileLineHeight = 16;
TileTextOrigin TileTextPlace(int iconLeft, int iconTop, int iconRight, int thumbnailWidth,
                             int dpi = platform::kDefaultDpi);
// The grey of the tile's second and third lines; a light grey instead on a
// background (RGB, system colors resolved) about as bright as the grey.
imaging::ColorValue TileDetailColor(imaging::ColorValue background);

enum class Bevel { None, Lowered, Raised };

struct ViewStyleDefinition {
  imaging::ColorValue background;  // the view's color and the thumbnails' background
  imaging::ColorValue text;        // the view's font color and the thumbnails' texts
  bool frameVisible;
  bool singleBorder;
  Bevel innerBevel;
  Bevel outerBevel;
  imaging::ColorValue frameColor;
  imaging::ColorValue selectFrameColor;
  int frameWidth;
};

// Windows' system colors, as the color values store them.
constexpr imaging::ColorValue SystemColor(int index) {
  return imaging::kSystemColorFlag | static_cast<imaging::ColorValue>(index);
}
constexpr imaging::ColorValue kInactiveBorderColor = SystemColor(11);
constexpr imaging::ColorValue kHighlightColor = SystemColor(13);
constexpr imaging::ColorValue kButtonFaceColor = SystemColor(15);
constexpr imaging::ColorValue kTooltipBackgroundColor = SystemColor(24);

constexpr imaging::ColorValue kWhite = imaging::MakeColor(0xFF, 0xFF, 0xFF);
constexpr imaging::ColorValue kBlack = imaging::MakeColor(0, 0, 0);

constexpr int kViewStyleCount = 6;
constexpr std::array<ViewStyleDefinition, kViewStyleCount> kViewStyles{{
    {kWhite, kBlack, true, false, Bevel::None, Bevel::None, kInactiveBorderColor, kHighlightColor, 1},
    {kBlack, kWhite, true, false, Bevel::None, Bevel::None, kInactiveBorderColor, kHighlightColor, 1},
    {kButtonFaceColor, kBlack, false, true, Bevel::None, Bevel::None, kInactiveBorderColor,
     kHighlightColor, 1},
    {kTooltipBackgroundColor, kBlack, true, false, Bevel::Lowered, Bevel::Raised,
     imaging::MakeColor(0xC0, 0xDC, 0xC0), imaging::MakeColor(0xA6, 0xCA, 0xF0), 2},
    {imaging::MakeColor(0x80, 0x40, 0x00), kButtonFaceColor, false, false, Bevel::Raised, Bevel::Lowered,
     kButtonFaceColor, kWhite, 1},
    {imaging::MakeColor(0x80, 0x80, 0x80), kWhite, true, false, Bevel::None, Bevel::None,
     imaging::MakeColor(0xFF, 0xFF, 0xC1), kWhite, 1},
}};

// Sort keys: name 0, size 1, type 2, date 3 ("SortType").
struct SortOrder {
  int kind = 0;
  bool descending = false;
};
// The same key twice reverses the order; another key sorts ascending.
SortOrder NextSortOrder(SortOrder current, int chosenKind);

}  // namespace tapestrel::app
