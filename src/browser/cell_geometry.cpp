#include "browser/cell_geometry.h"

#include <algorithm>

namespace tapestrel::browser {
namespace {

int VisibleWidth(const TFrameStyle& frame) { return frame.Visible ? std::max(0, frame.Width.Get()) : 0; }

CellRect Inset(const CellRect& r, int by) { return {r.left + by, r.top + by, r.right - by, r.bottom - by}; }

// Top and left lines in one color, bottom and right in the other, one pixel
// wide; the bottom-right color takes the two corners it shares.
void AddFrame3D(std::vector<CellFill>& fills, const CellRect& r, ColorValue topLeft, ColorValue bottomRight) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  fills.push_back({{r.left, r.top, r.right - 1, r.top + 1}, topLeft});
  fills.push_back({{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft});
  fills.push_back({{r.right - 1, r.top, r.right, r.bottom}, bottomRight});
  fills.push_back({{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight});
}

void AddBevel(std::vector<CellFill>& fills, CellRect r, TBevelCut cut, int width) {
  const bool lowered = cut == TBevelCut::bvLowered;
  const ColorValue topLeft = lowered ? kClBtnShadow : kClBtnHighlight;
  const ColorValue bottomRight = lowered ? kClBtnHighlight : kClBtnShadow;
  for (int i = 0; i < width; ++i, r = Inset(r, 1)) AddFrame3D(fills, r, topLeft, bottomRight);
}

int BevelCount(const TViewImage& o) {
  return (o.BevelOuter != TBevelCut::bvNone) + (o.BevelInner != TBevelCut::bvNone);
}

}  // namespace

int LargerFrameWidth(const TViewImage& o) {
  return std::max(VisibleWidth(o.Frame), VisibleWidth(o.SelectFrame));
}

int CellMargin(const TViewImage& o) {
  return LargerFrameWidth(o) + (o.BorderStyle == TBorderStyle::bsSingle ? 2 : 0) + BevelCount(o);
}

CellSize CellSizeOf(const TViewImage& o) {
  const int m = CellMargin(o);
  return {o.BlankSpace.Left + o.BlankSpace.Right + 2 * m + o.ImageWidth,
          o.BlankSpace.Top + o.BlankSpace.Bottom + 2 * m + o.ImageHeight};
}

CellSize PlaceholderSize(const TViewImage& o, bool iconStyle) {
  const CellSize cell = CellSizeOf(o);
  if (!iconStyle) return cell;
  return {std::max(1, cell.width - 16), std::max(1, cell.height - 4)};
}

int ReportFirstColumnMinWidth(const TViewImage& o) { return CellMargin(o) + o.ImageWidth + 4; }

std::vector<CellFill> CellDecoration(const TViewImage& o, const CellRect& cell, bool selected) {
  std::vector<CellFill> fills;
  const TFrameStyle& frame = selected ? o.SelectFrame : o.Frame;
  const TFrameStyle& other = selected ? o.Frame : o.SelectFrame;
  if (frame.Visible) {
    // The thinner frame is drawn inside the band the wider one takes.
    const int width = VisibleWidth(frame);
    const CellRect r = Inset(cell, std::max(0, VisibleWidth(other) - width));
    if (width > 0 && r.Width() > 0 && r.Height() > 0) {
      fills.push_back({{r.left, r.top, r.left + width, r.bottom}, frame.Color});
      fills.push_back({{r.left, r.bottom - width, r.right, r.bottom}, frame.Color});
      fills.push_back({{r.right - width, r.top, r.right, r.bottom}, frame.Color});
      fills.push_back({{r.left, r.top, r.right, r.top + width}, frame.Color});
    }
  }
  CellRect r = Inset(cell, LargerFrameWidth(o));
  if (o.BorderStyle == TBorderStyle::bsSingle) {
    AddFrame3D(fills, r, kClBtnShadow, kClWhite);
    AddFrame3D(fills, Inset(r, 1), kCl3DDkShadow, kCl3DLight);
    r = Inset(r, 2);
  }
  const int bevel = std::max(0, o.BevelWidth.Get());
  for (TBevelCut cut : {o.BevelOuter.Get(), o.BevelInner.Get()}) {
    if (cut == TBevelCut::bvNone) continue;
    AddBevel(fills, r, cut, bevel);
    r = Inset(r, bevel);
  }
  return fills;
}

ImagePlacement PlaceImage(const TViewImage& o, const CellRect& cell, int imageWidth, int imageHeight) {
  const int offset = LargerFrameWidth(o) + (o.BorderStyle == TBorderStyle::bsSingle ? 2 : 0) +
                     BevelCount(o) * std::max(0, o.BevelWidth.Get());
  const int boxLeft = cell.left + offset + o.BlankSpace.Left, boxTop = cell.top + offset + o.BlankSpace.Top;
  ImagePlacement p;
  // Centred when smaller (rounding toward zero), clipped to the box when larger.
  const int dx = (o.ImageWidth - imageWidth) / 2, dy = (o.ImageHeight - imageHeight) / 2;
  const int w = std::min(imageWidth, o.ImageWidth.Get()), h = std::min(imageHeight, o.ImageHeight.Get());
  p.sourceX = dx < 0 ? -dx : 0;
  p.sourceY = dy < 0 ? -dy : 0;
  p.target.left = boxLeft + std::max(0, dx);
  p.target.top = boxTop + std::max(0, dy);
  p.target.right = p.target.left + std::max(0, w);
  p.target.bottom = p.target.top + std::max(0, h);
  return p;
}

}  // namespace tapestrel::browser
