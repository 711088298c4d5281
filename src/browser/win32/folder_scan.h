// Lists a file-system folder on a thread of its own, so that a folder of
// 50,000 pictures that changed is read without stopping the window: the
// window gets `message` (wParam = `tag`) when the listing is ready and takes
// it with Take. One listing at a time; the destructor waits for it.
#pragma once

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "browser/folder_changes.h"

namespace tapestrel::browser {

class FolderScan {
 public:
  FolderScan(std::wstring folder, HWND window, UINT message, WPARAM tag);
  ~FolderScan();
  FolderScan(const FolderScan&) = delete;
  FolderScan& operator=(const FolderScan&) = delete;

  // After the message: the listing, and whether the folder could be listed.
  bool Take(std::vector<ListedFile>& files);

 private:
  std::vector<ListedFile> files_;
  bool listed_ = false;
  std::thread thread_;
};

}  // namespace tapestrel::browser
