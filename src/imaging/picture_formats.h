// The process-wide list of picture formats (extension and description) from
// which the picture extension list, the browser's filter and the open-picture
// dialog's filter are built. The built-in formats come first; every picture
// plug-in adds its extensions.
#pragma once

#include <string>
#include <vector>

namespace tapestrel::imaging {

struct PictureFormat {
  std::string extension;    // without the dot, as registered ("bmp", "PNG")
  std::string description;  // UTF-8
};

class PictureFormatRegistry {
 public:
  // The built-in formats: bitmap, icon, the two metafiles, "jpeg", "jpg", "PNG".
  PictureFormatRegistry();

  void Register(const std::string& extension, const std::string& description);
  // Every format or, when anything fails (memory), none.
  void RegisterAll(const std::vector<PictureFormat>& formats);
  const std::vector<PictureFormat>& Formats() const { return formats_; }

  // "*.bmp;*.ico;..." over every registered format, in registration order.
  std::string FileMask() const;
  // The standard picture-file filter: an "all pictures" entry with the whole
  // mask, then one "description (*.ext)|*.ext" entry per format.
  std::string Filter() const;

 private:
  std::vector<PictureFormat> formats_;
};

// One format's entry of a filter: "description (*.ext)|*.ext".
std::string FilterEntry(const std::string& extension, const std::string& description);

// The program's one registry.
PictureFormatRegistry& PictureFormats();

}  // namespace tapestrel::imaging
