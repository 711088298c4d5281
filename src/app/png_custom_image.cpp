#include "app/png_custom_image.h"

#include "imaging/picture_file.h"
#include "imaging/png/png_file.h"

namespace tapestrel::app {

bool PngCustomImageTest::IsCustomImage(const std::string& path) {
  return imaging::LowerCaseExtension(path) == ".png";
}

bool PngCustomImageTest::LoadCustomImage(const std::string& path, imaging::Bitmap& bitmap,
                                         const imaging::StopRequest& stop) {
  bitmap = imaging::LoadPngFile(path, stop).image;
  return true;
}

}  // namespace tapestrel::app
