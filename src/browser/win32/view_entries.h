// The thumbnail view's entries: the shell folder it shows, its entries in
// their order, and the watch on the folder's changes. The view window owns
// it and decides when each step happens; the entries know no window but the
// one their watcher and folder listings post to.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/folder_changes.h"
#include "browser/shell_items.h"
#include "browser/view_options.h"
#include "browser/win32/change_watcher.h"
#include "browser/win32/folder_scan.h"
#include "browser/win32/shell_folder.h"
#include "platform/win32/com_ptr.h"

namespace tapestrel::browser {

class ViewEntries {
 public:
  // The watcher's changes come to `window` as `changedMessage`, finished
  // listings as `listedMessage`, each with its tag in wParam.
  ViewEntries(HWND window, UINT changedMessage, UINT listedMessage);
  ~ViewEntries();
  ViewEntries(const ViewEntries&) = delete;
  ViewEntries& operator=(const ViewEntries&) = delete;

  TImgItems& Items() { return items_; }
  const TImgItems& Items() const { return items_; }
  int Count() const { return items_.Count(); }
  // The entry at an index, or null outside the entries.
  TImgListItem* At(int index) { return index >= 0 && index < items_.Count() ? &items_[index] : nullptr; }
  // Grows with every change of the entries or their order.
  unsigned Generation() const { return generation_; }
  void Touch() { ++generation_; }

  ShellFolder* Folder() const { return folder_.get(); }
  LPCITEMIDLIST FolderId() const { return folderId_.Get(); }
  LPCITEMIDLIST DesktopId() const { return desktopId_.Get(); }
  // The folder's path, or its display name when it has none (My Computer).
  std::wstring FolderPath() const;

  // ivmFolder: the entries are a folder's; ivmFile: the view shows files
  // from anywhere, through the desktop.
  TViewMode Mode() const { return mode_; }
  bool ShowsFolder() const { return mode_ == TViewMode::ivmFolder; }
  TSortTypeEx SortType() const { return sortType_; }
  bool Descend() const { return descend_; }
  TImgItems::SortOrder Order() const { return {sortType_, descend_, mode_}; }
  void SetOrder(TSortTypeEx type, bool descend) { sortType_ = type, descend_ = descend; }
  void Sort();

  // The desktop, until a folder is opened.
  void ShowDesktop();
  // Whether the folder shown is the one of this absolute ID list.
  bool Shows(LPCITEMIDLIST absolute) const;
  // The entries gone, the folder kept.
  void Clear();
  // The folder of an absolute ID list, its entries not read yet; false (the
  // old folder kept) when the shell cannot bind it.
  bool Open(LPCITEMIDLIST absolute);
  // Into file mode: no folder's entries, the desktop as the shell folder.
  void ShowFiles();
  // Out of file mode: the folder shown before, to be opened again (may be empty).
  platform::UniqueIdList LeaveFiles();
  // The folder's entries read anew, in enumeration order (Sort orders them).
  void Enumerate(const TImgItems::EnumOptions& options, const std::function<void(TImgListItem&)>& added);

  // Following a listing of the folder: Compare finds what changed, Apply
  // changes only those entries. `fresh` are the entries made for files added
  // or rewritten (not folders); `gone` those removed.
  FolderChanges Compare(const std::vector<ListedFile>& files, const TImgItems::EnumOptions& options);
  struct Applied {
    std::vector<TImgListItem*> fresh, gone;
  };
  Applied Apply(const FolderChanges& changes, const TImgItems::EnumOptions& options);

  // Renames an entry through its folder (the watch paused meanwhile).
  bool Rename(TImgListItem& item, const std::wstring& newName, HWND owner);

  // The watch on the folder, while allowed and enabled.
  void AllowWatching() { watchAllowed_ = true; }
  void SetWatching(bool enabled, TNotifyTypes types);
  void Watch();
  void StopWatching() { watcher_.reset(); }
  // A change the watcher posted; false for a stale one.
  bool TakeChange(WPARAM tag);

  // A listing of the folder on a thread of its own, compared there with the
  // entries' names as they are now. False when there is nothing to list (no
  // entries, or no file-system folder): the entries are then read anew instead.
  bool StartListing(const TImgItems::EnumOptions& options);
  void CancelListing();
  struct Listing {
    std::vector<ListedFile> files;
    bool listed = false;  // false when the folder could not be listed
    bool again = false;  // changes came meanwhile
    // What changed, when the entries and the options are still those the
    // listing was compared with; points into `files`.
    std::optional<FolderChanges> changes;
  };
  // The listing posted with this tag; false for a stale one.
  bool TakeListing(WPARAM tag, const TImgItems::EnumOptions& options, Listing& listing);
  // The folder listed now, on this thread; false when it cannot be.
  bool ListNow(std::vector<ListedFile>& files) const;

 private:
  std::wstring ListingPath() const;

  HWND window_;
  UINT changedMessage_, listedMessage_;
  TImgItems items_;
  std::unique_ptr<ShellFolder> folder_;
  platform::UniqueIdList folderId_;
  platform::UniqueIdList desktopId_;
  TViewMode mode_ = TViewMode::ivmFolder;
  TSortTypeEx sortType_ = TSortTypeEx::istName;
  bool descend_ = false;
  unsigned generation_ = 0;

  bool watchAllowed_ = false, watchEnabled_ = true;
  TNotifyTypes notifyTypes_ = intFileName | intDirName;
  std::unique_ptr<ChangeWatcher> watcher_;
  WPARAM watcherTag_ = 0;
  std::unique_ptr<FolderScan> scan_;
  WPARAM scanTag_ = 0;
  unsigned scanGeneration_ = 0;
  TImgItems::EnumOptions scanOptions_;
  bool rescanPending_ = false;
};

}  // namespace tapestrel::browser
