// The folder change watcher: a thread waits for changes to one folder (not
// its subtree) and tells the window, which refreshes. At most one change is
// waiting for the window at a time; changes that come while it refreshes
// bring one more.
//
// It never falls silent: a folder that vanishes (a share gone, a rename away
// and back, a folder removed and made again) is looked for every second and
// watched again, with one more change told, as soon as it is back; a post
// the window's queue refused is made again.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/win32/handles.h"

namespace tapestrel::browser {

class ChangeWatcher {
 public:
  // Posts `message` to `window` (wParam = `tag`) for each change. The folder
  // going away counts as a change, and so does its coming back.
  ChangeWatcher(const std::wstring& folder, DWORD filter, HWND window, UINT message, WPARAM tag);
  ~ChangeWatcher();  // stops the thread and waits for it
  ChangeWatcher(const ChangeWatcher&) = delete;
  ChangeWatcher& operator=(const ChangeWatcher&) = delete;

  // The window took the posted change; the next one may be posted.
  void Acknowledge() { posted_ = false; }

 private:
  void Run(const std::wstring& folder, DWORD filter, HANDLE change);
  // False when the window's queue refused it.
  bool Post();

  HWND window_;
  UINT message_;
  WPARAM tag_;
  platform::UniqueKernelHandle stop_;
  std::atomic<bool> posted_{false};
  std::thread thread_;
};

}  // namespace tapestrel::browser
