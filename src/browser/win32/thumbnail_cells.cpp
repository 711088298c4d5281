#include "browser/win32/thumbnail_cells.h"

#include <commctrl.h>
#include <shellapi.h>

#include "imaging/win32/system_color.h"
#include "platform/error_guard.h"

namespace tapestrel::browser {

ThumbnailCells::ThumbnailCells(HWND view, TImgItems& items, TViewImage& image, ViewHooks hooks)
    : view_(view),
      image_(image),
      hooks_(std::move(hooks)),
      loader_(
          view, items, image,
          {[this](TImgListItem& e) { InstallIconImage(e); }, [this](TImgListItem& e) { StampSmallIcon(e); },
           [this](TImgListItem& e) {
             if (hooks_.repaint) hooks_.repaint(e);
           },
           [this] { return hooks_.viewColor ? hooks_.viewColor() : imaging::ColorValue{0xFFFFFF}; }}) {
  TImgUtil& util = image_.ImgUtil;
  if (!util.Platform()) util.SetPlatform(&platform_);
  util.Thumbnail.SetPort(&platform_);
  SHFILEINFOW info{};
  smallIcons_ = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  SetWindowSubclass(view_, &ThumbnailCells::ViewProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
}

ThumbnailCells::~ThumbnailCells() {
  loader_.CancelAll();
  RemoveWindowSubclass(view_, &ThumbnailCells::ViewProcedure, 1);
  TImgUtil& util = image_.ImgUtil;
  if (util.Platform() == &platform_) util.SetPlatform(nullptr);
  util.Thumbnail.SetPort(nullptr);
}

LRESULT CALLBACK ThumbnailCells::ViewProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR, DWORD_PTR self) {
  const bool retryTick = message == WM_TIMER && wParam == kRetryTimer;
  if (message != kImageLoadedMessage && message != kWorkerFreeMessage && !retryTick)
    return DefSubclassProc(hwnd, message, wParam, lParam);
  platform::Guarded([&] {
    auto* cells = reinterpret_cast<ThumbnailCells*>(self);
    const bool rebuilding = cells->hooks_.rebuilding && cells->hooks_.rebuilding();
    if (message == kImageLoadedMessage) {
      cells->loader_.WorkerDone(static_cast<int>(wParam), static_cast<int>(lParam), rebuilding);
    } else if (message == kWorkerFreeMessage) {
      if (!rebuilding) cells->loader_.Resume();  // what waited for the worker
    } else if (!rebuilding) {
      cells->loader_.RetrySettled();
    }
  });
  return 0;
}

std::unique_ptr<ThumbnailCells> ThumbnailCells::ForView(TImgListView& view) {
  ViewHooks hooks;
  hooks.iconImage = [&view](TImgListItem& e) { return view.IconImage(e); };
  hooks.repaint = [&view](TImgListItem& e) {
    const int index = view.ImgItems().IndexOf(e);
    if (index >= 0) ListView_RedrawItems(view.ListView(), index, index);
  };
  hooks.viewColor = [&view] { return imaging::ResolveColor(view.Color()); };
  hooks.thumbnailStyle = [&view] { return view.IconStyle() == TIconStyle::iisImage; };
  auto cells =
      std::make_unique<ThumbnailCells>(view.Handle(), view.ImgItems(), view.ViewImage, std::move(hooks));
  cells->loader_.OnImageLoad = [&view](TImgListItem& e) {
    if (view.OnImageLoad) view.OnImageLoad(e);
  };
  cells->loader_.OnImageLoaded = [&view](TImgListItem& e) {
    if (view.OnImageLoaded) view.OnImageLoaded(e);
  };
  view.SetThumbnailSource(cells.get());
  return cells;
}

const imaging::Bitmap* ThumbnailCells::CellImage(TImgListItem& entry) {
  if (entry.Image) return entry.Image.get();
  if (!entry.ItemId()) return nullptr;
  if (IsIconType(loader_.TypeOf(entry))) {
    entry.Loaded = true;
    InstallIconImage(entry);
    loader_.WatchIfStillArriving(entry);
    return entry.Image.get();
  }
  loader_.Enqueue(entry.Serial(), true);
  loader_.Kick();
  return nullptr;
}

void ThumbnailCells::LookAhead(TImgListItem& entry) {
  const bool thumbnails = !hooks_.thumbnailStyle || hooks_.thumbnailStyle();
  if (thumbnails && image_.LookAhead && !entry.Image) loader_.Enqueue(entry.Serial(), false);
}

void ThumbnailCells::InstallIconImage(TImgListItem& entry) {
  if (hooks_.iconImage) InstallIcon(entry, hooks_.iconImage(entry));
}

void ThumbnailCells::StampSmallIcon(TImgListItem& entry) {
  const TIconPos pos = image_.SmallIcon.IconPos;
  if (pos == TIconPos::iipNone || !smallIcons_ || !entry.Image || entry.ImageShared) return;
  if (hooks_.thumbnailStyle && !hooks_.thumbnailStyle()) return;
  const TImageType type = loader_.TypeOf(entry);
  if (IsIconType(type) || !(image_.DispImage.Get() & ImageTypeBit(type))) return;
  const int w = image_.ImageWidth, h = image_.ImageHeight, space = image_.SmallIcon.Space;
  const int x = pos == TIconPos::iipRightTop || pos == TIconPos::iipRightBottom ? w - space - 16 : 0;
  const int y = pos == TIconPos::iipLeftBottom || pos == TIconPos::iipRightBottom ? h - space - 16 : 0;
  DibCanvas canvas(entry.Image->Width(), entry.Image->Height());
  canvas.Load(*entry.Image);
  ImageList_Draw(smallIcons_, entry.IconIndex(), canvas.Dc(), x, y, ILD_TRANSPARENT);
  entry.Image = std::make_shared<imaging::Bitmap>(canvas.Pixels());
}

}  // namespace tapestrel::browser
