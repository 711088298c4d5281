// The folder change watcher: the window's own thread looks, a few times a
// second, whether one folder (not its subtree) has changed, and tells the
// window, which refreshes. At most one change is waiting for the window at a
// time; changes that come while it refreshes bring one more.
//
// A timer rather than a thread of its own: the look costs next to nothing,
// any message loop (a dialog's, a menu's) runs it, and a resident program
// keeps no thread and thread stack only for waiting.
#pragma once

#include <windows.h>

#include <string>

namespace tapestrel::browser {

class ChangeWatcher {
 public:
  // Posts `message` to `window` (wParam = `tag`) for each change. A watch
  // that cannot be set up ends silently. A folder that disappears counts as
  // a change, once. Runs on the thread of `window`.
  ChangeWatcher(const std::wstring& folder, DWORD filter, HWND window, UINT message, WPARAM tag);
  ~ChangeWatcher();
  ChangeWatcher(const ChangeWatcher&) = delete;
  ChangeWatcher& operator=(const ChangeWatcher&) = delete;

  // The window took the posted change; the next one may be posted.
  void Acknowledge() { posted_ = false; }

 private:
  static void CALLBACK OnTimer(HWND window, UINT, UINT_PTR id, DWORD);
  void Look();
  void Post();
  void Stop();

  std::wstring folder_;
  HWND window_;
  UINT message_;
  WPARAM tag_;
  HANDLE change_ = INVALID_HANDLE_VALUE;
  bool timer_ = false;
  bool posted_ = false;
  DWORD lastExistenceCheck_ = 0;
};

}  // namespace tapestrel::browser
