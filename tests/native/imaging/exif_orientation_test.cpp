#include "imaging/exif_orientation.h"

#include <gtest/gtest.h>

#include "common/exif_photo.h"
#include "imaging/jpeg_file.h"
#include "test_images.h"

using namespace tapestrel::imaging;
using tapestrel::testing::OrientationTiff;
using tapestrel::testing::WithExifBlock;

TEST(ExifOrientation, ReadInEitherByteOrderAndAsStoredWheneverTheBlockCannotBeTrusted) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(imaging_test::SmoothPicture(8, 8));
  auto tiff = [](std::vector<std::pair<size_t, uint8_t>> changes, int orientation = 6) {
    std::vector<uint8_t> t = OrientationTiff(orientation);
    for (auto [at, value] : changes) t[at] = value;
    return t;
  };
  std::vector<uint8_t> cut = WithExifBlock(jpeg, OrientationTiff(6));
  cut.resize(20);  // the segment runs past the end of the file
  const struct {
    const char* name;
    std::vector<uint8_t> file;
    int expected;
  } cases[] = {
      {"little-endian", WithExifBlock(jpeg, OrientationTiff(6)), 6},
      {"big-endian", WithExifBlock(jpeg, OrientationTiff(8, true)), 8},
      {"no Exif block", jpeg, 1},
      {"not a JPEG", std::vector<uint8_t>(OrientationTiff(6)), 1},
      {"segment cut short", cut, 1},
      {"value out of range", WithExifBlock(jpeg, OrientationTiff(9)), 1},
      {"not a short", WithExifBlock(jpeg, tiff({{12, 4}})), 1},
      {"two values", WithExifBlock(jpeg, tiff({{14, 2}})), 1},
      {"directory past the block", WithExifBlock(jpeg, tiff({{4, 0xF0}})), 1},
      {"directory in the header", WithExifBlock(jpeg, tiff({{4, 2}})), 1},
      {"huge entry count", WithExifBlock(jpeg, tiff({{8, 0xFF}, {9, 0xFF}})), 1},
      // Its only entry another tag, its link pointing back at itself.
      {"directory looping to itself", WithExifBlock(jpeg, tiff({{10, 0x13}, {22, 8}})), 1},
      {"wrong byte-order mark", WithExifBlock(jpeg, tiff({{1, 'M'}})), 1},
  };
  for (const auto& c : cases) EXPECT_EQ(static_cast<int>(ReadExifOrientation(c.file)), c.expected) << c.name;
}
