#include "app/view_options.h"

#include <cstdlib>

namespace tapestrel::app {
namespace {

// Gaps of the tile texts around the thumbnail.
constexpr int kTileTextGapLeft = 8;
constexpr int kTileTextGapRight = 22;
constexpr int kTileTextGapTop = 16;

constexpr imaging::ColorValue kTileGrey = imaging::MakeColor(0x80, 0x80, 0x80);
constexpr imaging::ColorValue kTileLightGrey = imaging::MakeColor(0xC0, 0xC0, 0xC0);
constexpr int kTileGreyBrightness = 0x80;
// Brightness steps (of 255) the grey must differ from the background by.
constexpr int kTileMinimumContrast = 64;

}  // namespace

std::optional<TileLayout> TileLayoutForMode(bool tileLayoutOn, int mode) {
  if (mode == kTileViewMode) return kTileLayoutOn;
  // Only a view that was in tile layout gets its captions and spacing back;
  // any other keeps what it has.
  if (tileLayoutOn) return kTileLayoutOff;
  return std::nullopt;
}

TileTextOrigin TileTextPlace(int iconLeft, int iconTop, int iconRight, int thumbnailWidth, int dpi) {
  return {iconLeft + thumbnailWidth + platform::ScaleForDpi(kTileTextGapLeft, dpi),
          iconRight - platform::ScaleForDpi(kTileTextGapRight, dpi),
          iconTop + platform::ScaleForDpi(kTileTextGapTop, dpi)};
}

imaging::ColorValue TileDetailColor(imaging::ColorValue background) {
  // Not only on the grey itself: on style 5's brown the grey is as dark as
  // the background and cannot be read either.
  const int brightness = (299 * imaging::RedOf(background) + 587 * imaging::GreenOf(background) +
                          114 * imaging::BlueOf(background)) /
                         1000;
  return std::abs(brightness - kTileGreyBrightness) < kTileMinimumContrast ? kTileLightGrey : kTileGrey;
}

SortOrder NextSortOrder(SortOrder current, int chosenKind) {
  return {chosenKind, current.kind == chosenKind && !current.descending};
}

}  // namespace tapestrel::app
