// The orientation a camera records in a JPEG's Exif block: which way up the
// stored rows are to be shown. Read from outside files, so the reader trusts
// nothing: every offset and count is checked against the block, nothing is
// followed twice, and whatever cannot be read means "as stored".
#pragma once

#include <cstdint>
#include <span>

namespace tapestrel::imaging {

// The eight values of the tag, as the Exif standard numbers them, named by
// what showing the stored picture takes.
enum class ExifOrientation : uint8_t {
  AsStored = 1,
  MirrorLeftRight = 2,
  TurnHalf = 3,
  MirrorTopBottom = 4,
  Transpose = 5,  // mirror left-right, then turn a quarter anticlockwise
  TurnClockwise = 6,
  Transverse = 7,  // mirror left-right, then turn a quarter clockwise
  TurnAnticlockwise = 8,
};

// True for the four orientations that swap width and height.
inline bool SwapsAxes(ExifOrientation o) { return o >= ExifOrientation::Transpose; }

// The orientation tag of the first Exif block (APP1 "Exif") found before the
// picture data; AsStored when there is none, or the file or block is damaged.
ExifOrientation ReadExifOrientation(std::span<const uint8_t> jpeg);

// The same from the Exif block's TIFF data (what follows "Exif\0\0").
ExifOrientation ExifOrientationOfTiff(std::span<const uint8_t> tiff);

}  // namespace tapestrel::imaging
