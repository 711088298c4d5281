// The main window's list of the wallpaper folder's pictures, one row per
// picture in list order.
#pragma once

#include <windows.h>

#include "browser/picture_list.h"

namespace tapestrel::browser {

class PictureListView {
 public:
  explicit PictureListView(HWND parent);
  HWND Handle() const { return hwnd_; }
  void SetBounds(const RECT& bounds);
  void Reload(const PictureList& pictures);

 private:
  HWND hwnd_;
};

}  // namespace tapestrel::browser
