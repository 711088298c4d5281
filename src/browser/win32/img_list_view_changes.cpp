// The view following its folder's changes without losing the user's place:
// the folder's present listing is compared with the entries and only the
// entries of the files that changed are made, moved or dropped.
#include <algorithm>
#include <unordered_set>
#include <utility>

#include "browser/extension_filter.h"
#include "browser/win32/img_list_view.h"
#include "platform/error_guard.h"

namespace tapestrel::browser {
namespace {

RECT ItemBounds(HWND list, int index) {
  RECT r{};
  r.left = LVIR_BOUNDS;
  if (!SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r))) return {};
  return r;
}

// The size and time an item ID list carries, as the listing compares them.
bool SameContent(ShellFolderPort& folder, ShellItemId* id, TImgListItem& item) {
  const std::optional<ItemFileData> data = folder.FileData(id);
  if (!data) return false;
  const uint32_t when = (static_cast<uint32_t>(data->dosDate) << 16) | data->dosTime;
  return static_cast<uint32_t>(data->size) == static_cast<uint32_t>(item.FileSize()) && when == item.DosDateTime();
}

std::wstring FileSystemPathOf(LPCITEMIDLIST folder) {
  return folder && !ILIsEmpty(folder) ? PathOfIdList(folder) : std::wstring();
}

}  // namespace

void TImgListView::RefreshFolder() {
  if (viewMode_ != TViewMode::ivmFolder || !created_ || !listView_ || !folder_ || desktopPending_) return;
  CancelScan();  // this listing is the newer
  const std::wstring path = items_.Count() > 0 ? FileSystemPathOf(folderId_.Get()) : std::wstring();
  std::vector<ListedFile> files;
  if (path.empty() || !ListFolder(path, files) || !UpdateFromListing(files)) Reenumerate();
}

void TImgListView::StartScan() {
  if (scan_) {
    rescanPending_ = true;  // once this listing is in
    return;
  }
  const std::wstring path = items_.Count() > 0 ? FileSystemPathOf(folderId_.Get()) : std::wstring();
  if (path.empty()) {
    Reenumerate();  // nothing to keep, or no file-system folder to list
    return;
  }
  scan_ = std::make_unique<FolderScan>(path, Handle(), kFolderListed, ++scanTag_);
}

void TImgListView::CancelScan() {
  scan_.reset();
  rescanPending_ = false;
}

void TImgListView::OnFolderListed() {
  std::vector<ListedFile> files;
  const bool listed = scan_->Take(files);
  scan_.reset();
  const bool again = std::exchange(rescanPending_, false);
  if (!listed || !UpdateFromListing(files)) Reenumerate();
  if (again) StartScan();
}

bool TImgListView::UpdateFromListing(const std::vector<ListedFile>& files) {
  if (!folder_) return false;
  const TImgItems::EnumOptions options = EnumOptionsNow();
  const FolderChanges changes = FindChanges(items_, files, options);
  if (changes.Empty()) return true;
  const bool readNames = ExtensionFilter(options.ext).Active();  // as the enumeration does
  const Place place = RememberPlace();
  const TImgItems::SortOrder order{sortType_, descend_, viewMode_};
  std::vector<TImgListItem*> gone = changes.removed;
  items_.Remove(changes.removed);
  std::vector<TImgListItem*> fresh, failed;
  for (const auto& [item, file] : changes.rewritten) {
    ShellItemId* id = folder_->ParseChild(file->name);
    if (!id) {
      failed.push_back(item);
    } else if (SameContent(*folder_, id, *item)) {
      folder_->Free(id);  // the listing's clock and the shell's disagree, not the file
    } else {
      items_.Renew(*item, id);
      if (readNames) item->ParsingPath();
      fresh.push_back(item);
    }
  }
  for (const auto& [item, file] : changes.renamed) {
    ShellItemId* id = folder_->ParseChild(file->name);
    if (!id) {
      failed.push_back(item);
      continue;
    }
    items_.Rename(*item, id, order);
    if (readNames) item->ParsingPath();
  }
  for (const ListedFile* file : changes.added) {
    ShellItemId* id = folder_->ParseChild(file->name);
    if (!id) continue;  // gone again already
    TImgListItem& item = items_.Insert(id, order);
    if (readNames) item.ParsingPath();
    if (!item.IsFolder()) fresh.push_back(&item);
  }
  items_.Remove(failed);
  gone.insert(gone.end(), failed.begin(), failed.end());
  ++generation_;

  ShowEntryCount(false);
  if (dropHighlighted_ >= items_.Count()) dropHighlighted_ = -1;
  RestorePlace(place, gone);
  InvalidateRect(listView_, nullptr, TRUE);
  if (thumbnails_) {
    if (iconStyle_ == TIconStyle::iisImage && ViewImage.LookAhead) {
      for (TImgListItem* item : fresh) thumbnails_->LookAhead(*item);
    }
    if (IsWindowVisible(Handle())) platform::Guarded([&] { thumbnails_->Resume(); });
  }
  platform::Guarded([&] {
    if (OnChangeFolder) OnChangeFolder();
    if (OnItemCountChange) OnItemCountChange(items_.Count());
  });
  return true;
}

