// The folder change watcher: the window's own thread looks, a few times a
// second, whether one folder (not its subtree) has changed, and tells the
// window, which refreshes. At most one change is waiting for the window at a
// time; changes that come while it refreshes bring one more.
//
// A timer rather than a thread of its own: the look costs next to nothing,
// any message loop (a dialog's, a menu's) runs it, and a resident program
// keeps no thread and thread stack only for waiting.
//
// It never falls silent: a folder that vanishes (a share gone, a rename away
// and back, a folder removed and made again) is looked for every second and
// watched again, with one more change told, as soon as it is back; a post
// the window's queue refused is made again at the next look.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tapestrel::browser {

// Which directory a path names: a folder made again under the same name is
// another one. All zero for a folder that tells no index (some shares).
struct FolderIdentity {
  DWORD volume = 0, high = 0, low = 0;
  friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

class ChangeWatcher {
 public:
  // Posts `message` to `window` (wParam = `tag`) for each change. The folder
  // going away counts as a change, and so does its coming back. Runs on the
  // thread of `window`.
  ChangeWatcher(const std::wstring& folder, DWORD filter, HWND window, UINT message, WPARAM tag);
  ~ChangeWatcher();
  ChangeWatcher(const ChangeWatcher&) = delete;
  ChangeWatcher& operator=(const ChangeWatcher&) = delete;

  // The window took the posted change; the next one may be posted.
  void Acknowledge() { posted_ = false; }

 private:
  static void CALLBACK OnTimer(HWND window, UINT, UINT_PTR id, DWORD);
  void Look();
  void LookForFolder();
  void Arm();
  void Disarm();
  void Post();

  std::wstring folder_;
  DWORD filter_;
  HWND window_;
  UINT message_;
  WPARAM tag_;
  HANDLE change_ = INVALID_HANDLE_VALUE;
  std::optional<FolderIdentity> watched_;
  bool timer_ = false;
  bool posted_ = false;
  bool untold_ = false;  // a change the window's queue refused
  DWORD lastFolderCheck_ = 0;
};

}  // namespace tapestrel::browser
