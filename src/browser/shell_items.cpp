#include "browser/shell_items.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "browser/item_texts.h"

namespace tapestrel::browser {
namespace {

int Sign(int64_t v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

// A bottom-up merge sort of the pointers: every loop is bounded by indices,
// never by what the comparison answers.
template <typename Pointer, typename Compare>
void MergeSort(std::vector<Pointer>& items, Compare compare) {
  const size_t n = items.size();
  if (n < 2) return;
  std::vector<Pointer> buffer(n);
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      const size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
      size_t i = lo, j = mid, out = lo;
      while (i < mid && j < hi)
        buffer[out++] = std::move(compare(*items[j], *items[i]) < 0 ? items[j++] : items[i++]);
      while (i < mid) buffer[out++] = std::move(items[i++]);
      while (j < hi) buffer[out++] = std::move(items[j++]);
    }
    items.swap(buffer);
  }
}

// Merges the runs the list already has: n - 1 comparisons for a sorted list.
template <typename Pointer, typename Compare>
void NaturalMergeSort(std::vector<Pointer>& items, Compare compare) {
  const size_t n = items.size();
  if (n < 2) return;
  std::vector<size_t> runs{0};
  for (size_t i = 1; i < n; ++i) {
    if (compare(*items[i - 1], *items[i]) > 0) runs.push_back(i);
  }
  runs.push_back(n);
  std::vector<Pointer> buffer(n);
  while (runs.size() > 2) {
    std::vector<size_t> merged{0};
    for (size_t r = 0; r + 1 < runs.size(); r += 2) {
      const size_t lo = runs[r], mid = runs[r + 1], hi = r + 2 < runs.size() ? runs[r + 2] : mid;
      size_t i = lo, j = mid, out = lo;
      while (i < mid && j < hi)
        buffer[out++] = std::move(compare(*items[j], *items[i]) < 0 ? items[j++] : items[i++]);
      while (i < mid) buffer[out++] = std::move(items[i++]);
      while (j < hi) buffer[out++] = std::move(items[j++]);
      merged.push_back(hi);
    }
    items.swap(buffer);
    runs.swap(merged);
  }
}

std::wstring LowerExtension(std::wstring_view path) {
  const std::wstring_view name = FileNameOf(path);
  const size_t dot = name.rfind(L'.');
  std::wstring ext(dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot));
  for (wchar_t& c : ext) c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
  return ext;
}

}  // namespace

void CompactText::Assign(std::wstring_view text) {
  text_ = std::make_unique<wchar_t[]>(text.size() + 1);
  std::wmemcpy(text_.get(), text.data(), text.size());
  text_[text.size()] = L'\0';
}

TShellItem::TShellItem(TImgItems& owner, ShellItemId* id, int serial, bool isFolder, int overlayIndex)
    : owner_(owner),
      id_(id),
      serial_(serial),
      overlayIndex_(static_cast<int8_t>(overlayIndex)),
      isFolder_(isFolder) {}

TShellItem::~TShellItem() {
  if (id_ && owner_.Folder()) owner_.Folder()->Free(id_);
}

std::wstring_view TShellItem::DisplayName() {
  if (!haveDisplayName_ && id_ && owner_.Folder()) {
    const std::wstring name = owner_.Folder()->DisplayName(id_);
    // Most names are the last part of the path: no need to keep them twice.
    if (!(haveParsingPath_ && FileNameOf(parsingPath_.View()) == name)) displayName_.Assign(name);
    haveDisplayName_ = true;
  }
  const std::wstring_view own = displayName_.View();
  return own.empty() && haveParsingPath_ ? FileNameOf(parsingPath_.View()) : own;
}

std::wstring TShellItem::ParsingPath() {
  if (!haveParsingPath_ && id_ && owner_.Folder()) SetParsingPath(owner_.Folder()->ParsingName(id_));
  std::wstring path = pathIsRelative_ ? owner_.ChildPathPrefix() : std::wstring();
  path += parsingPath_.View();
  return path;
}

void TShellItem::SetParsingPath(std::wstring_view path) {
  const std::wstring& prefix = owner_.ChildPathPrefix();
  if (haveDisplayName_ && displayName_.View().empty()) {
    // The display name was the old path's last part; keep it before the path changes.
    const std::wstring name(DisplayName());
    displayName_.Assign(name);
  }
  pathIsRelative_ = !prefix.empty() && path.size() > prefix.size() && path.substr(0, prefix.size()) == prefix;
  parsingPath_.Assign(pathIsRelative_ ? path.substr(prefix.size()) : path);
  haveParsingPath_ = true;
}

