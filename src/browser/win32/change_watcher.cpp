#include "browser/win32/change_watcher.h"

#include "platform/error_guard.h"

namespace tapestrel::browser {
namespace {

// How soon a change shows.
constexpr UINT kLookMs = 250;
// How often the watch also checks that the folder still exists: a removed
// folder does not always signal its own watch.
constexpr DWORD kExistenceCheckMs = 1000;

bool FolderExists(const std::wstring& folder) {
  const DWORD a = GetFileAttributesW(folder.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

ChangeWatcher::ChangeWatcher(const std::wstring& folder, DWORD filter, HWND window, UINT message, WPARAM tag)
    : folder_(folder), window_(window), message_(message), tag_(tag) {
  // Set up at once: a change right after the folder was opened is kept by
  // the notification until the first look.
  change_ = FindFirstChangeNotificationW(folder.c_str(), FALSE, filter);
  if (change_ == INVALID_HANDLE_VALUE) return;
  // The timer's id is this watcher, which the window's own timers never are.
  timer_ = SetTimer(window_, reinterpret_cast<UINT_PTR>(this), kLookMs, &ChangeWatcher::OnTimer) != 0;
  if (!timer_) Stop();
  lastExistenceCheck_ = GetTickCount();
}

ChangeWatcher::~ChangeWatcher() { Stop(); }

void CALLBACK ChangeWatcher::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  platform::Guarded([&] { reinterpret_cast<ChangeWatcher*>(id)->Look(); });
}

void ChangeWatcher::Look() {
  if (change_ == INVALID_HANDLE_VALUE) return;
  if (WaitForSingleObject(change_, 0) == WAIT_OBJECT_0) {
    Post();
    if (!FindNextChangeNotification(change_)) Stop();
    return;
  }
  if (GetTickCount() - lastExistenceCheck_ < kExistenceCheckMs) return;
  lastExistenceCheck_ = GetTickCount();
  if (FolderExists(folder_)) return;
  Post();
  Stop();
}

void ChangeWatcher::Post() {
  if (posted_) return;
  posted_ = true;
  PostMessageW(window_, message_, tag_, 0);
}

void ChangeWatcher::Stop() {
  if (timer_) KillTimer(window_, reinterpret_cast<UINT_PTR>(this));
  timer_ = false;
  if (change_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change_);
  change_ = INVALID_HANDLE_VALUE;
}

}  // namespace tapestrel::browser
