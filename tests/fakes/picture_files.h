// Real picture files in a private temporary folder, for native tests of the
// code that decodes them.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include "imaging/bitmap.h"
#include "imaging/bmp_file.h"

namespace tapestrel::fakes {

class PictureFolder {
 public:
  PictureFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("tapestrel-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(path_);
  }
  ~PictureFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string Path() const { return path_.string() + "/"; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  // A 24-bit picture of one colour (0x00BBGGRR) with an optional frame.
  static imaging::Bitmap Solid(int width, int height, uint32_t colour) {
    imaging::Bitmap b(width, height, imaging::PixelFormat::Bits24);
    for (int y = 0; y < height; ++y) {
      uint8_t* row = b.Row(y);
      for (int x = 0; x < width; ++x) {
        row[x * 3] = static_cast<uint8_t>(colour >> 16);
        row[x * 3 + 1] = static_cast<uint8_t>(colour >> 8);
        row[x * 3 + 2] = static_cast<uint8_t>(colour);
      }
    }
    return b;
  }
  std::string WriteBmp(const std::string& name, const imaging::Bitmap& picture) const {
    const std::string file = *this / name;
    imaging::WriteBmpFile(file, picture);
    return file;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace tapestrel::fakes
