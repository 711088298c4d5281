// The thumbnail cell: its size from the image box and the decoration around
// it, the fills that draw the decoration, and where the image goes.
#pragma once

#include <vector>

#include "browser/view_options.h"

namespace tapestrel::browser {

struct CellRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const CellRect&, const CellRect&) = default;
};

struct CellSize {
  int width = 0, height = 0;
  friend bool operator==(const CellSize&, const CellSize&) = default;
};

// One rectangle filled with one color (a system color or RGB).
struct CellFill {
  CellRect rect;
  ColorValue color;
  friend bool operator==(const CellFill&, const CellFill&) = default;
};

// The wider of the visible frames, 0 when none is visible.
int LargerFrameWidth(const TViewImage& options);
// The decoration's width on each side: the wider visible frame, 2 for a
// single border, 1 for each bevel.
int CellMargin(const TViewImage& options);
// Blank space, decoration and image box.
CellSize CellSizeOf(const TViewImage& options);
// The list view's placeholder images: the cell, or in icon style 16 narrower
// and 4 lower, which the list view's own padding around icons makes up.
CellSize PlaceholderSize(const TViewImage& options, bool iconStyle);
// In report style the first column is at least this wide.
int ReportFirstColumnMinWidth(const TViewImage& options);

// The fills that draw the frame, border and bevels of a cell, in order.
std::vector<CellFill> CellDecoration(const TViewImage& options, const CellRect& cell, bool selected);

// Where an image of the given size is drawn in the cell: at the image offset,
// centred in the image box when smaller, clipped to it when larger.
struct ImagePlacement {
  CellRect target;  // on the cell
  int sourceX = 0, sourceY = 0;
};
ImagePlacement PlaceImage(const TViewImage& options, const CellRect& cell, int imageWidth, int imageHeight);

}  // namespace tapestrel::browser
