#include "browser/win32/thumbnail_cells.h"

#include <shellapi.h>

#include "browser/win32/thumbnail_platform.h"

namespace tapestrel::browser {

ThumbnailCells::ThumbnailCells(HWND view, TImgItems& items, TViewImage& image, ViewHooks hooks)
    : items_(items),
      image_(image),
      hooks_(std::move(hooks)),
      loader_(
          view, items, image,
          {[this](TImgListItem& e) { InstallIconImage(e); }, [this](TImgListItem& e) { StampSmallIcon(e); },
           [this](TImgListItem& e) {
             if (hooks_.repaint) hooks_.repaint(e);
           },
           [this] { return hooks_.viewColor ? hooks_.viewColor() : imaging::ColorValue{0xFFFFFF}; }}) {
  SHFILEINFOW info{};
  largeIcons_ = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
  smallIcons_ = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

ThumbnailCells::~ThumbnailCells() { loader_.CancelAll(); }

const imaging::Bitmap* ThumbnailCells::CellImage(TImgListItem& entry) {
  if (entry.Image) return entry.Image.get();
  if (!entry.ItemId()) return nullptr;
  if (IsIconType(loader_.TypeOf(entry))) {
    entry.Loaded = true;
    InstallIconImage(entry);
    return entry.Image.get();
  }
  loader_.Enqueue(entry.Serial(), true);
  loader_.Kick();
  return nullptr;
}

void ThumbnailCells::OfferLookAhead(TImgListItem& entry, bool thumbnailStyle) {
  if (thumbnailStyle && image_.LookAhead && !entry.Image) loader_.Enqueue(entry.Serial(), false);
}

std::shared_ptr<const imaging::Bitmap> ThumbnailCells::DrawIcon(int overlayIndex, int iconIndex) {
  const int size = GetSystemMetrics(SM_CXICON);
  DibCanvas canvas(size, size);
  WindowsThumbnailPlatform platform;
  canvas.Fill(platform.ResolveColor(image_.ImgUtil.BKColor));
  UINT style = ILD_TRANSPARENT;
  if (overlayIndex != -1) style |= INDEXTOOVERLAYMASK(overlayIndex + 1);
  if (largeIcons_) ImageList_Draw(largeIcons_, iconIndex, canvas.Dc(), 0, 0, style);
  auto bitmap = std::make_shared<imaging::Bitmap>(canvas.Pixels());
  if (image_.BigIcon) imaging::ResampleTo(*bitmap, image_.BigIconSize, image_.BigIconSize);
  return bitmap;
}

void ThumbnailCells::InstallIconImage(TImgListItem& entry) {
  const int overlay = entry.OverlayIndex(), icon = entry.IconIndex();
  InstallIcon(entry, icons_.Get(overlay, icon, [&] { return DrawIcon(overlay, icon); }));
}

void ThumbnailCells::StampSmallIcon(TImgListItem& entry) {
  const TIconPos pos = image_.SmallIcon.IconPos;
  if (pos == TIconPos::iipNone || !smallIcons_ || !entry.Image || entry.ImageShared) return;
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

void DrawCellImage(HDC dc, int left, int top, int boxW, int boxH, const imaging::Bitmap& image) {
  if (image.Empty() || image.Format() != imaging::PixelFormat::Bits24) return;
  const CellOffset at = CenteredIn(image.Width(), image.Height(), boxW, boxH);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.Width();
  info.bmiHeader.biHeight = -image.Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, left + at.x, top + at.y, image.Width(), image.Height(), 0, 0, 0, image.Height(),
                    image.Pixels(), &info, DIB_RGB_COLORS);
}

}  // namespace tapestrel::browser
