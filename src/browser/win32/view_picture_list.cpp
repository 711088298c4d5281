#include "browser/win32/view_picture_list.h"

#include <windows.h>

#include "browser/win32/img_list_view.h"

namespace tapestrel::browser {
namespace {

// Empty when the text cannot be written in the ANSI code page exactly.
std::string ExactAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, &lossy);
  if (n <= 0 || lossy) return {};
  std::string ansi(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), ansi.data(),
                      n, nullptr, &lossy);
  return lossy ? std::string() : ansi;
}

}  // namespace

std::string AnsiPathFor(const std::wstring& path) {
  std::string ansi = ExactAnsi(path);
  if (!ansi.empty()) return ansi;
  const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) return {};
  std::wstring shortPath(needed, L'\0');
  const DWORD n = GetShortPathNameW(path.c_str(), shortPath.data(), needed);
  if (n == 0 || n >= needed) return {};
  shortPath.resize(n);
  return ExactAnsi(shortPath);
}

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
    if (!items[i].IsFolder() && !AnsiPathFor(items[i].ParsingPath()).empty()) indices_.push_back(i);
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
  return AnsiPathFor(view_->ImgItems()[indices_.at(static_cast<size_t>(index))].ParsingPath());
}

}  // namespace tapestrel::browser
