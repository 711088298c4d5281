// JPEG pictures through libjpeg: decoding to 24-bit bitmaps (grey, RGB, CMYK
// and YCCK, baseline or progressive), at full size or DCT-scaled by 1/2, 1/4
// or 1/8, and encoding at quality 90, baseline. Every libjpeg error becomes an
// ImageError; a corrupt or truncated file never ends the process.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/stop_request.h"

namespace tapestrel::imaging {

enum class JpegMode {
  BestQuality,  // accurate DCT, smooth upsampling: the wallpaper
  BestSpeed,    // fast DCT, plain upsampling: thumbnails
};

struct JpegHeader {
  int width = 0;
  int height = 0;
  int components = 0;
};

struct JpegDecodeOptions {
  JpegMode mode = JpegMode::BestQuality;
  // Output size is the picture's divided by this (rounded up): 1, 2, 4 or 8.
  int scaleDenominator = 1;
  // When set, called with the picture's own size once the header is read; its
  // answer replaces scaleDenominator.
  std::function<int(int width, int height)> chooseScale;
  // Output pixels, and libjpeg's own working memory, above this are refused.
  size_t maxBytes = Bitmap::kMaxPixelBytes;
  // DecodeJpeg only: the picture turned as its Exif orientation says, before
  // anything else sees it; chooseScale and the header then get the turned
  // size. The row reader always gives the rows as stored.
  bool exifOrientation = false;
  // Looked at as libjpeg reads and gives out rows: a decode asked to stop
  // throws PictureStopped.
  StopRequest stop;
};

// Only the header; throws ImageError when it cannot be read.
JpegHeader ReadJpegHeader(std::span<const uint8_t> data);

// A JPEG decoded one row at a time, top to bottom, into the rows DecodeJpeg
// would give, holding only libjpeg's own working memory: for work that uses
// each row as it comes. `data` must outlive the reader. Every failure is an
// ImageError, from the constructor or from the row that meets it.
class JpegRowReader {
 public:
  // Reads the header and starts decoding.
  explicit JpegRowReader(std::span<const uint8_t> data, const JpegDecodeOptions& options = {});
  ~JpegRowReader();
  JpegRowReader(const JpegRowReader&) = delete;
  JpegRowReader& operator=(const JpegRowReader&) = delete;

  // The size of the rows given (after scaling).
  int Width() const;
  int Height() const;
  // The picture's own size.
  const JpegHeader& Header() const;
  int RowsRead() const;
  // The next row, Width() pixels of blue, green, red, into `row`.
  void ReadRow(uint8_t* row);
  // The rows not read yet as a 24-bit bitmap: the whole picture, before any
  // row was read.
  Bitmap ReadRemainingRows();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A 24-bit bitmap. `header`, when given, receives the picture's own size
// (turned, when the options turn it).
Bitmap DecodeJpeg(std::span<const uint8_t> data, const JpegDecodeOptions& options = {},
                  JpegHeader* header = nullptr);
Bitmap DecodeJpegFile(const std::string& path, const JpegDecodeOptions& options = {},
                      JpegHeader* header = nullptr);

inline constexpr int kJpegQuality = 90;

// Baseline JFIF at the given quality; any pixel format is widened to 24 bits first.
std::vector<uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality = kJpegQuality);
void EncodeJpegFile(const std::string& path, const Bitmap& bitmap, int quality = kJpegQuality);

}  // namespace tapestrel::imaging