int TImgListView::FirstVisibleIndex() const {
  // Entries are laid out in order: along rows, or down columns in the list style.
  const int count = items_.Count();
  const bool columns = viewStyle_ == TViewStyle::vsList;
  int lo = 0, hi = count;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    const RECT r = ItemBounds(listView_, mid);
    if ((columns ? r.right : r.bottom) > 0)
      hi = mid;
    else
      lo = mid + 1;
  }
  return lo < count ? lo : -1;
}

TImgListView::Place TImgListView::RememberPlace() {
  Place place;
  const int count = items_.Count();
  for (int i : SelectedIndices()) place.selected.push_back(&items_[i]);
  const auto at = [&](int i) { return i >= 0 && i < count ? &items_[i] : nullptr; };
  place.focused = at(FocusedIndex());
  place.mark = at(ListView_GetSelectionMark(listView_));
  const int top = FirstVisibleIndex();
  place.top = at(top);
  if (place.top) place.topRect = ItemBounds(listView_, top);
  return place;
}

void TImgListView::RestorePlace(const Place& place, const std::vector<TImgListItem*>& goneList) {
  const std::unordered_set<const TImgListItem*> gone(goneList.begin(), goneList.end());
  const auto indexOf = [&](const TImgListItem* item) {
    return !item || gone.count(item) ? -1 : items_.IndexOf(*item);
  };
  std::vector<int> selected;
  for (const TImgListItem* item : place.selected) {
    const int i = indexOf(item);
    if (i >= 0) selected.push_back(i);
  }
  std::sort(selected.begin(), selected.end());
  int focused = indexOf(place.focused);
  if (focused < 0 && !place.focused && items_.Count() > 0) focused = 0;  // as a folder read anew
  if (selected != SelectedIndices() || focused != FocusedIndex()) {
    ListView_SetItemState(listView_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (!selected.empty() && selected.size() == static_cast<size_t>(items_.Count())) {
      ListView_SetItemState(listView_, -1, LVIS_SELECTED, LVIS_SELECTED);
    } else {
      for (int i : selected) ListView_SetItemState(listView_, i, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (focused >= 0) ListView_SetItemState(listView_, focused, LVIS_FOCUSED, LVIS_FOCUSED);
  }
  const int mark = indexOf(place.mark);
  if (mark != ListView_GetSelectionMark(listView_)) ListView_SetSelectionMark(listView_, mark);
  // The entry that was first in sight stays in the row (the column, in the
  // list style) where it was drawn.
  const int top = indexOf(place.top);
  if (top < 0) return;
  const RECT now = ItemBounds(listView_, top);
  const bool columns = viewStyle_ == TViewStyle::vsList;
  const int dx = columns ? now.left - place.topRect.left : 0, dy = columns ? 0 : now.top - place.topRect.top;
  if (dx != 0 || dy != 0) ListView_Scroll(listView_, dx, dy);
}

}  // namespace tapestrel::browser
