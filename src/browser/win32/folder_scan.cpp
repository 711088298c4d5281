#include "browser/win32/folder_scan.h"

#include "browser/win32/shell_folder.h"

namespace tapestrel::browser {

FolderScan::FolderScan(std::wstring folder, HWND window, UINT message, WPARAM tag)
    : thread_([this, folder = std::move(folder), window, message, tag] {
        try {
          listed_ = ListFolder(folder, files_);
        } catch (...) {
          listed_ = false;  // out of memory: the window refreshes the old way
        }
        PostMessageW(window, message, tag, 0);
      }) {}

FolderScan::~FolderScan() {
  if (thread_.joinable()) thread_.join();
}

bool FolderScan::Take(std::vector<ListedFile>& files) {
  if (thread_.joinable()) thread_.join();  // it has posted: it ends at once
  files.swap(files_);
  return listed_;
}

}  // namespace tapestrel::browser
