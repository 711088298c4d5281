#include "browser/win32/view_picture_list.h"

#include "browser/win32/img_list_view.h"
#include "platform/win32/ansi_path.h"

namespace tapestrel::browser {

void ViewPictureList::Update() const {
  if (!view_) {
    indices_.clear();
    return;
  }
  if (built_ && generation_ == view_->Generation()) return;
  // Only which entries count is kept: the paths are made again when asked,
  // so the list costs the view's memory nothing per entry beyond an index.
  indices_.clear();
  TImgItems& items = view_->ImgItems();
  for (int i = 0; i < items.Count(); ++i) {
    if (!items[i].IsFolder() && platform::PathToAnsi(items[i].ParsingPath())) indices_.push_back(i);
  }
  generation_ = view_->Generation();
  built_ = true;
}

int ViewPictureList::Count() const {
  Update();
  return static_cast<int>(indices_.size());
}

std::string ViewPictureList::Path(int index) const {
  Update();
  // Empty only for a file whose short name went since the list was built:
  // the change takes it as a picture that is not there.
  return platform::PathToAnsi(view_->ImgItems()[indices_.at(static_cast<size_t>(index))].ParsingPath())
      .value_or(std::string());
}

}  // namespace tapestrel::browser
