// Real picture files in a private temporary folder, for native tests of the
// code that decodes them.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include "common/solid_picture.h"
#include "imaging/bitmap.h"
#include "imaging/bmp_file.h"

namespace tapestrel::testing {

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

  std::string WriteBmp(const std::string& name, const imaging::Bitmap& picture) const {
    const std::string file = *this / name;
    imaging::WriteBmpFile(file, picture);
    return file;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace tapestrel::testing
