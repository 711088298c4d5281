// Thumbnail cells' images for the thumbnail view: the hand-over between the
// view's cell drawing and thumbnail loading. The view owns one; its cell
// drawing asks CellImage for an entry, its window procedure hands
// kImageLoadedMessage to OnImageLoadedMessage, every rebuild calls
// Rebuild, and every change of the entries is preceded by
// Loader().CancelAll() and followed by Loader().Resume().
//
//   ThumbnailCells cells(hwnd, items, viewImage, {...});
//   if (const imaging::Bitmap* image = cells.CellImage(entry))
//     DrawCellImage(dc, imageLeft, imageTop, boxW, boxH, *image);
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>

#include "browser/cell_images.h"
#include "browser/win32/file_image.h"

namespace tapestrel::browser {

class ThumbnailCells {
 public:
  struct ViewHooks {
    std::function<void(TImgListItem&)> repaint;      // redraw the entry's cell
    std::function<imaging::ColorValue()> viewColor;  // the control's colour, RGB
  };
  ThumbnailCells(HWND view, TImgItems& items, TViewImage& image, ViewHooks hooks);
  ~ThumbnailCells();

  // The image to draw in the entry's cell; null when there is none yet (the
  // entry then waits for the worker, the newest request first).
  const imaging::Bitmap* CellImage(TImgListItem& entry);
  // Look-ahead for an entry just enumerated: queued at the front when the
  // view shows thumbnails and LookAhead is on.
  void OfferLookAhead(TImgListItem& entry, bool thumbnailStyle);

  // kImageLoadedMessage.
  void OnImageLoadedMessage(WPARAM wParam, LPARAM lParam, bool rebuilding) {
    loader_.WorkerDone(static_cast<int>(wParam), static_cast<int>(lParam), rebuilding);
  }
  // Every rebuild of the view: the shared icon images go.
  void Rebuild() { icons_.Clear(); }

  TFileImage& Loader() { return loader_; }
  const IconBitmapCache& Icons() const { return icons_; }
  // The entry's shared icon image (system large icon with its overlay).
  void InstallIconImage(TImgListItem& entry);

 private:
  std::shared_ptr<const imaging::Bitmap> DrawIcon(int overlayIndex, int iconIndex);
  void StampSmallIcon(TImgListItem& entry);

  TImgItems& items_;
  TViewImage& image_;
  ViewHooks hooks_;
  HIMAGELIST largeIcons_ = nullptr, smallIcons_ = nullptr;  // the system's, never freed
  IconBitmapCache icons_;
  TFileImage loader_;
};

// Draws an image into a boxW x boxH box at left, top, centred when its size
// differs, pixel for pixel.
void DrawCellImage(HDC dc, int left, int top, int boxW, int boxH, const imaging::Bitmap& image);

}  // namespace tapestrel::browser
