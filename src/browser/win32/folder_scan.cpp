#include "browser/win32/folder_scan.h"

#include <utility>

#include "browser/win32/shell_folder.h"

namespace tapestrel::browser {

FolderScan::FolderScan(std::wstring folder, std::unique_ptr<EntryNames> entries, TImgItems::EnumOptions options,
                       HWND window, UINT message, WPARAM tag)
    : entries_(std::move(entries)),
      options_(std::move(options)),
      thread_([this, folder = std::move(folder), window, message, tag] {
        try {
          listed_ = ListFolder(folder, files_);
          if (listed_ && entries_) changes_ = FindChanges(*entries_, files_, options_);
        } catch (...) {
          // Out of memory: without a comparison the window compares itself;
          // without a listing it refreshes the old way.
          changes_.reset();
        }
        entries_.reset();
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
