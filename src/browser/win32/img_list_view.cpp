// The view's window, its folder and entries, display requests and cell
// drawing. Shell verbs, menus, renaming and drag and drop are in
// img_list_view_shell.cpp.
#include "browser/win32/img_list_view.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <stdexcept>

#include "browser_ids.h"
#include "imaging/thumbnail_scaling.h"
#include "platform/error_guard.h"
#include "platform/scope_exit.h"
#include "platform/win32/ansi_path.h"
#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"
#include "imaging/win32/system_color.h"

namespace tapestrel::browser {
namespace {

constexpr wchar_t kViewClass[] = L"TapestrelImgListView";
constexpr UINT kWatcherChange = WM_APP + 1;
constexpr UINT kSelectionChanged = WM_APP + 2;
constexpr UINT kInitialLayout = WM_APP + 3;
constexpr UINT_PTR kListViewSubclass = 1;

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
void Timed(TImgListView::RequestStats& stats, Step step) {
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

TImgListView::TImgListView(HWND parent) {
  Create(kViewClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, 0, 0, 100, 100,
         parent, nullptr);
  listView_ = CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_OWNERDATA | LVS_ICON | LVS_AUTOARRANGE |
          LVS_SHAREIMAGELISTS | LVS_EDITLABELS | LVS_SINGLESEL,
      0, 0, 100, 100, Handle(), reinterpret_cast<HMENU>(1), GetModuleHandleW(nullptr), nullptr);
  if (!listView_) throw std::runtime_error("cannot create the thumbnail view");
  SetWindowSubclass(listView_, &TImgListView::ListViewProcedure, kListViewSubclass,
                    reinterpret_cast<DWORD_PTR>(this));
  ListView_SetExtendedListViewStyle(listView_, LVS_EX_DOUBLEBUFFER);
  ListView_SetCallbackMask(listView_, LVIS_OVERLAYMASK);
  dpi_ = platform::WindowDpi(listView_);
  CreateColumns();

  SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, desktopId_.Put());
  defaultSpacing_ = static_cast<DWORD>(ListView_GetItemSpacing(listView_, FALSE));
  HookOptions();
  created_ = true;
  ApplyColors();
  BindInitialFolder();
  RegisterDropTarget(DefaultExec.DropTarget);
  // The desktop is read, laid out and watched once the messages run: an
  // owner that opens its own folder and sets its own options right away (as
  // the main window does while it starts) spares the shell that work, and
  // the program a watch that would end at once.
  PostMessageW(Handle(), kInitialLayout, 0, 0);
}

HIMAGELIST TImgListView::SystemImages(bool large) {
  HIMAGELIST& list = large ? systemLarge_ : systemSmall_;
  if (!list) {
    SHFILEINFOW info{};
    list = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(reinterpret_cast<LPCWSTR>(desktopId_.Get()), 0, &info, sizeof info,
                       SHGFI_PIDL | SHGFI_SYSICONINDEX | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON)));
  }
  return list;
}

void TImgListView::LayOutOnce() {
  if (laidOut_) return;
  laidOut_ = true;
  UpdateCellGeometry();
}

TImgListView::~TImgListView() {
  StopWatcher();
  CancelScan();
  if (thumbnails_) thumbnails_->CancelAll();
  RegisterDropTarget(false);
  if (listView_) {
    RemoveWindowSubclass(listView_, &TImgListView::ListViewProcedure, kListViewSubclass);
    ListView_SetItemCountEx(listView_, 0, 0);
  }
  items_.SetFolder(nullptr);
  if (placeholder_) ImageList_Destroy(placeholder_);
}

