#include "browser/win32/view_entries.h"

#include <utility>

#include "browser/extension_filter.h"

namespace tapestrel::browser {
namespace {

// The size and time an item ID list carries, as the listing compares them.
bool SameContent(ShellFolderPort& folder, ShellItemId* id, TImgListItem& item) {
  const std::optional<ItemFileData> data = folder.FileData(id);
  if (!data) return false;
  const uint32_t when = (static_cast<uint32_t>(data->dosDate) << 16) | data->dosTime;
  return static_cast<uint32_t>(data->size) == static_cast<uint32_t>(item.FileSize()) && when == item.DosDateTime();
}

bool SameOptions(const TImgItems::EnumOptions& a, const TImgItems::EnumOptions& b) {
  return a.flags.folders == b.flags.folders && a.flags.nonFolders == b.flags.nonFolders &&
         a.flags.hidden == b.flags.hidden && a.ext == b.ext;
}

std::wstring FileSystemPathOf(LPCITEMIDLIST folder) {
  return folder && !ILIsEmpty(folder) ? PathOfIdList(folder) : std::wstring();
}

}  // namespace

ViewEntries::ViewEntries(HWND window, UINT changedMessage, UINT listedMessage)
    : window_(window), changedMessage_(changedMessage), listedMessage_(listedMessage) {
  SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, desktopId_.Put());
}

ViewEntries::~ViewEntries() {
  StopWatching();
  CancelListing();
  items_.SetFolder(nullptr);
}

std::wstring ViewEntries::FolderPath() const {
  if (mode_ == TViewMode::ivmFile || !folderId_) return {};
  if (!ILIsEmpty(folderId_.Get())) {
    const std::wstring path = PathOfIdList(folderId_.Get());
    if (!path.empty()) return path;
  }
  platform::ComPtr<IShellFolder> desktop = DesktopFolder();
  return DisplayNameOf(desktop.Get(), folderId_.Get(), SHGDN_NORMAL);
}

void ViewEntries::Sort() {
  items_.Sort(sortType_, descend_, mode_);
  ++generation_;
}

void ViewEntries::ShowDesktop() {
  if (mode_ != TViewMode::ivmFolder) return;
  folderId_ = CloneIdList(desktopId_.Get());
  folder_ = std::make_unique<ShellFolder>(DesktopFolder(), desktopId_.Get(), window_);
  items_.SetFolder(folder_.get());
  ++generation_;
}

bool ViewEntries::Shows(LPCITEMIDLIST absolute) const {
  if (!folderId_) return false;
  platform::ComPtr<IShellFolder> desktop = DesktopFolder();
  if (!desktop) return false;
  const HRESULT same = desktop->CompareIDs(0, folderId_.Get(), absolute);
  return SUCCEEDED(same) && HRESULT_CODE(same) == 0;
}

void ViewEntries::Clear() {
  items_.Clear();
  ++generation_;
}

bool ViewEntries::Open(LPCITEMIDLIST absolute) {
  platform::ComPtr<IShellFolder> desktop = DesktopFolder();
  if (!desktop) return false;
  platform::ComPtr<IShellFolder> bound;
  if (ILIsEmpty(absolute)) {
    bound = desktop;
  } else if (FAILED(desktop->BindToObject(absolute, nullptr, IID_IShellFolder, bound.PutVoid())) || !bound) {
    return false;
  }
  auto folder = std::make_unique<ShellFolder>(bound, absolute, window_);
  items_.SetFolder(folder.get());
  folder_ = std::move(folder);
  folderId_ = CloneIdList(absolute);
  ++generation_;
  return true;
}

void ViewEntries::ShowFiles() {
  mode_ = TViewMode::ivmFile;
  StopWatching();
  CancelListing();
  items_.SetFolder(nullptr);
  folder_ = std::make_unique<ShellFolder>(DesktopFolder(), desktopId_.Get(), window_);
  ++generation_;
}

platform::UniqueIdList ViewEntries::LeaveFiles() {
  mode_ = TViewMode::ivmFolder;
  folder_.reset();
  items_.SetFolder(nullptr);
  ++generation_;
  return std::move(folderId_);
}

void ViewEntries::Enumerate(const TImgItems::EnumOptions& options,
                            const std::function<void(TImgListItem&)>& added) {
  items_.Enumerate(options, added);
  ++generation_;
}

FolderChanges ViewEntries::Compare(const std::vector<ListedFile>& files,
                                   const TImgItems::EnumOptions& options) {
  return FindChanges(items_, files, options);
}

