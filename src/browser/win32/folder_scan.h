// Lists a file-system folder on a thread of its own, so that a folder of
// 50,000 pictures that changed is read without stopping the window: the
// window gets `message` (wParam = `tag`) when the listing is ready and takes
// it with Take. Given the entries' names, the thread also compares them with
// the listing, so that the window only applies what changed. One listing at a
// time; the destructor waits for it.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "browser/folder_changes.h"

namespace tapestrel::browser {

class FolderScan {
 public:
  // `entries` may be null: the listing alone.
  FolderScan(std::wstring folder, std::unique_ptr<EntryNames> entries, TImgItems::EnumOptions options,
             HWND window, UINT message, WPARAM tag);
  ~FolderScan();
  FolderScan(const FolderScan&) = delete;
  FolderScan& operator=(const FolderScan&) = delete;

  // After the message: the listing, and whether the folder could be listed.
  bool Take(std::vector<ListedFile>& files);
  // After Take: the changes found against the entries' names, when they
  // were given and the comparison ran. They point into the files taken.
  std::optional<FolderChanges>& Changes() { return changes_; }

 private:
  std::vector<ListedFile> files_;
  bool listed_ = false;
  std::unique_ptr<EntryNames> entries_;
  TImgItems::EnumOptions options_;
  std::optional<FolderChanges> changes_;
  std::thread thread_;
};

}  // namespace tapestrel::browser
