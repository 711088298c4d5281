#include "browser/win32/view_painter.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <stdexcept>

#include "imaging/thumbnail_scaling.h"
#include "imaging/win32/system_color.h"
#include "platform/win32/handles.h"

namespace tapestrel::browser {
namespace {

void CopyText(const std::wstring_view text, LVITEMW& item) {
  if (!item.pszText || item.cchTextMax <= 0) return;
  const size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
  std::wmemcpy(item.pszText, text.data(), n);
  item.pszText[n] = L'\0';
}

double TicksToMs(LONGLONG ticks) {
  static const double perMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000;
  }();
  return static_cast<double>(ticks) / perMs;
}

template <typename Step>
void Timed(RequestStats& stats, Step step) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  step();
  QueryPerformanceCounter(&end);
  ++stats.count;
  stats.milliseconds += TicksToMs(end.QuadPart - start.QuadPart);
}

// Draws a picture of the program's bitmap type (top-down rows) at x, y.
void DrawBitmap(HDC dc, int x, int y, const imaging::Bitmap& bitmap) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info{};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = bitmap.Width();
  info.header.biHeight = -bitmap.Height();
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bitmap.BitsPerPixel());
  info.header.biCompression = BI_RGB;
  const auto& palette = bitmap.Palette();
  for (size_t i = 0; i < palette.size() && i < 256; ++i)
    info.colors[i] = {palette[i].blue, palette[i].green, palette[i].red, 0};
  info.header.biClrUsed = static_cast<DWORD>(std::min<size_t>(palette.size(), 256));
  if (bitmap.Format() == imaging::PixelFormat::Bits15 || bitmap.Format() == imaging::PixelFormat::Bits16) {
    info.header.biCompression = BI_BITFIELDS;
    const bool six = bitmap.Format() == imaging::PixelFormat::Bits16;
    auto* masks = reinterpret_cast<DWORD*>(info.colors);
    masks[0] = six ? 0xF800 : 0x7C00;
    masks[1] = six ? 0x07E0 : 0x03E0;
    masks[2] = 0x001F;
  }
  SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(bitmap.Width()), static_cast<DWORD>(bitmap.Height()), 0, 0,
                    0, static_cast<UINT>(bitmap.Height()), bitmap.Pixels(),
                    reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
}

}  // namespace

ViewPainter::ViewPainter(HWND listView, ViewEntries& entries, const TViewImage& image, const TView& view,
                         const DrawHook& afterDraw)
    : listView_(listView), entries_(entries), image_(image), view_(view), afterDraw_(afterDraw) {}

HIMAGELIST ViewPainter::SystemImages(bool large) {
  HIMAGELIST& list = large ? systemLarge_ : systemSmall_;
  if (!list) {
    SHFILEINFOW info{};
    list = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(reinterpret_cast<LPCWSTR>(entries_.DesktopId()), 0, &info, sizeof info,
                       SHGFI_PIDL | SHGFI_SYSICONINDEX | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON)));
  }
  return list;
}

void ViewPainter::OnScroll(WORD code) {
  if (code == SB_ENDSCROLL) {
    // Requests skipped while scrolling are answered now.
    scrolling_ = false;
    InvalidateRect(listView_, nullptr, FALSE);
  } else if (!scrolling_) {
    scrolling_ = true;
    selectedAtScrollStart_ = ListView_GetNextItem(listView_, -1, LVNI_SELECTED);
  }
}

