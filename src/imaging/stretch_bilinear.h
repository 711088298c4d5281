// Bilinear stretching of a rectangle of one bitmap into a rectangle of a
// 32-bit one, in 8-bit fixed point. The arithmetic is fixed to the last bit:
// steps are (size x 255) / size, so equal sizes give a slightly shrunk
// resampling rather than a copy; clipping works in 16-bit fixed point with a
// 65535-based scale.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/tabitmap.h"

namespace tapestrel::imaging {

// One channel of a bilinear blend of a (top left), b (top right), c (bottom
// left) and d (bottom right), with fractions fx, fy of 256 (0..255), rounded down.
uint8_t InterpolateChannel(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t fx, uint32_t fy);

// Clips the source rectangle (srcX, srcY, srcW, srcH) and the destination
// rectangle (dstX, dstY, dstW, dstH) against a SW x SH source and a DW x DH
// destination, adjusting all eight in place. False when nothing is left to draw.
bool ClipStretchRect(double& srcX, double& srcY, int& srcW, int& srcH, double& dstX, double& dstY, int& dstW,
                     int& dstH, int SW, int SH, int DW, int DH);

// Scales the source rectangle onto the destination rectangle of `dest`; the
// rest of `dest` is untouched. Empty rectangles draw nothing. Neighbours past
// the source's right or bottom edge repeat the edge pixel.
void StretchBilinear(int srcW, int srcH, int dstW, double srcX, double srcY, double dstX, double dstY,
                     int dstH, const TABitmap& source, TABitmap& dest);
// The same from a picture of any format, read as if widened to 32 bits first
// (fourth byte 0 unless it has one). 24 and 32-bit pictures are read in place.
void StretchBilinear(int srcW, int srcH, int dstW, double srcX, double srcY, double dstX, double dstY,
                     int dstH, const Bitmap& source, TABitmap& dest);

// A source picture's rows as the filter asks for them: a row and the one
// below it (the row itself at the bottom edge), never a row above the one of
// the call before, so that a decoder can hand rows over as it produces them.
class StretchSourceRows {
 public:
  struct Pair {
    const uint8_t* upper;
    const uint8_t* lower;
    size_t lowerRoom;           // bytes that may be read from `lower` on: at least the row
    const uint8_t* aheadUpper;  // worth fetching ahead for the next call (may be these rows)
    const uint8_t* aheadLower;
  };
  virtual ~StretchSourceRows() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // 4, or 3 for blue, green, red read as if widened with a fourth byte of 0.
  virtual int BytesPerPixel() const = 0;
  // Row y and the one below it; `next` is the y of the call to follow.
  virtual Pair Rows(int y, int next) = 0;
  // True when Rows may be asked in any order and from several threads at
  // once (a whole picture in memory): the filter then shares large pictures
  // out among the processors.
  virtual bool AnyOrder() const { return false; }
};
void StretchBilinear(int srcW, int srcH, int dstW, double srcX, double srcY, double dstX, double dstY,
                     int dstH, StretchSourceRows& source, TABitmap& dest);

namespace detail {
// Makes the filter use its portable row code instead of the SSE2 one, so that
// tests can hold both to the same results.
void ForceScalarStretchRows(bool on);
}  // namespace detail

}  // namespace tapestrel::imaging
