// The names that arrive in a folder, as the file system reports them to a
// watcher: how a test sees files that come and go again, such as temporary
// copies.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tapestrel::testing {

class FolderAdditions {
 public:
  explicit FolderAdditions(const std::string& folder) {
    folder_ = CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    overlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Watch();
  }
  FolderAdditions(const FolderAdditions&) = delete;
  ~FolderAdditions() {
    if (watching_) {
      CancelIo(folder_);
      DWORD n = 0;
      GetOverlappedResult(folder_, &overlapped_, &n, TRUE);
    }
    CloseHandle(folder_);
    CloseHandle(overlapped_.hEvent);
  }
  bool Watching() const { return watching_; }

  // Every name added so far; waits `quietMs` for reports still on their way.
  std::vector<std::wstring> Names(DWORD quietMs = 500) {
    while (watching_ && WaitForSingleObject(overlapped_.hEvent, quietMs) == WAIT_OBJECT_0) {
      DWORD bytes = 0;
      watching_ = false;
      if (!GetOverlappedResult(folder_, &overlapped_, &bytes, FALSE)) break;
      for (DWORD at = 0; bytes > 0;) {
        const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer_ + at);
        if (info->Action == FILE_ACTION_ADDED)
          names_.emplace_back(info->FileName, info->FileNameLength / sizeof(wchar_t));
        if (info->NextEntryOffset == 0) break;
        at += info->NextEntryOffset;
      }
      Watch();
    }
    return names_;
  }

 private:
  void Watch() {
    ResetEvent(overlapped_.hEvent);
    watching_ = ReadDirectoryChangesW(folder_, buffer_, sizeof buffer_, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME,
                                      nullptr, &overlapped_, nullptr) != FALSE;
  }

  HANDLE folder_ = INVALID_HANDLE_VALUE;
  OVERLAPPED overlapped_{};
  alignas(DWORD) BYTE buffer_[16384];
  bool watching_ = false;
  std::vector<std::wstring> names_;
};

}  // namespace tapestrel::testing