void TShellItem::ReplaceId(ShellItemId* id) {
  if (id_ && owner_.Folder()) owner_.Folder()->Free(id_);
  id_ = id;
  haveDisplayName_ = haveParsingPath_ = haveFileData_ = haveTypeName_ = haveIconIndex_ = false;
  displayName_ = CompactText();
  parsingPath_ = CompactText();
}

void TShellItem::FetchFileData() {
  if (haveFileData_) return;
  haveFileData_ = true;
  if (!id_ || !owner_.Folder()) return;
  if (const std::optional<ItemFileData> data = owner_.Folder()->FileData(id_)) {
    fileSize_ = data->size;
    fileAttributes_ = data->attributes;
    lastWrite_ = data->lastWrite;
    dosDate_ = data->dosDate;
    dosTime_ = data->dosTime;
  }
}

uint64_t TShellItem::FileSize() {
  FetchFileData();
  return fileSize_;
}

uint32_t TShellItem::FileAttributes() {
  FetchFileData();
  return fileAttributes_;
}

uint64_t TShellItem::LastWriteTime() {
  FetchFileData();
  return lastWrite_;
}

uint32_t TShellItem::DosDateTime() {
  FetchFileData();
  return (static_cast<uint32_t>(dosDate_) << 16) | dosTime_;
}

void TImgListItem::ForgetImage() {
  Loaded = false;
  Image.reset();
  ImageShared = false;
  ImageWidth = ImageHeight = 0;
  ImageType.reset();
}

std::wstring TShellItem::SizeText() { return browser::SizeText(FileSize()); }

std::wstring TShellItem::DateText() {
  FetchFileData();
  const DetailFormat& f = owner_.Format();
  return browser::DateText(dosDate_, dosTime_, f.dateSeparator, f.timeSeparator);
}

std::wstring_view TShellItem::TypeName() {
  if (!haveTypeName_ && id_ && owner_.Folder()) {
    typeIndex_ = owner_.TypeIndexOf(*this);
    haveTypeName_ = true;
  }
  return owner_.TypeNameAt(typeIndex_);
}

int TShellItem::IconIndex() {
  if (!haveIconIndex_ && id_ && owner_.Folder()) {
    iconIndex_ = owner_.IconIndexOf(*this);
    haveIconIndex_ = true;
  }
  return iconIndex_;
}

void TImgItems::SetFolder(ShellFolderPort* folder) {
  Clear();
  folder_ = folder;
  prefix_ = folder ? folder->ChildPathPrefix() : std::wstring();
}

namespace {

bool SerialBelow(const TImgListItem* item, int serial) { return item->Serial() < serial; }

}  // namespace

TImgListItem* TImgItems::FindBySerial(int serial) {
  const auto at = std::lower_bound(bySerial_.begin(), bySerial_.end(), serial, SerialBelow);
  return at != bySerial_.end() && (*at)->Serial() == serial ? *at : nullptr;
}

int TImgItems::IndexOf(const TShellItem& item) const {
  const int i = item.position_;
  return i >= 0 && i < Count() && items_[static_cast<size_t>(i)].get() == &item ? i : -1;
}

void TImgItems::Clear() {
  items_.clear();
  items_.shrink_to_fit();
  bySerial_.clear();
  bySerial_.shrink_to_fit();
}

void TImgItems::Reindex(size_t from) {
  for (size_t i = from; i < items_.size(); ++i) items_[i]->position_ = static_cast<int>(i);
}

std::unique_ptr<TImgListItem> TImgItems::MakeEntry(ShellItemId* id, uint32_t attributes) {
  const bool isFolder = (attributes & (kAttrFolder | kAttrFileSystemAncestor)) != 0;
  int overlay = -1;
  if (attributes & kAttrShared) overlay = 0;
  if ((attributes & kAttrLink) && !(attributes & kAttrFolder)) overlay = 1;
  auto entry = std::make_unique<TImgListItem>(*this, id, ++serialCounter_, isFolder, overlay);
  bySerial_.push_back(entry.get());  // the newest serial: the order holds
  return entry;
}

void TImgItems::MoveToSortedPlace(int from, const SortOrder& order) {
  const bool shellOrders = folder_ && folder_->OrdersByColumn(static_cast<int>(order.type));
  TImgListItem& item = *items_[static_cast<size_t>(from)];
  const auto compare = [&](TImgListItem& other) {
    return Compare(item, other, order.type, order.descend, order.mode, shellOrders);
  };
  // The first place whose entry the item goes before, searched among the others.
  size_t lo = 0, hi = items_.size() - 1;
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    const size_t at = mid < static_cast<size_t>(from) ? mid : mid + 1;
    if (compare(*items_[at]) < 0)
      hi = mid;
    else
      lo = mid + 1;
  }
  const size_t to = lo, f = static_cast<size_t>(from);
  if (to < f) {
    std::rotate(items_.begin() + static_cast<ptrdiff_t>(to), items_.begin() + from,
                items_.begin() + from + 1);
    Reindex(to);
  } else if (to > f) {
    std::rotate(items_.begin() + from, items_.begin() + from + 1,
                items_.begin() + static_cast<ptrdiff_t>(to) + 1);
    Reindex(f);
  }
}

