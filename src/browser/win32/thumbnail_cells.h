// Thumbnail loading plugged into the thumbnail view: the view's cell drawing
// asks CellImage for an entry's image; the view cancels, resumes and offers
// look-ahead around every change of its entries; the worker's message
// (kImageLoadedMessage) reaches the view's window and is taken from there.
//
//   auto cells = ThumbnailCells::ForView(view);  // view.SetThumbnailSource(cells.get())
//
// Entries of an icon kind, and entries whose thumbnail failed, show the
// view's shared icon image of their overlay and icon.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "browser/cell_images.h"
#include "browser/win32/file_image.h"
#include "browser/win32/img_list_view.h"
#include "browser/win32/thumbnail_platform.h"

namespace tapestrel::browser {

class ThumbnailCells : public ThumbnailSource {
 public:
  struct ViewHooks {
    // The shared icon image of the entry.
    std::function<std::shared_ptr<const imaging::Bitmap>(TImgListItem&)> iconImage;
    std::function<void(TImgListItem&)> repaint;      // redraw the entry's cell
    std::function<imaging::ColorValue()> viewColor;  // the control's color, RGB
    std::function<bool()> rebuilding;                // the view is recreating its entries
    std::function<bool()> thumbnailStyle;            // the view shows thumbnail cells
  };
  // `view` receives the worker's messages; ThumbnailCells takes them from
  // its window procedure.
  ThumbnailCells(HWND view, TImgItems& items, TViewImage& image, ViewHooks hooks);
  ~ThumbnailCells() override;
  ThumbnailCells(const ThumbnailCells&) = delete;
  ThumbnailCells& operator=(const ThumbnailCells&) = delete;

  // For the thumbnail view, installed as its thumbnail source, raising its
  // OnImageLoad and OnImageLoaded. The view's thumbnail maker gets the
  // Windows services it needs.
  static std::unique_ptr<ThumbnailCells> ForView(TImgListView& view);

  // ThumbnailSource.
  const imaging::Bitmap* CellImage(TImgListItem& entry) override;
  void CancelAll() override { loader_.CancelAll(); }
  void Resume() override { loader_.Resume(); }
  // Queued at the front when the view shows thumbnails and LookAhead is on.
  void LookAhead(TImgListItem& entry) override;

  TFileImage& Loader() { return loader_; }

 private:
  static LRESULT CALLBACK ViewProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR self);
  void InstallIconImage(TImgListItem& entry);
  void StampSmallIcon(TImgListItem& entry);

  HWND view_;
  TViewImage& image_;
  ViewHooks hooks_;
  HIMAGELIST smallIcons_ = nullptr;  // the system's, never freed
  WindowsThumbnailPlatform platform_;
  TFileImage loader_;
};

}  // namespace tapestrel::browser
