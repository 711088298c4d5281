// The picture list the wallpaper change chooses from: the view's files in
// the order the view shows them, as paths in the ANSI code page, which the
// change engine and the files it writes use.
//
// Each path is what platform::PathToAnsi makes of the entry's: a file whose
// name has no ANSI form stays out of the picture list, while the view still
// lists it by its real name. Folders are never in the list.
#pragma once

#include <string>
#include <vector>

#include "browser/picture_list.h"

namespace tapestrel::browser {

class TImgListView;

class ViewPictureList : public PictureList {
 public:
  // The list is empty until a view is attached (the change engine exists
  // before the window and its view).
  void Attach(TImgListView* view) {
    view_ = view;
    built_ = false;
  }

  int Count() const override;
  std::string Path(int index) const override;

 private:
  void Update() const;

  TImgListView* view_ = nullptr;
  mutable bool built_ = false;
  mutable unsigned generation_ = 0;
  mutable std::vector<int> indices_;  // the view's entries that are in the list
};

}  // namespace tapestrel::browser