TImgListItem& TImgItems::Insert(ShellItemId* id, const SortOrder& order) {
  std::unique_ptr<TImgListItem> entry;
  try {
    entry = MakeEntry(id, folder_ ? folder_->Attributes(id) : 0);
  } catch (...) {
    if (folder_) folder_->Free(id);
    throw;
  }
  TImgListItem& item = *entry;
  items_.push_back(std::move(entry));
  item.position_ = Count() - 1;
  MoveToSortedPlace(item.position_, order);
  return item;
}

void TImgItems::Remove(const std::vector<TImgListItem*>& gone) {
  if (gone.empty()) return;
  size_t first = items_.size();
  for (TImgListItem* item : gone) {
    const int i = IndexOf(*item);
    if (i < 0) continue;
    first = std::min(first, static_cast<size_t>(i));
    const auto serial = std::lower_bound(bySerial_.begin(), bySerial_.end(), item->Serial(), SerialBelow);
    if (serial != bySerial_.end() && *serial == item) bySerial_.erase(serial);
    items_[static_cast<size_t>(i)].reset();
  }
  items_.erase(std::remove(items_.begin() + static_cast<ptrdiff_t>(first), items_.end(), nullptr),
               items_.end());
  Reindex(first);
}

void TImgItems::Renew(TImgListItem& item, ShellItemId* id) {
  const auto serial = std::lower_bound(bySerial_.begin(), bySerial_.end(), item.Serial(), SerialBelow);
  if (serial != bySerial_.end() && *serial == &item) bySerial_.erase(serial);
  item.ReplaceId(id);
  item.serial_ = ++serialCounter_;
  bySerial_.push_back(&item);
  item.ForgetImage();
}

void TImgItems::Rename(TImgListItem& item, ShellItemId* id, const SortOrder& order) {
  item.ReplaceId(id);
  const int at = IndexOf(item);
  if (at >= 0) MoveToSortedPlace(at, order);
}

uint32_t TImgItems::InternTypeName(std::wstring name) {
  if (name.empty()) return 0;
  const auto found = typeIndex_.find(name);
  if (found != typeIndex_.end()) return found->second;
  const uint32_t index = static_cast<uint32_t>(typeNames_.size());
  typeNames_.push_back(name);
  typeIndex_.emplace(std::move(name), index);
  return index;
}

uint32_t TImgItems::TypeIndexOf(TShellItem& item) {
  if (item.IsFolder()) return InternTypeName(folder_->TypeName(item.ItemId()));
  const std::wstring ext = LowerExtension(item.ParsingPath());
  const auto found = typeOfExtension_.find(ext);
  if (found != typeOfExtension_.end()) return found->second;
  const uint32_t index = InternTypeName(folder_->TypeName(item.ItemId()));
  typeOfExtension_.emplace(ext, index);
  return index;
}

int TImgItems::IconIndexOf(TShellItem& item) {
  if (item.IsFolder()) return folder_->IconIndex(item.ItemId());
  const std::wstring ext = LowerExtension(item.ParsingPath());
  if (ext.empty() || !folder_->IconFollowsExtension(ext)) return folder_->IconIndex(item.ItemId());
  const auto found = iconOfExtension_.find(ext);
  if (found != iconOfExtension_.end()) return found->second;
  const int index = folder_->IconIndex(item.ItemId());
  iconOfExtension_.emplace(ext, index);
  return index;
}

bool TImgItems::Enumerate(const EnumOptions& options, const std::function<void(TImgListItem&)>& added) {
  Clear();
  if (!folder_) return false;
  const ExtensionFilter filter(options.ext);
  const bool listed = folder_->Enumerate(options.flags, [&](ShellItemId* id) {
    // Owned from here: freed unless an entry takes it.
    struct Owned {
      ShellFolderPort* folder;
      ShellItemId* id;
      ~Owned() {
        if (id) folder->Free(id);
      }
      ShellItemId* release() { return std::exchange(id, nullptr); }
    } owned{folder_, id};
    const uint32_t attributes = folder_->Attributes(id);
    std::wstring path;
    if (filter.Active()) {
      path = folder_->ParsingName(id);
      if (!(attributes & kAttrFileSystemAncestor) && !filter.Passes(FileNameOf(path))) return;
    }
    items_.push_back(MakeEntry(owned.release(), attributes));
    TImgListItem& entry = *items_.back();
    entry.position_ = Count() - 1;
    if (filter.Active()) entry.SetParsingPath(path);
    if (!entry.IsFolder() && added) added(entry);
  });
  // The lists grew by doubling; a folder of 50,000 would keep up to twice the room.
  items_.shrink_to_fit();
  bySerial_.shrink_to_fit();
  return listed;
}