ViewEntries::Applied ViewEntries::Apply(const FolderChanges& changes, const TImgItems::EnumOptions& options) {
  const bool readNames = ExtensionFilter(options.ext).Active();  // as the enumeration does
  const TImgItems::SortOrder order = Order();
  Applied applied;
  applied.gone = changes.removed;
  items_.Remove(changes.removed);
  std::vector<TImgListItem*> failed;
  for (const auto& [item, file] : changes.rewritten) {
    ShellItemId* id = folder_->ParseChild(file->name);
    if (!id) {
      failed.push_back(item);
    } else if (SameContent(*folder_, id, *item)) {
      folder_->Free(id);  // the listing's clock and the shell's disagree, not the file
    } else {
      items_.Renew(*item, id);
      if (readNames) item->ParsingPath();
      applied.fresh.push_back(item);
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
    if (!item.IsFolder()) applied.fresh.push_back(&item);
  }
  items_.Remove(failed);
  applied.gone.insert(applied.gone.end(), failed.begin(), failed.end());
  ++generation_;
  return applied;
}

bool ViewEntries::Rename(TImgListItem& item, const std::wstring& newName, HWND owner) {
  LPCITEMIDLIST child = AsIdList(item.ItemId());
  if (!folder_ || !child || folder_->ShellAttributes(&child, 1, SFGAO_CANRENAME) != SFGAO_CANRENAME)
    return false;
  // Our own rename needs no refresh: the entry takes the new ID itself.
  StopWatching();
  LPITEMIDLIST renamed = nullptr;
  const HRESULT hr = folder_->Interface()->SetNameOf(owner, child, newName.c_str(),
                                                     SHGDN_INFOLDER | SHGDN_FOREDITING, &renamed);
  if (SUCCEEDED(hr) && renamed) {
    item.ReplaceId(AsItemId(renamed));
    ++generation_;
  } else if (renamed) {
    CoTaskMemFree(renamed);
  }
  Watch();
  return SUCCEEDED(hr);
}

void ViewEntries::SetWatching(bool enabled, TNotifyTypes types) {
  watchEnabled_ = enabled;
  notifyTypes_ = types;
  if (enabled)
    Watch();
  else
    StopWatching();
}

void ViewEntries::Watch() {
  StopWatching();
  if (!watchAllowed_ || mode_ != TViewMode::ivmFolder || !watchEnabled_ || !folderId_) return;
  const std::wstring path = PathOfIdList(folderId_.Get());
  if (path.empty()) return;
  watcher_ = std::make_unique<ChangeWatcher>(path, NotifyFilter(notifyTypes_), window_, changedMessage_,
                                             ++watcherTag_);
}

bool ViewEntries::TakeChange(WPARAM tag) {
  if (tag != watcherTag_ || !watcher_) return false;
  watcher_->Acknowledge();
  return true;
}

std::wstring ViewEntries::ListingPath() const {
  return items_.Count() > 0 ? FileSystemPathOf(folderId_.Get()) : std::wstring();
}

bool ViewEntries::StartListing(const TImgItems::EnumOptions& options) {
  if (scan_) {
    rescanPending_ = true;  // once this listing is in
    return true;
  }
  const std::wstring path = ListingPath();
  if (path.empty()) return false;  // nothing to keep, or no file-system folder to list
  scanGeneration_ = generation_;
  scanOptions_ = options;
  scan_ = std::make_unique<FolderScan>(path, std::make_unique<EntryNames>(items_), options, window_,
                                       listedMessage_, ++scanTag_);
  return true;
}

void ViewEntries::CancelListing() {
  scan_.reset();
  rescanPending_ = false;
}

bool ViewEntries::TakeListing(WPARAM tag, const TImgItems::EnumOptions& options, Listing& listing) {
  if (tag != scanTag_ || !scan_) return false;
  listing.listed = scan_->Take(listing.files);
  // The comparison's entries are gone or moved if the entries changed since.
  if (generation_ == scanGeneration_ && SameOptions(options, scanOptions_))
    listing.changes = std::move(scan_->Changes());
  scan_.reset();
  listing.again = std::exchange(rescanPending_, false);
  return true;
}

bool ViewEntries::ListNow(std::vector<ListedFile>& files) const {
  const std::wstring path = ListingPath();
  return !path.empty() && ListFolder(path, files);
}

}  // namespace tapestrel::browser
