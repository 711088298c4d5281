// Thumbnail loading as the main window sets it up for its view: ".png"
// through the program's PNG codec, picture plug-ins before the built-in
// decoders, text files in "MS UI Gothic", no on-disk store (AutoThumb off),
// the store named after the folder on every folder change, and the status
// bar's panel 1 naming the file being opened.
//
//   thumbnails_ = std::make_unique<MainWindowThumbnails>(*view_, plugins, [this](const std::wstring& t)
//   {...});
//
// It takes the view's OnChangeFolder, OnImageLoad and OnImageLoaded and
// calls what was set there before.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/png_custom_image.h"
#include "browser/win32/img_list_view.h"
#include "browser/win32/thumbnail_cells.h"

namespace tapestrel::imaging {
class TSPlugin;
}

namespace tapestrel::app {

class MainWindowThumbnails {
 public:
  using StatusText = std::function<void(const std::wstring& text)>;
  MainWindowThumbnails(browser::TImgListView& view, imaging::TSPlugin* splugin, StatusText status);
  ~MainWindowThumbnails();
  MainWindowThumbnails(const MainWindowThumbnails&) = delete;
  MainWindowThumbnails& operator=(const MainWindowThumbnails&) = delete;

  browser::ThumbnailCells& Cells() { return *cells_; }

  // The store's name for a folder: its last path component.
  static std::string StoreNameOf(const std::string& folder);

 private:
  browser::TImgListView& view_;
  PngCustomImageTest png_;
  std::unique_ptr<browser::ThumbnailCells> cells_;
};

}  // namespace tapestrel::app
