// The view following its folder's changes without losing the user's place:
// the entries apply what the folder's present listing shows, and the list
// view keeps the selection, the focus and the entry at the top.
#include <algorithm>
#include <unordered_set>
#include <utility>

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

}  // namespace

void TImgListView::RefreshFolder() {
  if (!entries_.ShowsFolder() || !created_ || !entries_.Folder() || desktopPending_) return;
  entries_.CancelListing();  // this listing is the newer
  std::vector<ListedFile> files;
  if (!entries_.ListNow(files) || !UpdateFromListing(files)) Reenumerate();
}

void TImgListView::StartScan() {
  if (!entries_.StartListing(EnumOptionsNow())) Reenumerate();
}

void TImgListView::OnFolderListed(WPARAM tag) {
  ViewEntries::Listing listing;
  if (!entries_.TakeListing(tag, EnumOptionsNow(), listing)) return;
  if (!listing.listed || !UpdateFromListing(listing.files, listing.changes ? &*listing.changes : nullptr))
    Reenumerate();
  if (listing.again) StartScan();
}

bool TImgListView::UpdateFromListing(const std::vector<ListedFile>& files, const FolderChanges* found) {
  if (!entries_.Folder()) return false;
  const TImgItems::EnumOptions options = EnumOptionsNow();
  const FolderChanges changes = found ? *found : entries_.Compare(files, options);
  if (changes.Empty()) return true;
  const Place place = RememberPlace();
  const ViewEntries::Applied applied = entries_.Apply(changes, options);

  ShowEntryCount(false);
  if (painter_.dropHighlighted >= entries_.Count()) painter_.dropHighlighted = -1;
  RestorePlace(place, applied.gone);
  InvalidateRect(listView_, nullptr, TRUE);
  if (ThumbnailSource* thumbnails = Thumbnails()) {
    if (IconStyle() == TIconStyle::iisImage && ViewImage.LookAhead) {
      for (TImgListItem* item : applied.fresh) thumbnails->LookAhead(*item);
    }
    if (IsWindowVisible(Handle())) platform::Guarded([&] { thumbnails->Resume(); });
  }
  platform::Guarded([&] {
    if (OnChangeFolder) OnChangeFolder();
    if (OnItemCountChange) OnItemCountChange(entries_.Count());
  });
  return true;
}

int TImgListView::FirstVisibleIndex() const {
  // Entries are laid out in order: along rows, or down columns in the list style.
  const int count = entries_.Count();
  const bool columns = painter_.look.viewStyle == TViewStyle::vsList;
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
  const int count = entries_.Count();
  for (int i : SelectedIndices()) place.selected.push_back(&entries_.Items()[i]);
  const auto at = [&](int i) { return i >= 0 && i < count ? &entries_.Items()[i] : nullptr; };
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
    return !item || gone.count(item) ? -1 : entries_.Items().IndexOf(*item);
  };
  std::vector<int> selected;
  for (const TImgListItem* item : place.selected) {
    const int i = indexOf(item);
    if (i >= 0) selected.push_back(i);
  }
  std::sort(selected.begin(), selected.end());
  int focused = indexOf(place.focused);
  if (focused < 0 && !place.focused && entries_.Count() > 0) focused = 0;  // as a folder read anew
  const std::vector<int> selectedBefore = SelectedIndices();
  const int focusedBefore = FocusedIndex();
  if (selected != selectedBefore || focused != focusedBefore) {
    // Item by item: Wine's list view visits every entry to clear them all.
    if (selectedBefore.size() > 64) {
      ListView_SetItemState(listView_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    } else {
      for (int i : selectedBefore) ListView_SetItemState(listView_, i, 0, LVIS_SELECTED);
      if (focusedBefore >= 0) ListView_SetItemState(listView_, focusedBefore, 0, LVIS_FOCUSED);
    }
    if (!selected.empty() && selected.size() == static_cast<size_t>(entries_.Count())) {
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
  const bool columns = painter_.look.viewStyle == TViewStyle::vsList;
  const int dx = columns ? now.left - place.topRect.left : 0, dy = columns ? 0 : now.top - place.topRect.top;
  if (dx != 0 || dy != 0) ListView_Scroll(listView_, dx, dy);
}

}  // namespace tapestrel::browser
