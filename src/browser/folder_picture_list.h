// A picture list read straight from the wallpaper folder: its picture files
// (by the picture extension list; no folders, no hidden files) in name order.
#pragma once

#include <string>
#include <vector>

#include "browser/picture_list.h"
#include "platform/file_system_port.h"

namespace tapestrel::browser {

class FolderPictureList : public PictureList {
 public:
  explicit FolderPictureList(const platform::FileSystemPort& files) : files_(files) {}

  // Extensions with their dot (".bmp"), compared without regard to case.
  void SetExtensions(std::vector<std::string> extensions) {
    extensions_ = std::move(extensions);
    Refresh();
  }
  void SetFolder(const std::string& folder);
  const std::string& Folder() const { return folder_; }
  // Reads the folder again.
  void Refresh();

  int Count() const override { return static_cast<int>(paths_.size()); }
  std::string Path(int index) const override { return paths_.at(static_cast<size_t>(index)); }

 private:
  bool IsPicture(const std::string& name) const;

  const platform::FileSystemPort& files_;
  std::vector<std::string> extensions_;
  std::string folder_;
  std::vector<std::string> paths_;
};

}  // namespace tapestrel::browser
