// The view's window: its list view control, styles and layout, opening
// folders, the selection, and the messages it hands to its parts.
#include "browser/win32/img_list_view.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <stdexcept>

#include "browser/win32/list_view_state.h"
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
constexpr UINT kSelectionChanged = WM_APP + 2;
constexpr UINT kInitialLayout = WM_APP + 3;
constexpr UINT_PTR kListViewSubclass = 1;

bool KeyDown(int key) { return GetKeyState(key) < 0; }

}  // namespace

HWND TImgListView::CreateControls(HWND parent) {
  Create(kViewClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, 0, 0, 100, 100,
         parent, nullptr);
  HWND list = CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_OWNERDATA | LVS_ICON | LVS_AUTOARRANGE |
          LVS_SHAREIMAGELISTS | LVS_EDITLABELS | LVS_SINGLESEL,
      0, 0, 100, 100, Handle(), reinterpret_cast<HMENU>(1), GetModuleHandleW(nullptr), nullptr);
  if (!list) throw std::runtime_error("cannot create the thumbnail view");
  return list;
}

TImgListView::TImgListView(HWND parent)
    : listView_(CreateControls(parent)),
      entries_(Handle(), kWatcherChange, kFolderListed),
      painter_(listView_, entries_, ViewImage, View, OnCustomDrawItem),
      verbs_(Handle(), listView_, entries_, painter_, DefaultExec, ImgPopupMenu, *this,
             [this](LPCITEMIDLIST absolute) { OpenFolderID(absolute); }) {
  partsMade_ = true;
  SetWindowSubclass(listView_, &TImgListView::ListViewProcedure, kListViewSubclass,
                    reinterpret_cast<DWORD_PTR>(this));
  ListView_SetExtendedListViewStyle(listView_, LVS_EX_DOUBLEBUFFER);
  ListView_SetCallbackMask(listView_, LVIS_OVERLAYMASK);
  dpi_ = platform::WindowDpi(listView_);
  CreateColumns();
  HookOptions();
  created_ = true;
  entries_.AllowWatching();
  ApplyColors();
  entries_.ShowDesktop();
  verbs_.RegisterDropTarget(DefaultExec.DropTarget);
  // The desktop is read, laid out and watched once the messages run: an
  // owner that opens its own folder and sets its own options right away (as
  // the main window does while it starts) spares the shell that work, and
  // the program a watch that would end at once.
  PostMessageW(Handle(), kInitialLayout, 0, 0);
}

void TImgListView::LayOutOnce() {
  if (laidOut_) return;
  laidOut_ = true;
  UpdateCellGeometry();
}

