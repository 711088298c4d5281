#include "imaging/exif_orientation.h"

#include <gtest/gtest.h>

#include <tuple>

#include "common/exif_photo.h"
#include "imaging/jpeg_file.h"
#include "test_images.h"

using namespace tapestrel::imaging;
using tapestrel::testing::OrientationTiff;

TEST(ExifOrientation, ReadInEitherByteOrderAndAsStoredWheneverTheBlockCannotBeTrusted) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(imaging_test::SmoothPicture(8, 8));
  // Byte changes at offsets into the file; its TIFF data starts at 12.
  auto photo = [&](std::vector<uint8_t> tiff, std::vector<std::pair<size_t, uint8_t>> changes = {}) {
    std::vector<uint8_t> file = tapestrel::testing::WithExifBlock(jpeg, tiff);
    for (auto [at, value] : changes) file[at] = value;
    return file;
  };
  using Case = std::tuple<const char*, std::vector<uint8_t>, int>;
  for (const auto& [name, file, expected] : std::vector<Case>{
           {"little-endian", photo(OrientationTiff(6)), 6},
           {"big-endian", photo(OrientationTiff(8, true)), 8},
           {"no Exif block", jpeg, 1},
           {"segment past the end of the file", photo(OrientationTiff(6), {{4, 0xFF}}), 1},
           {"value out of range", photo(OrientationTiff(9)), 1},
           {"not a short", photo(OrientationTiff(6), {{24, 4}}), 1},
           {"directory past the block", photo(OrientationTiff(6), {{16, 0xF0}}), 1},
           {"directory in the header", photo(OrientationTiff(6), {{16, 2}}), 1},
           {"huge entry count", photo(OrientationTiff(6), {{20, 0xFF}, {21, 0xFF}}), 1},
           // Its one entry another tag, its link back to itself: read once, never followed.
           {"directory looping to itself", photo(OrientationTiff(6), {{22, 0x13}, {34, 8}}), 1},
       })
    EXPECT_EQ(static_cast<int>(ReadExifOrientation(file)), expected) << name;
}
