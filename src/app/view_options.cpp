#include "app/view_options.h"

namespace tapestrel::app {
namespace {

// Gaps of the tile texts around the thumbnail.
constexpr int kTileTextGapLeft = 8;
constexpr int kTileTextGapRight = 22;
constexpr int kTileTextGapTop = 16;

constexpr imaging::ColorValue kTileGrey = imaging::MakeColor(0x80, 0x80, 0x80);
constexpr imaging::ColorValue kTileLightGrey = imaging::MakeColor(0xC0, 0xC0, 0xC0);

}  // namespace

std::optional<TileLayout> TileLayoutForMode(bool tileLayoutOn, int mode) {
  if (mode == kTileViewMode) return kTileLayoutOn;
  // Only a view that was in tile layout gets its captions and spacing back;
  // any other keeps what it has.
  if (tileLayoutOn) return kTileLayoutOff;
  return std::nullopt;
}

TileTextOrigin TileTextPlace(int iconLeft, int iconTop, int iconRight, int thumbnailWidth) {
  return {iconLeft + thumbnailWidth + kTileTextGapLeft, iconRight - kTileTextGapRight,
          iconTop + kTileTextGapTop};
}

imaging::ColorValue TileDetailColour(imaging::ColorValue background) {
  return background == kTileGrey ? kTileLightGrey : kTileGrey;
}

SortOrder NextSortOrder(SortOrder current, int chosenKind) {
  return {chosenKind, current.kind == chosenKind && !current.descending};
}

}  // namespace tapestrel::app
