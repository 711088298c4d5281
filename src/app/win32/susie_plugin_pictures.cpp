#include "app/win32/susie_plugin_pictures.h"

#include "imaging/bmp_file.h"

namespace tapestrel::app {

imaging::Bitmap SusiePluginPictures::LoadPicture(const std::string& path) {
  imaging::TSPIBitmap bitmap([](const std::string& file) { return imaging::ReadBmpFile(file); }, &host_.Plugins());
  bitmap.LoadFromFile(path);
  return bitmap.TakePicture();
}

}  // namespace tapestrel::app
