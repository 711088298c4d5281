#include "imaging/exif_orientation.h"

#include <cstring>

namespace tapestrel::imaging {
namespace {

constexpr uint8_t kMarkerStart = 0xFF;
constexpr uint8_t kStartOfScan = 0xDA, kEndOfImage = 0xD9, kApp1 = 0xE1;
constexpr uint16_t kOrientationTag = 0x0112, kShortType = 3;
constexpr size_t kEntrySize = 12;

class TiffReader {
 public:
  explicit TiffReader(std::span<const uint8_t> tiff, bool bigEndian) : tiff_(tiff), bigEndian_(bigEndian) {}
  // Callers check `at + 2` or `at + 4` against Size() first.
  uint16_t U16(size_t at) const {
    const uint8_t* p = tiff_.data() + at;
    return static_cast<uint16_t>(bigEndian_ ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
  }
  uint32_t U32(size_t at) const {
    const uint32_t a = U16(at), b = U16(at + 2);
    return bigEndian_ ? a << 16 | b : b << 16 | a;
  }
  size_t Size() const { return tiff_.size(); }

 private:
  std::span<const uint8_t> tiff_;
  bool bigEndian_;
};

}  // namespace

ExifOrientation ExifOrientationOfTiff(std::span<const uint8_t> tiff) {
  constexpr ExifOrientation kNone = ExifOrientation::AsStored;
  if (tiff.size() < 8) return kNone;
  const bool little = tiff[0] == 'I' && tiff[1] == 'I', big = tiff[0] == 'M' && tiff[1] == 'M';
  if (!little && !big) return kNone;
  const TiffReader r(tiff, big);
  if (r.U16(2) != 42) return kNone;
  // Only the first directory is read: the tag lives there, and no link to a
  // further directory is followed, so a chain that loops back is harmless.
  const uint32_t directory = r.U32(4);
  if (directory < 8 || directory > r.Size() - 2) return kNone;
  const size_t count = r.U16(directory);
  const size_t first = size_t{directory} + 2;
  if (count > (r.Size() - first) / kEntrySize) return kNone;  // entries past the block
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = first + i * kEntrySize;
    if (r.U16(entry) != kOrientationTag) continue;
    if (r.U16(entry + 2) != kShortType || r.U32(entry + 4) != 1) return kNone;
    const uint16_t value = r.U16(entry + 8);  // a single short sits at the value's start
    return value >= 1 && value <= 8 ? static_cast<ExifOrientation>(value) : kNone;
  }
  return kNone;
}

ExifOrientation ReadExifOrientation(std::span<const uint8_t> jpeg) {
  constexpr ExifOrientation kNone = ExifOrientation::AsStored;
  if (jpeg.size() < 4 || jpeg[0] != kMarkerStart || jpeg[1] != 0xD8) return kNone;
  // Every step moves forward by at least one byte, so the walk ends.
  size_t at = 2;
  while (at + 4 <= jpeg.size()) {
    if (jpeg[at] != kMarkerStart) return kNone;
    const uint8_t marker = jpeg[at + 1];
    if (marker == kMarkerStart) {  // fill byte before a marker
      ++at;
      continue;
    }
    if (marker == kStartOfScan || marker == kEndOfImage) return kNone;
    const size_t length = size_t{jpeg[at + 2]} << 8 | jpeg[at + 3];  // counts its own two bytes
    if (length < 2 || length > jpeg.size() - at - 2) return kNone;
    const std::span<const uint8_t> payload = jpeg.subspan(at + 4, length - 2);
    static constexpr char kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (marker == kApp1 && payload.size() >= sizeof kExif && std::memcmp(payload.data(), kExif, 6) == 0)
      return ExifOrientationOfTiff(payload.subspan(sizeof kExif));
    at += 2 + length;
  }
  return kNone;
}

}  // namespace tapestrel::imaging
