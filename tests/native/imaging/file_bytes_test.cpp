#include "imaging/file_bytes.h"

#include <gtest/gtest.h>

#include <numeric>

#include "imaging/bitmap.h"
#include "test_images.h"

using namespace tapestrel::imaging;

TEST(FileBytes, WholeFilesAreReadUpToTheLimitAndNoFurther) {
  const std::string path = imaging_test::TempPath("bytes.bin");
  // Sizes around the read chunk, and files at, below and above the limit.
  for (auto [size, limit] : {std::pair<size_t, size_t>{0, 10},
                             {1, 1},
                             {2, 1},
                             {(1 << 20) + 3, (1 << 20) + 3},
                             {(1 << 20) + 4, (1 << 20) + 3},
                             {3 << 20, kMaxPictureFileBytes}}) {
    std::vector<uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), uint8_t{7});
    WriteFileBytes(path, bytes);
    if (size > limit) {
      EXPECT_THROW(ReadFileBytes(path, limit), ImageError) << size;
    } else {
      EXPECT_EQ(ReadFileBytes(path, limit), bytes) << size;
    }
  }
  EXPECT_THROW(ReadFileBytes(imaging_test::TempPath("missing.bin")), ImageError);
}