template <typename Names>
int TImgItems::CompareByValue(TShellItem& a, TShellItem& b, TSortTypeEx sortType, Names names) {
  // The order a file-system folder gives its columns: folders first, then the
  // column's value, then the name.
  if (a.IsFolder() != b.IsFolder()) return a.IsFolder() ? -1 : 1;
  int result = 0;
  switch (sortType) {
    case TSortTypeEx::istSize:
      if (!a.IsFolder()) result = a.FileSize() < b.FileSize() ? -1 : a.FileSize() > b.FileSize() ? 1 : 0;
      break;
    case TSortTypeEx::istType:
      result = Sign(folder_->CompareTexts(a.TypeName(), b.TypeName()));
      break;
    case TSortTypeEx::istDate:
      result = a.LastWriteTime() < b.LastWriteTime() ? -1 : a.LastWriteTime() > b.LastWriteTime() ? 1 : 0;
      break;
    case TSortTypeEx::istAttr:
      result = a.FileAttributes() < b.FileAttributes() ? -1 : a.FileAttributes() > b.FileAttributes() ? 1 : 0;
      break;
    case TSortTypeEx::istName:
      break;
  }
  return result != 0 ? result : Sign(names());
}

int TImgItems::Compare(TShellItem& a, TShellItem& b, TSortTypeEx sortType, bool descend, TViewMode mode) {
  const bool shellOrders = folder_ && folder_->OrdersByColumn(static_cast<int>(sortType));
  return Compare(a, b, sortType, descend, mode, shellOrders);
}

int TImgItems::Compare(TShellItem& a, TShellItem& b, TSortTypeEx sortType, bool descend, TViewMode mode,
                       bool shellOrders) {
  if (&a == &b) return 0;
  if (!a.ItemId() || !b.ItemId()) return !a.ItemId() && !b.ItemId() ? 0 : !a.ItemId() ? -1 : 1;
  int result = 0;
  const int column = static_cast<int>(sortType);
  if (mode == TViewMode::ivmFile && sortType == TSortTypeEx::istName) {
    result = a.DisplayName().compare(b.DisplayName());
  } else if (!folder_) {
    result = 0;
  } else if (shellOrders) {
    result = folder_->Compare(column, a.ItemId(), b.ItemId());
  } else {
    result = CompareByValue(a, b, sortType, [&] { return folder_->Compare(0, a.ItemId(), b.ItemId()); });
  }
  result = Sign(result);
  return descend ? -result : result;
}

bool TImgItems::Presort(TSortTypeEx sortType, bool descend) {
  // Keys of the names the entries have already read (the filter reads them).
  const size_t n = items_.size();
  std::vector<std::string> keys(n);
  for (size_t i = 0; i < n; ++i) {
    const std::wstring_view name = items_[i]->KnownFileName();
    if (!name.empty()) keys[i] = folder_->NameOrderKey(name);
    if (keys[i].empty()) return false;
  }
  std::vector<uint32_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = static_cast<uint32_t>(i);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) {
    const int r = CompareByValue(*items_[x], *items_[y], sortType, [&] { return keys[x].compare(keys[y]); });
    return (descend ? -r : r) < 0;
  });
  std::vector<std::unique_ptr<TImgListItem>> sorted(n);
  for (size_t i = 0; i < n; ++i) sorted[i] = std::move(items_[order[i]]);
  items_.swap(sorted);
  Reindex();
  return true;
}

void TImgItems::Sort(TSortTypeEx sortType, bool descend, TViewMode mode) {
  const bool shellOrders = folder_ && folder_->OrdersByColumn(static_cast<int>(sortType));
  const auto compare = [&](TImgListItem& a, TImgListItem& b) {
    return Compare(a, b, sortType, descend, mode, shellOrders);
  };
  if (mode == TViewMode::ivmFolder && shellOrders && Presort(sortType, descend)) {
    NaturalMergeSort(items_, compare);
  } else {
    MergeSort(items_, compare);
  }
  Reindex();
}

}  // namespace tapestrel::browser