std::shared_ptr<const imaging::Bitmap> ViewPainter::IconImage(TImgListItem& item) {
  const std::pair<int, int> key{item.OverlayIndex(), item.IconIndex()};
  if (entries_.ShowsFolder()) {
    const auto found = iconImages_.find(key);
    if (found != iconImages_.end()) return found->second;
  }
  const int size = GetSystemMetrics(SM_CXICON);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  platform::WindowDc screen(nullptr);
  platform::UniqueGdiObject section(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  platform::UniqueMemoryDc dc(CreateCompatibleDC(screen.Get()));
  if (!section || !dc || !bits) throw std::runtime_error("cannot make an icon image");
  const HGDIOBJ old = SelectObject(dc.Get(), section.Get());
  const RECT all{0, 0, size, size};
  platform::UniqueGdiObject brush(CreateSolidBrush(imaging::ResolveColor(image_.ImgUtil.BKColor)));
  FillRect(dc.Get(), &all, static_cast<HBRUSH>(brush.Get()));
  if (item.IconIndex() >= 0) {
    const UINT overlay = item.OverlayIndex() >= 0 ? INDEXTOOVERLAYMASK(item.OverlayIndex() + 1) : 0;
    ImageList_Draw(SystemImages(true), item.IconIndex(), dc.Get(), 0, 0, ILD_NORMAL | overlay);
  }
  GdiFlush();
  SelectObject(dc.Get(), old);
  auto image = std::make_shared<imaging::Bitmap>(size, size, imaging::PixelFormat::Bits24);
  const size_t stride = imaging::Bitmap::StrideFor(size, imaging::PixelFormat::Bits24);
  for (int y = 0; y < size; ++y) std::memcpy(image->Row(y), static_cast<uint8_t*>(bits) + stride * y, stride);
  if (image_.BigIcon) imaging::ResampleTo(*image, image_.BigIconSize, image_.BigIconSize);
  if (entries_.ShowsFolder()) iconImages_[key] = image;
  return image;
}

const imaging::Bitmap* ViewPainter::CellImage(TImgListItem& item) {
  if (thumbnails_) return thumbnails_->CellImage(item);
  if (!item.Image) {
    if (!item.ItemId()) return nullptr;
    item.Image = IconImage(item);
    item.ImageShared = true;
    item.Loaded = true;
    item.ImageWidth = item.Image->Width();
    item.ImageHeight = item.Image->Height();
  }
  return item.Image.get();
}

void ViewPainter::OnGetDispInfo(NMLVDISPINFOW& info) {
  Timed(requestStats_, [&] { Answer(info); });
}

void ViewPainter::Answer(NMLVDISPINFOW& info) {
  LVITEMW& item = info.item;
  if (updating || item.iItem < 0 || item.iItem >= entries_.Count()) return;
  if (scrolling_ && item.iItem != selectedAtScrollStart_) {
    // While the scroll bar moves, only what drawing needs is answered.
    UINT allowed = LVIF_TEXT | LVIF_IMAGE;
    if (look.viewStyle == TViewStyle::vsReport) allowed |= LVIF_INDENT;
    if (item.mask & ~allowed) return;
  }
  TImgListItem& entry = entries_.Items()[item.iItem];
  if (item.mask & LVIF_TEXT) {
    switch (item.iSubItem) {
      case 0:
        CopyText(view_.ShowCaptions ? entry.DisplayName() : std::wstring_view(), item);
        break;
      case 1:
        CopyText(entry.IsFolder() ? std::wstring() : entry.SizeText(), item);
        break;
      case 2:
        CopyText(entry.TypeName(), item);
        break;
      case 3:
        CopyText(entry.DateText(), item);
        break;
      default:
        break;
    }
  }
  if (item.iSubItem != 0) return;
  if (item.mask & LVIF_IMAGE)
    item.iImage = look.iconStyle == TIconStyle::iisImage ? I_IMAGENONE : entry.IconIndex();
  // The view answers the overlay part of the state only; the list view keeps
  // the selection itself.
  const UINT overlay = entry.OverlayIndex() >= 0 ? INDEXTOOVERLAYMASK(entry.OverlayIndex() + 1) : 0;
  if (item.mask & LVIF_STATE) {
    item.state = overlay;
    item.stateMask = LVIS_OVERLAYMASK;
  } else if (overlay) {
    item.mask |= LVIF_STATE;
    item.state = overlay;
    item.stateMask = LVIS_OVERLAYMASK;
  }
}

LRESULT ViewPainter::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return (look.iconStyle == TIconStyle::iisImage || afterDraw_) ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
    case CDDS_ITEMPOSTPAINT: {
      const int index = static_cast<int>(draw.nmcd.dwItemSpec);
      if (updating || index < 0 || index >= entries_.Count()) return CDRF_DODEFAULT;
      RECT icon{};
      icon.left = LVIR_ICON;
      if (!SendMessageW(listView_, LVM_GETITEMRECT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(&icon)))
        return CDRF_DODEFAULT;
      if (look.iconStyle == TIconStyle::iisImage)
        Timed(drawStats_, [&] { DrawCell(draw.nmcd.hdc, index, icon); });
      if (afterDraw_) afterDraw_(draw.nmcd.hdc, index, icon);
      return CDRF_DODEFAULT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

CellRect ViewPainter::CellAt(const RECT& icon) const {
  const CellSize size = CellSizeOf(image_);
  CellRect cell;
  cell.left = icon.left + (icon.right - icon.left - size.width) / 2;
  cell.top = icon.top + std::max(0L, (icon.bottom - icon.top - size.height) / 2);
  cell.right = cell.left + size.width;
  cell.bottom = cell.top + size.height;
  return cell;
}

void ViewPainter::DrawCell(HDC dc, int index, const RECT& icon) {
  const CellRect cell = CellAt(icon);
  // The selection from the list view's own record: asking for the item's
  // state while it paints answers stale bits under Wine.
  const bool marked =
      ListView_GetNextItem(listView_, index - 1, LVNI_SELECTED) == index || index == dropHighlighted;
  const bool selected = (GetFocus() == listView_ || !look.hideSelection) && marked;
  for (const CellFill& fill : CellDecoration(image_, cell, selected)) {
    const RECT r{fill.rect.left, fill.rect.top, fill.rect.right, fill.rect.bottom};
    if (fill.color & imaging::kSystemColorFlag) {
      FillRect(dc, &r, GetSysColorBrush(static_cast<int>(fill.color & 0xFF)));
    } else {
      platform::UniqueGdiObject brush(CreateSolidBrush(fill.color & 0xFFFFFF));
      FillRect(dc, &r, static_cast<HBRUSH>(brush.Get()));
    }
  }
  const imaging::Bitmap* image = CellImage(entries_.Items()[index]);
  if (!image || image->Empty()) return;
  const ImagePlacement place = PlaceImage(image_, cell, image->Width(), image->Height());
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, place.target.left, place.target.top, place.target.right, place.target.bottom);
  DrawBitmap(dc, place.target.left - place.sourceX, place.target.top - place.sourceY, *image);
  RestoreDC(dc, saved);
}

}  // namespace tapestrel::browser
