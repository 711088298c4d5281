#include "browser/win32/change_watcher.h"

#include <optional>

#include "platform/error_guard.h"

namespace tapestrel::browser {
namespace {

// How often the watch also checks that the folder is still the one watched:
// a removed folder does not always signal its own watch, and one made again
// under the same name is another folder.
constexpr DWORD kExistenceCheckMs = 1000;

// Which directory the path names now; nothing when there is none.
struct FolderIdentity {
  DWORD volume = 0, high = 0, low = 0;
  friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

// A folder that exists but cannot be opened or tells no index (some shares)
// counts by name alone: all zero.
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
    : window_(window), message_(message), tag_(tag), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (!stop_) return;
  // Set up here, not on the thread: a change right after the folder was
  // opened must not slip through before the thread runs. A watch that
  // cannot be set up now is tried again while the thread looks for the folder.
  HANDLE change = FindFirstChangeNotificationW(folder.c_str(), FALSE, filter);
  thread_ = std::thread([this, folder, filter, change] { platform::Guarded([&] { Run(folder, filter, change); }); });
}

ChangeWatcher::~ChangeWatcher() {
  if (stop_) SetEvent(stop_.Get());
  if (thread_.joinable()) thread_.join();
}

bool ChangeWatcher::Post() {
  if (posted_.exchange(true)) return true;  // one is waiting for the window already
  if (PostMessageW(window_, message_, tag_, 0)) return true;
  posted_ = false;
  return false;
}

void ChangeWatcher::Run(const std::wstring& folder, DWORD filter, HANDLE change) {
  std::optional<FolderIdentity> watched = change != INVALID_HANDLE_VALUE ? IdentityOf(folder) : std::nullopt;
  bool untold = false;  // a change the window's queue refused
  const auto tell = [&] { untold = !Post(); };
  for (;;) {
    if (change == INVALID_HANDLE_VALUE) {
      // No watch: look for the folder every second and watch it again once
      // it is back.
      if (WaitForSingleObject(stop_.Get(), kExistenceCheckMs) != WAIT_TIMEOUT) break;
      if (untold) tell();
      watched = IdentityOf(folder);
      if (!watched) continue;
      change = FindFirstChangeNotificationW(folder.c_str(), FALSE, filter);
      if (change != INVALID_HANDLE_VALUE) tell();
      continue;
    }
    const HANDLE handles[2] = {stop_.Get(), change};
    const DWORD woke = WaitForMultipleObjects(2, handles, FALSE, kExistenceCheckMs);
    if (woke == WAIT_OBJECT_0) break;
    if (woke == WAIT_OBJECT_0 + 1 && FindNextChangeNotification(change)) {
      tell();
      continue;
    }
    if (woke == WAIT_TIMEOUT) {
      if (untold) tell();
      if (watched && IdentityOf(folder) == watched) continue;
    }
    // The folder went, or is another one now, or the watch broke.
    FindCloseChangeNotification(change);
    change = INVALID_HANDLE_VALUE;
    tell();
  }
  if (change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change);
}

}  // namespace tapestrel::browser
