#include "browser/win32/change_watcher.h"

#include "platform/error_guard.h"

namespace tapestrel::browser {
namespace {

// How soon a change shows.
constexpr UINT kLookMs = 250;
// How often the watch also checks that the folder is still the one watched:
// a removed folder does not always signal its own watch, and one made again
// under the same name is another folder.
constexpr DWORD kFolderCheckMs = 1000;

// Nothing when the path names no folder now.
std::optional<FolderIdentity> IdentityOf(const std::wstring& folder) {
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  // Shared for deleting too: looking must never keep the user from removing it.
  HANDLE h = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return FolderIdentity{};
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  if (!ok) return FolderIdentity{};
  return FolderIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

ChangeWatcher::ChangeWatcher(const std::wstring& folder, DWORD filter, HWND window, UINT message, WPARAM tag)
    : folder_(folder), filter_(filter), window_(window), message_(message), tag_(tag) {
  // Set up at once: a change right after the folder was opened is kept by
  // the notification until the first look. A watch that cannot be set up now
  // is tried again while the timer looks for the folder.
  Arm();
  // The timer's id is this watcher, which the window's own timers never are.
  timer_ = SetTimer(window_, reinterpret_cast<UINT_PTR>(this), kLookMs, &ChangeWatcher::OnTimer) != 0;
  if (!timer_) Disarm();
  lastFolderCheck_ = GetTickCount();
}

ChangeWatcher::~ChangeWatcher() {
  if (timer_) KillTimer(window_, reinterpret_cast<UINT_PTR>(this));
  Disarm();
}

void CALLBACK ChangeWatcher::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  platform::Guarded([&] { reinterpret_cast<ChangeWatcher*>(id)->Look(); });
}

void ChangeWatcher::Look() {
  if (change_ != INVALID_HANDLE_VALUE && WaitForSingleObject(change_, 0) == WAIT_OBJECT_0) {
    Post();
    if (FindNextChangeNotification(change_)) return;
    Disarm();  // the watch broke: the folder is looked for as if it had gone
    return;
  }
  if (untold_) Post();
  if (GetTickCount() - lastFolderCheck_ < kFolderCheckMs) return;
  lastFolderCheck_ = GetTickCount();
  LookForFolder();
}

void ChangeWatcher::LookForFolder() {
  const std::optional<FolderIdentity> now = IdentityOf(folder_);
  if (change_ != INVALID_HANDLE_VALUE) {
    if (now && now == watched_) return;
    // The folder went, or is another one now.
    Disarm();
    Post();
  }
  if (!now) return;
  Arm();
  if (change_ != INVALID_HANDLE_VALUE) Post();  // back: its contents may be anything
}

void ChangeWatcher::Arm() {
  change_ = FindFirstChangeNotificationW(folder_.c_str(), FALSE, filter_);
  watched_ = change_ != INVALID_HANDLE_VALUE ? IdentityOf(folder_) : std::nullopt;
}

void ChangeWatcher::Disarm() {
  if (change_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change_);
  change_ = INVALID_HANDLE_VALUE;
  watched_.reset();
}

void ChangeWatcher::Post() {
  untold_ = false;
  if (posted_) return;  // one is waiting for the window already
  if (PostMessageW(window_, message_, tag_, 0)) {
    posted_ = true;
  } else {
    untold_ = true;
  }
}

}  // namespace tapestrel::browser