void TImgListView::SetBounds(const RECT& r) {
  MoveWindow(Handle(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void TImgListView::HookOptions() {
  const auto rebuild = [this] { RebuildView(); };
  ViewImage.OnChange = rebuild;
  View.OnChange1 = rebuild;
  View.OnChange2 = rebuild;
  DefaultExec.OnChange = [this] { RegisterDropTarget(DefaultExec.DropTarget); };
  ShellChangeNotification.OnChange = [this] {
    if (ShellChangeNotification.Enabled)
      StartWatcher();
    else
      StopWatcher();
  };
}

void TImgListView::CreateColumns() {
  const struct {
    UINT text;
    int format, width;
  } columns[] = {{IDS_BROWSER_COLUMN_NAME, LVCFMT_LEFT, 162},
                 {IDS_BROWSER_COLUMN_SIZE, LVCFMT_RIGHT, 69},
                 {IDS_BROWSER_COLUMN_TYPE, LVCFMT_LEFT, 138},
                 {IDS_BROWSER_COLUMN_DATE, LVCFMT_LEFT, 104}};
  for (int i = 0; i < 4; ++i) {
    wchar_t text[64] = {};
    LoadStringW(GetModuleHandleW(nullptr), columns[i].text, text, 64);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = columns[i].format;
    column.cx = platform::ScaleForDpi(columns[i].width, dpi_);
    column.pszText = text;
    columnIndex_[i] = ListView_InsertColumn(listView_, i, &column);
  }
}

void TImgListView::BeginUpdate() { ++updateDepth_; }

void TImgListView::EndUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0 && rebuildPending_) {
    rebuildPending_ = false;
    RebuildView();
  }
}

// ---- properties

void TImgListView::SetViewStyle(TViewStyle style) {
  if (style == viewStyle_) return;
  viewStyle_ = style;
  static constexpr DWORD kStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  const LONG_PTR s = GetWindowLongPtrW(listView_, GWL_STYLE);
  SetWindowLongPtrW(listView_, GWL_STYLE, (s & ~LVS_TYPEMASK) | kStyles[static_cast<int>(style)]);
  UpdateCellGeometry();
  InvalidateRect(listView_, nullptr, TRUE);
}

void TImgListView::SetIconStyle(TIconStyle style) {
  if (style == iconStyle_) return;
  iconStyle_ = style;
  RebuildView();
}

void TImgListView::SetSortType(TSortTypeEx type) {
  if (type == sortType_) return;
  sortType_ = type;
  SortItems();
}

void TImgListView::SetDescend(bool descend) {
  if (descend == descend_) return;
  descend_ = descend;
  SortItems();
}

void TImgListView::SetSort(TSortTypeEx type, bool descend) {
  if (type == sortType_ && descend == descend_) return;
  sortType_ = type;
  descend_ = descend;
  SortItems();
}

void TImgListView::SetViewMode(TViewMode mode) {
  if (mode == viewMode_) return;
  viewMode_ = mode;
  if (mode == TViewMode::ivmFolder) {
    // Reopens the folder it showed.
    platform::UniqueIdList id = std::move(folderId_);
    folder_.reset();
    items_.SetFolder(nullptr);
    if (id) OpenFolderID(id.Get());
    return;
  }
  StopWatcher();
  CancelScan();
  if (thumbnails_) thumbnails_->CancelAll();
  ListView_SetItemCountEx(listView_, 0, 0);
  items_.SetFolder(nullptr);
  folder_ = std::make_unique<ShellFolder>(DesktopFolder(), desktopId_.Get(), Handle());
  ++generation_;
}

void TImgListView::SetColor(ColorValue color) {
  if (color == color_) return;
  color_ = color;
  ApplyColors();
  // The same as a rebuild, without the geometry: icon images carry the color.
  RebuildView();
}

void TImgListView::SetFontColor(ColorValue color) {
  fontColor_ = color;
  ApplyColors();
}

void TImgListView::ApplyColors() {
  ListView_SetBkColor(listView_, imaging::ResolveColor(color_));
  ListView_SetTextBkColor(listView_, imaging::ResolveColor(color_));
  ListView_SetTextColor(listView_, imaging::ResolveColor(fontColor_));
  InvalidateRect(listView_, nullptr, TRUE);
}

bool TImgListView::MultiSelect() const {
  return !(GetWindowLongPtrW(listView_, GWL_STYLE) & LVS_SINGLESEL);
}

void TImgListView::SetMultiSelect(bool on) {
  const LONG_PTR s = GetWindowLongPtrW(listView_, GWL_STYLE);
  SetWindowLongPtrW(listView_, GWL_STYLE, on ? s & ~LVS_SINGLESEL : s | LVS_SINGLESEL);
}

bool TImgListView::HideSelection() const {
  return !(GetWindowLongPtrW(listView_, GWL_STYLE) & LVS_SHOWSELALWAYS);
}

void TImgListView::SetHideSelection(bool on) {
  const LONG_PTR s = GetWindowLongPtrW(listView_, GWL_STYLE);
  SetWindowLongPtrW(listView_, GWL_STYLE, on ? s & ~LVS_SHOWSELALWAYS : s | LVS_SHOWSELALWAYS);
  InvalidateRect(listView_, nullptr, TRUE);
}

bool TImgListView::ReadOnly() const {
  return !(GetWindowLongPtrW(listView_, GWL_STYLE) & LVS_EDITLABELS);
}

void TImgListView::SetReadOnly(bool on) {
  const LONG_PTR s = GetWindowLongPtrW(listView_, GWL_STYLE);
  SetWindowLongPtrW(listView_, GWL_STYLE, on ? s & ~LVS_EDITLABELS : s | LVS_EDITLABELS);
}

// ---- geometry

void TImgListView::UpdateCellGeometry() {
  laidOut_ = true;
  if (iconStyle_ == TIconStyle::iisImage) {
    const CellSize image = PlaceholderSize(ViewImage, viewStyle_ == TViewStyle::vsIcon);
    HIMAGELIST old = placeholder_;
    placeholder_ = ImageList_Create(image.width, image.height, ILC_COLOR24, 0, 1);
    ListView_SetImageList(listView_, placeholder_, LVSIL_NORMAL);
    ListView_SetImageList(listView_, placeholder_, LVSIL_SMALL);
    if (old) ImageList_Destroy(old);
    if (viewStyle_ == TViewStyle::vsReport) {
      const int minimum = ReportFirstColumnMinWidth(ViewImage);
      if (ListView_GetColumnWidth(listView_, columnIndex_[0]) < minimum)
        ListView_SetColumnWidth(listView_, columnIndex_[0], minimum);
    }
  } else {
    ListView_SetImageList(listView_, SystemImages(true), LVSIL_NORMAL);
    ListView_SetImageList(listView_, SystemImages(false), LVSIL_SMALL);
    if (placeholder_) ImageList_Destroy(std::exchange(placeholder_, nullptr));
  }
  ApplyIconSpacing();
  if (viewStyle_ == TViewStyle::vsIcon || viewStyle_ == TViewStyle::vsSmallIcon)
    ListView_Arrange(listView_, LVA_DEFAULT);
  placedCount_ = items_.Count();
}

void TImgListView::FollowDpi(int dpi) {
  if (dpi == dpi_ || dpi <= 0) return;
  platform::UniqueGdiObject font = platform::SystemFontForDpi(platform::SystemFont::IconTitle, dpi);
  if (font) SendMessageW(listView_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
  font_ = std::move(font);
  for (int i = 0; i < 4; ++i) {
    ListView_SetColumnWidth(listView_, columnIndex_[i],
                            MulDiv(ListView_GetColumnWidth(listView_, columnIndex_[i]), dpi, dpi_));
  }
  dpi_ = dpi;
  UpdateCellGeometry();
  InvalidateRect(listView_, nullptr, TRUE);
}

void TImgListView::ApplyIconSpacing() {
  if (iconStyle_ == TIconStyle::iisImage) {
    // The cell keeps the thumbnail's pixels; the gaps between cells scale.
    const CellSize cell = CellSizeOf(ViewImage);
    ListView_SetIconSpacing(listView_, cell.width + platform::ScaleForDpi(View.IconSpacing.X, dpi_),
                            cell.height + platform::ScaleForDpi(View.IconSpacing.Y, dpi_));
  } else {
    ListView_SetIconSpacing(listView_, -1, -1);  // back to the list view's own spacing
  }
}

void TImgListView::ShowEntryCount(bool anew) {
  // Wine's list view gives owner-data icons their places only when it
  // arranges (on a size or spacing change, or when asked): entries beyond
  // the places it has would all be drawn on one spot. Those places stay
  // valid for every later list up to that length, so some are made beyond
  // the count: files that arrive later find theirs without the whole list
  // arranged again. Arranging with redrawing off skips invalidating (and
  // measuring) each item it moves, a second for a new folder of 10,000
  // pictures; a new count that brings or takes a scroll bar resizes the
  // list, which has Wine arrange it, so entries read anew get their count
  // with redrawing off and are arranged for the width they end with.
  const int count = items_.Count();
  const bool icons = viewStyle_ == TViewStyle::vsIcon || viewStyle_ == TViewStyle::vsSmallIcon;
  if (!icons || (!anew && count <= placedCount_)) {
    ListView_SetItemCountEx(listView_, count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    return;
  }
  const int places = count + std::max(256, count / 8);
  SendMessageW(listView_, WM_SETREDRAW, FALSE, 0);
  ListView_SetItemCountEx(listView_, places, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  ListView_Arrange(listView_, LVA_DEFAULT);
  ListView_SetItemCountEx(listView_, count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  SendMessageW(listView_, WM_SETREDRAW, TRUE, 0);
  placedCount_ = places;
}

// ---- folder

void TImgListView::BindInitialFolder() {
  if (viewMode_ != TViewMode::ivmFolder) return;
  // Until a folder is opened the view shows the desktop.
  folderId_ = CloneIdList(desktopId_.Get());
  folder_ = std::make_unique<ShellFolder>(DesktopFolder(), desktopId_.Get(), Handle());
  items_.SetFolder(folder_.get());
}

void TImgListView::OpenFolder(const std::wstring& path) {
  if (viewMode_ != TViewMode::ivmFolder) return;
  const platform::UniqueIdList id = ParseAbsolute(path);
  if (id) OpenFolderID(id.Get());
}

void TImgListView::OpenFolder(const std::string& ansiPath) {
  OpenFolder(platform::AnsiToWide(ansiPath));
}

void TImgListView::OpenFolderID(LPCITEMIDLIST absolute) {
  if (viewMode_ != TViewMode::ivmFolder || !absolute) return;
  platform::ComPtr<IShellFolder> desktop = DesktopFolder();
  if (!desktop) return;
  if (folderId_) {
    const HRESULT same = desktop->CompareIDs(0, folderId_.Get(), absolute);
    if (SUCCEEDED(same) && HRESULT_CODE(same) == 0) return;
  }
  StopWatcher();
  CancelScan();
  if (thumbnails_) thumbnails_->CancelAll();
  ListView_EnsureVisible(listView_, 0, FALSE);
  SetUpdating(true);
  ListView_SetItemCountEx(listView_, 0, 0);
  items_.Clear();
  ++generation_;
  SetUpdating(false);

  platform::ComPtr<IShellFolder> bound;
  if (ILIsEmpty(absolute)) {
    bound = desktop;
  } else if (FAILED(desktop->BindToObject(absolute, nullptr, IID_IShellFolder, bound.PutVoid())) || !bound) {
    // The old folder stays open, with its list empty until the next refresh.
    StartWatcher();
    return;
  }
  auto folder = std::make_unique<ShellFolder>(bound, absolute, Handle());
  items_.SetFolder(folder.get());
  folder_ = std::move(folder);
  folderId_ = CloneIdList(absolute);
  desktopPending_ = false;
  LayOutOnce();
  // The process's current folder is left alone: Windows would not let the
  // user remove or rename the folder while the program runs.
  Reenumerate();
  if (items_.Count() > 0) ListView_EnsureVisible(listView_, 0, FALSE);  // a new folder starts at its top
  StartWatcher();
}

std::wstring TImgListView::FolderPath() const {
  if (viewMode_ == TViewMode::ivmFile || !folderId_) return {};
  if (!ILIsEmpty(folderId_.Get())) {
    const std::wstring path = PathOfIdList(folderId_.Get());
    if (!path.empty()) return path;
  }
  platform::ComPtr<IShellFolder> desktop = DesktopFolder();
  return DisplayNameOf(desktop.Get(), folderId_.Get(), SHGDN_NORMAL);
}

void TImgListView::SetUpdating(bool on) { updating_ = on; }

TImgItems::EnumOptions TImgListView::EnumOptionsNow() const {
  TImgItems::EnumOptions options;
  options.flags = {View.DispTypes.Folders, View.DispTypes.NonFolders, View.DispTypes.Hidden};
  options.ext = platform::AnsiToWide(View.DispTypes.Ext.Get());
  return options;
}

void TImgListView::Reenumerate() {
  if (viewMode_ != TViewMode::ivmFolder || !created_ || !listView_ || !folder_ || desktopPending_) return;
  CancelScan();
  // No WM_SETREDRAW around it: switching redraw back on makes Wine's list
  // view lay out every item, labels and all; the updating flag and one
  // invalidation at the end keep the view from drawing half a list.
  SetUpdating(true);
  if (thumbnails_) thumbnails_->CancelAll();
  ListView_SetItemState(listView_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  dropHighlighted_ = -1;
  ListView_SetItemCountEx(listView_, 0, 0);
  items_.Clear();
  platform::ScopeExit finish([this]() noexcept {
    InvalidateRect(listView_, nullptr, TRUE);
    platform::Guarded([&] {
      if (OnChangeFolder) OnChangeFolder();
      if (OnItemCountChange) OnItemCountChange(items_.Count());
    });
    // A view nobody sees (the main window waiting in the notification area)
    // makes no thumbnails: its first painting asks for them. Thumbnails are
    // background work: a worker that cannot start now leaves the folder
    // listed all the same, and the next cell drawn asks again.
    if (thumbnails_ && IsWindowVisible(Handle())) platform::Guarded([&] { thumbnails_->Resume(); });
    SetUpdating(false);
  });
  const bool lookAhead = iconStyle_ == TIconStyle::iisImage && ViewImage.LookAhead;
  items_.Enumerate(EnumOptionsNow(), [&](TImgListItem& item) {
    if (lookAhead && thumbnails_ && !item.Image) thumbnails_->LookAhead(item);
  });
  ++generation_;
  ShowEntryCount(true);
  SortItems();
  if (items_.Count() > 0) ListView_SetItemState(listView_, 0, LVIS_FOCUSED, LVIS_FOCUSED);
  SelectionChanged();
}

void TImgListView::SortItems() {
  items_.Sort(sortType_, descend_, viewMode_);
  ++generation_;
  if (listView_) InvalidateRect(listView_, nullptr, TRUE);
}

void TImgListView::RebuildView() {
  if (!created_ || !listView_) return;
  if (updateDepth_ > 0) {
    rebuildPending_ = true;
    return;
  }
  SetUpdating(true);
  ListView_SetItemCountEx(listView_, 0, 0);
  if (thumbnails_) thumbnails_->CancelAll();
  iconImages_.clear();
  UpdateCellGeometry();
  Reenumerate();  // recreates every entry, so every image goes
  // The new geometry was measured and arranged while the list view held no
  // entries: its step (and, in the small-icon and list styles, the width
  // its names need) would stay the old one for the entries it holds now.
  ApplyIconSpacing();
  ShowEntryCount(true);
  SetUpdating(false);
}

void TImgListView::OpenParentFolder() {
  if (viewMode_ != TViewMode::ivmFolder || !folderId_ || ILIsEmpty(folderId_.Get())) return;
  platform::UniqueIdList parent = CloneIdList(folderId_.Get());
  ILRemoveLastID(parent.Get());  // directly under the desktop: the desktop's empty list
  OpenFolderID(parent.Get());
}

void TImgListView::ReloadFolder() {
  SetUpdating(true);
  if (thumbnails_) thumbnails_->CancelAll();
  // The shown files' records leave the on-disk thumbnail store (kept off by
  // the program), so that they are made anew.
  if (thumbnails_ && ViewImage.ImgUtil.AutoThumb) {
    std::vector<std::wstring> shown;
    for (int i = 0; i < items_.Count(); ++i) shown.push_back(items_[i].ParsingPath());
    platform::Guarded([&] { ViewImage.ImgUtil.Thumbnail.Remove(platform::PathsToAnsi(shown)); });
  }
  Reenumerate();
}

void TImgListView::HoldRefresh(bool hold) {
  refreshHeld_ = hold;
  if (hold || !refreshMissed_) return;
  refreshMissed_ = false;
  RefreshFolder();
}

void TImgListView::StartWatcher() {
  StopWatcher();
  if (!created_ || viewMode_ != TViewMode::ivmFolder || !ShellChangeNotification.Enabled || !folderId_)
    return;
  const std::wstring path = PathOfIdList(folderId_.Get());
  if (path.empty()) return;
  watcher_ = std::make_unique<ChangeWatcher>(path, NotifyFilter(ShellChangeNotification.NotifyTypes),
                                             Handle(), kWatcherChange, ++watcherTag_);
}

void TImgListView::StopWatcher() { watcher_.reset(); }

// ---- selection

int TImgListView::SelCount() const { return ListView_GetSelectedCount(listView_); }

std::vector<int> TImgListView::SelectedIndices() const {
  std::vector<int> indices;
  for (int i = ListView_GetNextItem(listView_, -1, LVNI_SELECTED); i >= 0 && i < items_.Count();
       i = ListView_GetNextItem(listView_, i, LVNI_SELECTED))
    indices.push_back(i);
  return indices;
}

TImgListItem* TImgListView::Selected() {
  const int i = ListView_GetNextItem(listView_, -1, LVNI_SELECTED);
  return i >= 0 && i < items_.Count() ? &items_[i] : nullptr;
}

std::vector<TImgListItem*> TImgListView::Selection() {
  std::vector<TImgListItem*> selection;
  for (int i : SelectedIndices()) selection.push_back(&items_[i]);
  return selection;
}

void TImgListView::SelectAll() {
  if (MultiSelect()) ListView_SetItemState(listView_, -1, LVIS_SELECTED, LVIS_SELECTED);
}

void TImgListView::InvertSelection() {
  const int count = items_.Count();
  std::vector<bool> selected(static_cast<size_t>(count));
  for (int i : SelectedIndices()) selected[static_cast<size_t>(i)] = true;
  for (int i = 0; i < count; ++i)
    ListView_SetItemState(listView_, i, selected[i] ? 0 : LVIS_SELECTED, LVIS_SELECTED);
}

void TImgListView::Select(int index, bool selected) {
  ListView_SetItemState(listView_, index, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

int TImgListView::FocusedIndex() const { return ListView_GetNextItem(listView_, -1, LVNI_FOCUSED); }

void TImgListView::SelectionChanged() {
  // Selecting all of many entries changes each one: the hook runs once after.
  if (selectionChangePosted_) return;
  selectionChangePosted_ = PostMessageW(Handle(), kSelectionChanged, 0, 0) != FALSE;
}

// ---- images

std::shared_ptr<const imaging::Bitmap> TImgListView::IconImage(TImgListItem& item) {
  const std::pair<int, int> key{item.OverlayIndex(), item.IconIndex()};
  if (viewMode_ == TViewMode::ivmFolder) {
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
  platform::UniqueGdiObject brush(CreateSolidBrush(imaging::ResolveColor(ViewImage.ImgUtil.BKColor)));
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
  if (ViewImage.BigIcon) imaging::ResampleTo(*image, ViewImage.BigIconSize, ViewImage.BigIconSize);
  if (viewMode_ == TViewMode::ivmFolder) iconImages_[key] = image;
  return image;
}

const imaging::Bitmap* TImgListView::CellImage(TImgListItem& item) {
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

// ---- messages

LRESULT CALLBACK TImgListView::ListViewProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                                       UINT_PTR, DWORD_PTR self) {
  auto* view = reinterpret_cast<TImgListView*>(self);
  bool handled = false;
  const LRESULT result =
      platform::Guarded<LRESULT>(0, [&] { return view->ListViewMessage(message, wParam, lParam, handled); });
  return handled ? result : DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT TImgListView::ListViewMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (LOWORD(wParam) == SB_ENDSCROLL) {
        // Requests skipped while scrolling are answered now.
        scrolling_ = false;
        InvalidateRect(listView_, nullptr, FALSE);
      } else if (!scrolling_) {
        scrolling_ = true;
        selectedAtScrollStart_ = ListView_GetNextItem(listView_, -1, LVNI_SELECTED);
      }
      break;
    case WM_KEYUP:
      if (OnKeyUp) OnKeyUp(static_cast<WORD>(wParam));
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (OnMouseDown) OnMouseDown();
      break;
    default:
      break;
  }
  handled = false;
  return 0;
}

LRESULT TImgListView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT menuResult = 0;
  if (ForwardMenuMessage(message, wParam, lParam, menuResult)) return menuResult;
  switch (message) {
    case WM_SIZE:
      if (listView_) {
        MoveWindow(listView_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        placedCount_ = items_.Count();  // the list view arranged what it has for its new width
      }
      return 0;
    case WM_SETFOCUS:
      if (listView_) SetFocus(listView_);
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header && header->hwndFrom == listView_) return OnNotify(*header);
      break;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == listView_) {
        OnContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
      }
      break;
    case kWatcherChange:
      if (wParam == watcherTag_ && watcher_) {
        watcher_->Acknowledge();
        if (refreshHeld_) {
          refreshMissed_ = true;
        } else {
          StartScan();
        }
      }
      return 0;
    case kFolderListed:
      if (wParam == scanTag_ && scan_) OnFolderListed();
      return 0;
    case kInitialLayout:
      LayOutOnce();
      if (desktopPending_) {
        desktopPending_ = false;
        Reenumerate();
        StartWatcher();
      }
      return 0;
    case kSelectionChanged:
      selectionChangePosted_ = false;
      if (OnSelectionChange) OnSelectionChange();
      return 0;
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

LRESULT TImgListView::OnNotify(NMHDR& header) {
  switch (header.code) {
    case LVN_GETDISPINFOW:
      Timed(requestStats_, [&] { OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW&>(header)); });
      return 0;
    case NM_CUSTOMDRAW:
      return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<NMLISTVIEW&>(header);
      if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED))
        SelectionChanged();
      return 0;
    }
    case LVN_ODSTATECHANGED:
      SelectionChanged();
      return 0;
    case LVN_KEYDOWN:
      OnKeyDownNotify(reinterpret_cast<NMLVKEYDOWN&>(header).wVKey);
      return 0;
    case LVN_BEGINLABELEDITW:
      return OnBeginLabelEdit(reinterpret_cast<NMLVDISPINFOW&>(header)) ? FALSE : TRUE;
    case LVN_ENDLABELEDITW:
      OnEndLabelEdit(reinterpret_cast<NMLVDISPINFOW&>(header));
      return FALSE;  // the entry renamed itself; the list view keeps nothing
    case LVN_COLUMNCLICK:
      OnColumnClick(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
      return 0;
    case LVN_ITEMACTIVATE: {
      const int index = reinterpret_cast<NMITEMACTIVATE&>(header).iItem;
      if (DefaultExec.DblClick && index >= 0 && index < items_.Count()) Open(items_[index]);
      return 0;
    }
    case NM_DBLCLK:
      if (OnDblClick) OnDblClick();
      return 0;
    case LVN_BEGINDRAG:
      BeginDrag();
      return 0;
    case LVN_ODFINDITEMW:
      return OnFindItem(reinterpret_cast<NMLVFINDITEMW&>(header));
    default:
      return 0;
  }
}

void TImgListView::OnGetDispInfo(NMLVDISPINFOW& info) {
  LVITEMW& item = info.item;
  if (updating_ || item.iItem < 0 || item.iItem >= items_.Count()) return;
  if (scrolling_ && item.iItem != selectedAtScrollStart_) {
    // While the scroll bar moves, only what drawing needs is answered.
    UINT allowed = LVIF_TEXT | LVIF_IMAGE;
    if (viewStyle_ == TViewStyle::vsReport) allowed |= LVIF_INDENT;
    if (item.mask & ~allowed) return;
  }
  TImgListItem& entry = items_[item.iItem];
  if (item.mask & LVIF_TEXT) {
    switch (item.iSubItem) {
      case 0:
        CopyText(View.ShowCaptions ? entry.DisplayName() : std::wstring_view(), item);
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
    item.iImage = iconStyle_ == TIconStyle::iisImage ? I_IMAGENONE : entry.IconIndex();
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

LRESULT TImgListView::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return (iconStyle_ == TIconStyle::iisImage || OnCustomDrawItem) ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
    case CDDS_ITEMPOSTPAINT: {
      const int index = static_cast<int>(draw.nmcd.dwItemSpec);
      if (updating_ || index < 0 || index >= items_.Count()) return CDRF_DODEFAULT;
      RECT icon{};
      icon.left = LVIR_ICON;
      if (!SendMessageW(listView_, LVM_GETITEMRECT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(&icon)))
        return CDRF_DODEFAULT;
      if (iconStyle_ == TIconStyle::iisImage)
        Timed(drawStats_, [&] { DrawCell(draw.nmcd.hdc, index, icon); });
      if (OnCustomDrawItem) OnCustomDrawItem(draw.nmcd.hdc, index, icon);
      return CDRF_DODEFAULT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

CellRect TImgListView::CellAt(const RECT& icon) const {
  const CellSize size = CellSizeOf(ViewImage);
  CellRect cell;
  cell.left = icon.left + (icon.right - icon.left - size.width) / 2;
  cell.top = icon.top + std::max(0L, (icon.bottom - icon.top - size.height) / 2);
  cell.right = cell.left + size.width;
  cell.bottom = cell.top + size.height;
  return cell;
}

void TImgListView::DrawCell(HDC dc, int index, const RECT& icon) {
  const CellRect cell = CellAt(icon);
  // The selection from the list view's own record: asking for the item's
  // state while it paints answers stale bits under Wine.
  const bool marked =
      ListView_GetNextItem(listView_, index - 1, LVNI_SELECTED) == index || index == dropHighlighted_;
  const bool selected = (GetFocus() == listView_ || !HideSelection()) && marked;
  for (const CellFill& fill : CellDecoration(ViewImage, cell, selected)) {
    const RECT r{fill.rect.left, fill.rect.top, fill.rect.right, fill.rect.bottom};
    if (fill.color & imaging::kSystemColorFlag) {
      FillRect(dc, &r, GetSysColorBrush(static_cast<int>(fill.color & 0xFF)));
    } else {
      platform::UniqueGdiObject brush(CreateSolidBrush(fill.color & 0xFFFFFF));
      FillRect(dc, &r, static_cast<HBRUSH>(brush.Get()));
    }
  }
  const imaging::Bitmap* image = CellImage(items_[index]);
  if (!image || image->Empty()) return;
  const ImagePlacement place = PlaceImage(ViewImage, cell, image->Width(), image->Height());
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, place.target.left, place.target.top, place.target.right, place.target.bottom);
  DrawBitmap(dc, place.target.left - place.sourceX, place.target.top - place.sourceY, *image);
  RestoreDC(dc, saved);
}

void TImgListView::OnColumnClick(int column) {
  if (!DefaultExec.ColumnSort) return;
  for (int kind = 0; kind < 4; ++kind) {
    if (columnIndex_[kind] != column) continue;
    const auto type = static_cast<TSortTypeEx>(kind);
    if (type == sortType_)
      SetDescend(!descend_);
    else
      SetSortType(type);
    return;
  }
}

int TImgListView::OnFindItem(NMLVFINDITEMW& find) {
  // Typing a name's first letters moves to it.
  if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
  const std::wstring_view wanted(find.lvfi.psz);
  const int count = items_.Count();
  if (count == 0 || wanted.empty()) return -1;
  const int start = std::clamp(find.iStart, 0, count - 1);
  for (int n = 0; n < count; ++n) {
    const int i = (start + n) % count;
    const std::wstring_view name = items_[i].DisplayName();
    if (name.size() >= wanted.size() &&
        CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name.data(), static_cast<int>(wanted.size()),
                       wanted.data(), static_cast<int>(wanted.size())) == CSTR_EQUAL)
      return i;
    if (!(find.lvfi.flags & LVFI_WRAP) && i == count - 1) break;
  }
  return -1;
}

}  // namespace tapestrel::browser
