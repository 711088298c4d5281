#include "browser/win32/change_watcher.h"

#include "platform/error_guard.h"

namespace tapestrel::browser {
namespace {

// How often the watch also checks that the folder still exists: a removed
// folder does not always signal its own watch.
constexpr DWORD kExistenceCheckMs = 1000;

bool FolderExists(const std::wstring& folder) {
  const DWORD a = GetFileAttributesW(folder.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

ChangeWatcher::ChangeWatcher(const std::wstring& folder, DWORD filter, HWND window, UINT message, WPARAM tag)
    : window_(window), message_(message), tag_(tag), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  // Set up here, not on the thread: a change right after the folder was
  // opened must not slip through before the thread runs.
  HANDLE change = FindFirstChangeNotificationW(folder.c_str(), FALSE, filter);
  if (!stop_ || change == INVALID_HANDLE_VALUE) {
    if (change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change);
    return;
  }
  thread_ = std::thread([this, folder, change] { platform::Guarded([&] { Run(folder, change); }); });
}

ChangeWatcher::~ChangeWatcher() {
  if (stop_) SetEvent(stop_.Get());
  if (thread_.joinable()) thread_.join();
}

void ChangeWatcher::Post() {
  if (!posted_.exchange(true)) PostMessageW(window_, message_, tag_, 0);
}

void ChangeWatcher::Run(const std::wstring& folder, HANDLE change) {
  const HANDLE handles[2] = {stop_.Get(), change};
  for (;;) {
    const DWORD woke = WaitForMultipleObjects(2, handles, FALSE, kExistenceCheckMs);
    if (woke == WAIT_TIMEOUT) {
      if (FolderExists(folder)) continue;
      Post();
      break;
    }
    if (woke != WAIT_OBJECT_0 + 1) break;
    Post();
    if (!FindNextChangeNotification(change)) {
      Post();
      break;
    }
  }
  FindCloseChangeNotification(change);
}

}  // namespace tapestrel::browser