TImgListView::~TImgListView() {
  entries_.StopWatching();
  entries_.CancelListing();
  if (Thumbnails()) Thumbnails()->CancelAll();
  verbs_.RegisterDropTarget(false);
  RemoveWindowSubclass(listView_, &TImgListView::ListViewProcedure, kListViewSubclass);
  ListView_SetItemCountEx(listView_, 0, 0);
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
  DefaultExec.OnChange = [this] { verbs_.RegisterDropTarget(DefaultExec.DropTarget); };
  ShellChangeNotification.OnChange = [this] {
    entries_.SetWatching(ShellChangeNotification.Enabled, ShellChangeNotification.NotifyTypes);
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
  if (style == painter_.look.viewStyle) return;
  painter_.look.viewStyle = style;
  static constexpr DWORD kStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  const LONG_PTR s = GetWindowLongPtrW(listView_, GWL_STYLE);
  SetWindowLongPtrW(listView_, GWL_STYLE, (s & ~LVS_TYPEMASK) | kStyles[static_cast<int>(style)]);
  UpdateCellGeometry();
  InvalidateRect(listView_, nullptr, TRUE);
}

void TImgListView::SetIconStyle(TIconStyle style) {
  if (style == painter_.look.iconStyle) return;
  painter_.look.iconStyle = style;
  RebuildView();
}

void TImgListView::SetSortType(TSortTypeEx type) { SetSort(type, Descend()); }

void TImgListView::SetDescend(bool descend) { SetSort(SortType(), descend); }

void TImgListView::SetSort(TSortTypeEx type, bool descend) {
  if (type == SortType() && descend == Descend()) return;
  entries_.SetOrder(type, descend);
  SortItems();
}

void TImgListView::SetViewMode(TViewMode mode) {
  if (mode == ViewMode()) return;
  if (mode == TViewMode::ivmFolder) {
    // Reopens the folder it showed.
    const platform::UniqueIdList id = entries_.LeaveFiles();
    if (id) OpenFolderID(id.Get());
    return;
  }
  if (Thumbnails()) Thumbnails()->CancelAll();
  ListView_SetItemCountEx(listView_, 0, 0);
  entries_.ShowFiles();
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
  painter_.look.hideSelection = on;
  InvalidateRect(listView_, nullptr, TRUE);
}

// ---- geometry

void TImgListView::UpdateCellGeometry() {
  laidOut_ = true;
  if (painter_.look.iconStyle == TIconStyle::iisImage) {
    const CellSize image = PlaceholderSize(ViewImage, painter_.look.viewStyle == TViewStyle::vsIcon);
    HIMAGELIST old = placeholder_;
    placeholder_ = ImageList_Create(image.width, image.height, ILC_COLOR24, 0, 1);
    ListView_SetImageList(listView_, placeholder_, LVSIL_NORMAL);
    ListView_SetImageList(listView_, placeholder_, LVSIL_SMALL);
    if (old) ImageList_Destroy(old);
    if (painter_.look.viewStyle == TViewStyle::vsReport) {
      const int minimum = ReportFirstColumnMinWidth(ViewImage);
      if (ListView_GetColumnWidth(listView_, columnIndex_[0]) < minimum)
        ListView_SetColumnWidth(listView_, columnIndex_[0], minimum);
    }
  } else {
    ListView_SetImageList(listView_, painter_.SystemImages(true), LVSIL_NORMAL);
    ListView_SetImageList(listView_, painter_.SystemImages(false), LVSIL_SMALL);
    if (placeholder_) ImageList_Destroy(std::exchange(placeholder_, nullptr));
  }
  ApplyIconSpacing();
  if (painter_.look.viewStyle == TViewStyle::vsIcon || painter_.look.viewStyle == TViewStyle::vsSmallIcon)
    ListView_Arrange(listView_, LVA_DEFAULT);
  placedCount_ = entries_.Count();
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
  if (painter_.look.iconStyle == TIconStyle::iisImage) {
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
  const int count = entries_.Count();
  const bool icons =
      painter_.look.viewStyle == TViewStyle::vsIcon || painter_.look.viewStyle == TViewStyle::vsSmallIcon;
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

void TImgListView::OpenFolder(const std::wstring& path) {
  if (!entries_.ShowsFolder()) return;
  const platform::UniqueIdList id = ParseAbsolute(path);
  if (id) OpenFolderID(id.Get());
}

void TImgListView::OpenFolder(const std::string& ansiPath) { OpenFolder(platform::AnsiToWide(ansiPath)); }

void TImgListView::OpenFolderID(LPCITEMIDLIST absolute) {
  if (!entries_.ShowsFolder() || !absolute || !DesktopFolder() || entries_.Shows(absolute)) return;
  entries_.StopWatching();
  entries_.CancelListing();
  if (Thumbnails()) Thumbnails()->CancelAll();
  ListView_EnsureVisible(listView_, 0, FALSE);
  SetUpdating(true);
  ListView_SetItemCountEx(listView_, 0, 0);
  entries_.Clear();
  SetUpdating(false);
  if (!entries_.Open(absolute)) {
    // The old folder stays open, with its list empty until the next refresh.
    entries_.Watch();
    return;
  }
  desktopPending_ = false;
  LayOutOnce();
  // The process's current folder is left alone: Windows would not let the
  // user remove or rename the folder while the program runs.
  Reenumerate();
  if (entries_.Count() > 0) ListView_EnsureVisible(listView_, 0, FALSE);  // a new folder starts at its top
  entries_.Watch();
}

TImgItems::EnumOptions TImgListView::EnumOptionsNow() const {
  TImgItems::EnumOptions options;
  options.flags = {View.DispTypes.Folders, View.DispTypes.NonFolders, View.DispTypes.Hidden};
  options.ext = platform::AnsiToWide(View.DispTypes.Ext.Get());
  return options;
}

void TImgListView::Reenumerate() {
  if (!entries_.ShowsFolder() || !created_ || !entries_.Folder() || desktopPending_) return;
  entries_.CancelListing();
  // No WM_SETREDRAW around it: switching redraw back on makes Wine's list
  // view lay out every item, labels and all; the updating flag and one
  // invalidation at the end keep the view from drawing half a list.
  SetUpdating(true);
  ThumbnailSource* thumbnails = Thumbnails();
  if (thumbnails) thumbnails->CancelAll();
  ListView_SetItemState(listView_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  painter_.dropHighlighted = -1;
  ListView_SetItemCountEx(listView_, 0, 0);
  entries_.Clear();
  platform::ScopeExit finish([this, thumbnails]() noexcept {
    InvalidateRect(listView_, nullptr, TRUE);
    platform::Guarded([&] {
      if (OnChangeFolder) OnChangeFolder();
      if (OnItemCountChange) OnItemCountChange(entries_.Count());
    });
    // A view nobody sees (the main window waiting in the notification area)
    // makes no thumbnails: its first painting asks for them. Thumbnails are
    // background work: a worker that cannot start now leaves the folder
    // listed all the same, and the next cell drawn asks again.
    if (thumbnails && IsWindowVisible(Handle())) platform::Guarded([&] { thumbnails->Resume(); });
    SetUpdating(false);
  });
  const bool lookAhead = IconStyle() == TIconStyle::iisImage && ViewImage.LookAhead;
  entries_.Enumerate(EnumOptionsNow(), [&](TImgListItem& item) {
    if (lookAhead && thumbnails && !item.Image) thumbnails->LookAhead(item);
  });
  ShowEntryCount(true);
  SortItems();
  if (entries_.Count() > 0) ListView_SetItemState(listView_, 0, LVIS_FOCUSED, LVIS_FOCUSED);
  SelectionChanged();
}

void TImgListView::SortItems() {
  entries_.Sort();
  InvalidateRect(listView_, nullptr, TRUE);
}

void TImgListView::RebuildView() {
  if (!created_) return;
  if (updateDepth_ > 0) {
    rebuildPending_ = true;
    return;
  }
  SetUpdating(true);
  ListView_SetItemCountEx(listView_, 0, 0);
  if (Thumbnails()) Thumbnails()->CancelAll();
  painter_.ForgetIconImages();
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
  LPCITEMIDLIST folder = entries_.FolderId();
  if (!entries_.ShowsFolder() || !folder || ILIsEmpty(folder)) return;
  platform::UniqueIdList parent = CloneIdList(folder);
  ILRemoveLastID(parent.Get());  // directly under the desktop: the desktop's empty list
  OpenFolderID(parent.Get());
}

void TImgListView::ReloadFolder() {
  SetUpdating(true);
  ThumbnailSource* thumbnails = Thumbnails();
  if (thumbnails) thumbnails->CancelAll();
  // The shown files' records leave the on-disk thumbnail store (kept off by
  // the program), so that they are made anew.
  if (thumbnails && ViewImage.ImgUtil.AutoThumb) {
    std::vector<std::wstring> shown;
    for (int i = 0; i < entries_.Count(); ++i) shown.push_back(entries_.Items()[i].ParsingPath());
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

// ---- selection

int TImgListView::SelCount() const { return ListView_GetSelectedCount(listView_); }

std::vector<int> TImgListView::SelectedIndices() const {
  return browser::SelectedIndices(listView_, entries_.Count());
}

TImgListItem* TImgListView::Selected() {
  return entries_.At(ListView_GetNextItem(listView_, -1, LVNI_SELECTED));
}

std::vector<TImgListItem*> TImgListView::Selection() {
  std::vector<TImgListItem*> selection;
  for (int i : SelectedIndices()) selection.push_back(&entries_.Items()[i]);
  return selection;
}

void TImgListView::SelectAll() {
  if (MultiSelect()) ListView_SetItemState(listView_, -1, LVIS_SELECTED, LVIS_SELECTED);
}

void TImgListView::InvertSelection() {
  const int count = entries_.Count();
  std::vector<bool> selected(static_cast<size_t>(count));
  for (int i : SelectedIndices()) selected[static_cast<size_t>(i)] = true;
  for (int i = 0; i < count; ++i)
    ListView_SetItemState(listView_, i, selected[i] ? 0 : LVIS_SELECTED, LVIS_SELECTED);
}

void TImgListView::Select(int index, bool selected) {
  ListView_SetItemState(listView_, index, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

int TImgListView::FocusedIndex() const { return browser::FocusedIndex(listView_); }

void TImgListView::SelectionChanged() {
  // Selecting all of many entries changes each one: the hook runs once after.
  if (selectionChangePosted_) return;
  selectionChangePosted_ = PostMessageW(Handle(), kSelectionChanged, 0, 0) != FALSE;
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
      painter_.OnScroll(LOWORD(wParam));
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
  if (!partsMade_) return Default(message, wParam, lParam);
  LRESULT menuResult = 0;
  if (verbs_.ForwardMenuMessage(message, wParam, lParam, menuResult)) return menuResult;
  switch (message) {
    case WM_SIZE:
      MoveWindow(listView_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      placedCount_ = entries_.Count();  // the list view arranged what it has for its new width
      return 0;
    case WM_SETFOCUS:
      SetFocus(listView_);
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header && header->hwndFrom == listView_) return OnNotify(*header);
      break;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == listView_) {
        verbs_.ShowContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
      }
      break;
    case kWatcherChange:
      if (entries_.TakeChange(wParam)) {
        if (refreshHeld_) {
          refreshMissed_ = true;
        } else {
          StartScan();
        }
      }
      return 0;
    case kFolderListed:
      OnFolderListed(wParam);
      return 0;
    case kInitialLayout:
      LayOutOnce();
      if (desktopPending_) {
        desktopPending_ = false;
        Reenumerate();
        entries_.Watch();
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
      painter_.OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW&>(header));
      return 0;
    case NM_CUSTOMDRAW:
      return painter_.OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
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
      return verbs_.OnBeginLabelEdit(reinterpret_cast<NMLVDISPINFOW&>(header)) ? FALSE : TRUE;
    case LVN_ENDLABELEDITW:
      verbs_.OnEndLabelEdit(reinterpret_cast<NMLVDISPINFOW&>(header));
      return FALSE;  // the entry renamed itself; the list view keeps nothing
    case LVN_COLUMNCLICK:
      OnColumnClick(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
      return 0;
    case LVN_ITEMACTIVATE: {
      const int index = reinterpret_cast<NMITEMACTIVATE&>(header).iItem;
      TImgListItem* item = entries_.At(index);
      if (DefaultExec.DblClick && item) Open(*item);
      return 0;
    }
    case NM_DBLCLK:
      if (OnDblClick) OnDblClick();
      return 0;
    case LVN_BEGINDRAG:
      verbs_.BeginDrag();
      return 0;
    case LVN_ODFINDITEMW:
      return OnFindItem(reinterpret_cast<NMLVFINDITEMW&>(header));
    default:
      return 0;
  }
}

bool TImgListView::OnKeyDownNotify(WORD key) {
  bool handled = false;
  if (OnKeyDown) OnKeyDown(key, handled);
  if (handled) return true;
  const bool ctrl = KeyDown(VK_CONTROL), shift = KeyDown(VK_SHIFT), alt = KeyDown(VK_MENU);
  if (!ctrl && !shift && !alt) {
    if (key == VK_DELETE) return verbs_.InvokeVerb("delete");
    if (key == VK_F2) return verbs_.BeginRename();
    return false;
  }
  if (!ctrl || shift || alt) return false;
  switch (key) {
    case 'A':
      SelectAll();
      return true;
    case 'I':
      InvertSelection();
      return true;
    case 'C':
      return verbs_.InvokeVerb("copy");
    case 'X':
      return verbs_.InvokeVerb("cut");
    case 'V':
      return verbs_.InvokeVerb("paste");
    default:
      return false;
  }
}

void TImgListView::OnColumnClick(int column) {
  if (!DefaultExec.ColumnSort) return;
  for (int kind = 0; kind < 4; ++kind) {
    if (columnIndex_[kind] != column) continue;
    const auto type = static_cast<TSortTypeEx>(kind);
    if (type == SortType())
      SetDescend(!Descend());
    else
      SetSortType(type);
    return;
  }
}

int TImgListView::OnFindItem(NMLVFINDITEMW& find) {
  // Typing a name's first letters moves to it.
  if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
  const std::wstring_view wanted(find.lvfi.psz);
  const int count = entries_.Count();
  if (count == 0 || wanted.empty()) return -1;
  const int start = std::clamp(find.iStart, 0, count - 1);
  for (int n = 0; n < count; ++n) {
    const int i = (start + n) % count;
    const std::wstring_view name = entries_.Items()[i].DisplayName();
    if (name.size() >= wanted.size() &&
        CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name.data(), static_cast<int>(wanted.size()),
                       wanted.data(), static_cast<int>(wanted.size())) == CSTR_EQUAL)
      return i;
    if (!(find.lvfi.flags & LVFI_WRAP) && i == count - 1) break;
  }
  return -1;
}

}  // namespace tapestrel::browser
