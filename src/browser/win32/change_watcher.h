// The folder change watcher: a thread waits for changes to one folder (not
// its subtree) and tells the window, which refreshes. At most one change is
// waiting for the window at a time; changes that come while it refreshes
// bring one more.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/win32/handles.h"

namespace tapestrel::browser {

class ChangeWatcher {
 public:
  // Posts `message` to `window` (wParam = `tag`) for each change. A watch
  // that cannot be set up ends silently. A folder that disappears counts as
  // a change, once.
  ChangeWatcher(const std::wstring& folder, DWORD filter, HWND window, UINT message, WPARAM tag);
  ~ChangeWatcher();  // stops the thread and waits for it
  ChangeWatcher(const ChangeWatcher&) = delete;
  ChangeWatcher& operator=(const ChangeWatcher&) = delete;

  // The window took the posted change; the next one may be posted.
  void Acknowledge() { posted_ = false; }

 private:
  void Run(const std::wstring& folder, HANDLE change);
  void Post();

  HWND window_;
  UINT message_;
  WPARAM tag_;
  platform::UniqueKernelHandle stop_;
  std::atomic<bool> posted_{false};
  std::thread thread_;
};

}  // namespace tapestrel::browser
