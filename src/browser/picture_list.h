// The pictures of the wallpaper folder in the order the browser shows them.
#pragma once

#include <string>

namespace tapestrel::browser {

class PictureList {
 public:
  virtual ~PictureList() = default;
  virtual int Count() const = 0;
  // The full path of entry `index`; the index must be in 0 .. Count() - 1.
  virtual std::string Path(int index) const = 0;
};

}  // namespace tapestrel::browser
