#include "imaging/jpeg_for_screen.h"

#include <cstring>
#include <utility>
#include <vector>

#include "imaging/auto_color.h"
#include "imaging/exif_orientation.h"
#include "imaging/file_bytes.h"
#include "imaging/jpeg_stretch_rows.h"
#include "imaging/ratio_layout.h"
#include "imaging/stretch_bilinear.h"

namespace tapestrel::imaging {
namespace {

// The rows widened to 32 bits (fourth byte 0) into the area, which has the
// picture's size.
void CopyRows(JpegRowReader& reader, TABitmap& canvas, const ScreenRect& area) {
  std::vector<uint8_t> row(size_t{3} * static_cast<size_t>(reader.Width()));
  for (int y = 0; y < reader.Height(); ++y) {
    reader.ReadRow(row.data());
    uint8_t* to = canvas.Row(area.top + y) + size_t{4} * static_cast<size_t>(area.left);
    for (int x = 0; x < reader.Width(); ++x, to += 4) {
      std::memcpy(to, &row[size_t{3} * static_cast<size_t>(x)], 3);
      to[3] = 0;
    }
  }
}

}  // namespace

JpegHeader ReadJpegFileShownSize(const std::string& path, bool exifOrientation) {
  const std::vector<uint8_t> jpeg = ReadFileBytes(path);
  JpegHeader header = ReadJpegHeader(jpeg);
  if (exifOrientation && SwapsAxes(ReadExifOrientation(jpeg))) std::swap(header.width, header.height);
  return header;
}

void DrawJpegFileForScreen(const std::string& path, TABitmap& canvas, const ScreenRect& area, ScreenFit fit,
                           int anchor, std::optional<ColorValue> blank, bool exifOrientation) {
  const std::vector<uint8_t> jpeg = ReadFileBytes(path);
  const bool turned = exifOrientation && ReadExifOrientation(jpeg) != ExifOrientation::AsStored;
  if (turned || (fit != ScreenFit::Ratio && fit != ScreenFit::Stretch)) {
    JpegDecodeOptions options;
    options.exifOrientation = exifOrientation;
    const Bitmap picture = DecodeJpeg(jpeg, options);
    DrawForScreen(picture, canvas, area, fit, anchor, blank ? *blank : AutoBlankColor(picture));
    return;
  }
  JpegRowReader reader(jpeg);
  if (reader.Width() == area.width && reader.Height() == area.height) return CopyRows(reader, canvas, area);
  if (fit == ScreenFit::Ratio &&
      DrawRatioExpansion(reader, canvas, {area.left, area.top, area.width, area.height}, anchor, blank))
    return;
  JpegStretchRows rows(reader, nullptr);
  StretchBilinear(reader.Width(), reader.Height(), area.width, 0, 0, area.left, area.top, area.height, rows,
                  canvas);
  rows.ReadToEnd();
}

}  // namespace tapestrel::imaging
