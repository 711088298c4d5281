// A JPEG's rows handed to the bilinear filter as they are decoded, so that a
// picture is drawn without ever being held whole.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/auto_color.h"
#include "imaging/jpeg_file.h"
#include "imaging/stretch_bilinear.h"

namespace tapestrel::imaging {

// The last two rows decoded are kept, for the filter; on the way, the edges
// for the automatic color are gathered when `edges` is given.
class JpegStretchRows : public StretchSourceRows {
 public:
  JpegStretchRows(JpegRowReader& reader, PictureEdges* edges);
  int Width() const override { return reader_.Width(); }
  int Height() const override { return reader_.Height(); }
  int BytesPerPixel() const override { return 3; }
  Pair Rows(int y, int) override;
  // Decodes the rows the drawing did not reach: a file that fails to decode
  // then fails here as it would decoded whole.
  void ReadToEnd();

 private:
  // Lets the filter load the last pixel pair of a row as 8 bytes.
  static constexpr size_t kSlack = 8;

  uint8_t* Slot(int y) { return ring_.data() + static_cast<size_t>(y & 1) * pitch_; }
  void ReadNext();

  JpegRowReader& reader_;
  PictureEdges* edges_;
  size_t pitch_;
  std::vector<uint8_t> ring_;
};

}  // namespace tapestrel::imaging
