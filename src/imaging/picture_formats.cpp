#include "imaging/picture_formats.h"

#include "imaging/builtin_pictures.h"

namespace tapestrel::imaging {

PictureFormatRegistry::PictureFormatRegistry() {
  for (const BuiltInPicture& p : BuiltInPictures()) Register(p.extension, p.description);
}

void PictureFormatRegistry::Register(const std::string& extension, const std::string& description) {
  formats_.push_back({extension, description});
}

void PictureFormatRegistry::RegisterAll(const std::vector<PictureFormat>& formats) {
  std::vector<PictureFormat> all = formats_;
  all.insert(all.end(), formats.begin(), formats.end());
  formats_.swap(all);
}

std::string PictureFormatRegistry::FileMask() const {
  std::string mask;
  for (const PictureFormat& f : formats_) {
    if (!mask.empty()) mask += ';';
    mask += "*." + f.extension;
  }
  return mask;
}

std::string PictureFormatRegistry::Filter() const {
  const std::string mask = FileMask();
  std::string filter = "すべての画像 (" + mask + ")|" + mask;
  for (const PictureFormat& f : formats_) {
    filter += "|" + FilterEntry(f.extension, f.description);
  }
  return filter;
}

std::string FilterEntry(const std::string& extension, const std::string& description) {
  return description + " (*." + extension + ")|*." + extension;
}

PictureFormatRegistry& PictureFormats() {
  static PictureFormatRegistry registry;
  return registry;
}

}  // namespace tapestrel::imaging
