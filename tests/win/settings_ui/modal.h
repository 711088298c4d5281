// Acting inside a modal loop that the test itself started: a thread timer
// runs a body once the awaited window exists. A body that fails leaves no
// dialog open: whatever is still open on this thread afterwards is cancelled.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "win_support/window_search.h"

namespace tapestrel::testing {

inline BOOL CALLBACK CollectThreadWindow(HWND w, LPARAM found) {
  reinterpret_cast<std::vector<HWND>*>(found)->push_back(w);
  return TRUE;
}

// Top-level windows of this thread, visible ones only unless asked.
inline std::vector<HWND> ThreadWindows(bool visibleOnly = true) {
  std::vector<HWND> all, found;
  EnumThreadWindows(GetCurrentThreadId(), &CollectThreadWindow, reinterpret_cast<LPARAM>(&all));
  for (HWND w : all) {
    if (!visibleOnly || IsWindowVisible(w)) found.push_back(w);
  }
  return found;
}

inline HWND ThreadWindowTitled(const std::wstring& caption) {
  for (HWND w : ThreadWindows()) {
    if (WindowText(w) == caption) return w;
  }
  return nullptr;
}

// The open dialog of this thread (class "#32770") other than `except`.
inline HWND ThreadDialog(HWND except = nullptr) {
  for (HWND w : ThreadWindows()) {
    if (w != except && ClassName(w) == L"#32770") return w;
  }
  return nullptr;
}

class WhileModal {
 public:
  // Runs `body` once `find` answers a window, at most `milliseconds` later.
  WhileModal(std::function<HWND()> find, std::function<void(HWND)> body, int milliseconds = 10000)
      : find_(std::move(find)), body_(std::move(body)), deadline_(GetTickCount() + milliseconds) {
    id_ = SetTimer(nullptr, 0, 30, &WhileModal::Tick);
    Pending()[id_] = this;
  }
  WhileModal(const WhileModal&) = delete;
  WhileModal& operator=(const WhileModal&) = delete;
  ~WhileModal() { Stop(); }
  bool Ran() const { return ran_; }

 private:
  static std::map<UINT_PTR, WhileModal*>& Pending() {
    static std::map<UINT_PTR, WhileModal*> pending;
    return pending;
  }
  void Stop() {
    if (!id_) return;
    KillTimer(nullptr, id_);
    Pending().erase(id_);
    id_ = 0;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Pending().find(id);
    if (it == Pending().end()) return;
    WhileModal* self = it->second;
    const HWND window = self->find_();
    const bool late = static_cast<LONG>(GetTickCount() - self->deadline_) > 0;
    if (!window && !late) return;
    self->Stop();
    if (window) {
      self->ran_ = true;
      self->body_(window);
    }
    // Whatever the body left open is cancelled, so that the test goes on.
    if (window && IsWindow(window) && IsWindowVisible(window)) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    if (!window) {
      for (HWND w : ThreadWindows()) PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
    }
  }

  std::function<HWND()> find_;
  std::function<void(HWND)> body_;
  DWORD deadline_;
  UINT_PTR id_ = 0;
  bool ran_ = false;
};

inline void PumpMessages() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

}  // namespace tapestrel::testing
