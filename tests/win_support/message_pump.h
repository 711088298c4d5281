// OLE on the test thread, and running its messages while a test waits for
// what windows do in response.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <chrono>
#include <functional>

namespace tapestrel::testing {

// OLE (drag and drop, the shell's menus) and the common controls on this thread.
struct OleSession {
  OleSession() {
    OleInitialize(nullptr);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
  }
  ~OleSession() { OleUninitialize(); }
};

// Runs the thread's messages until `done` or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}
inline void Pump(int milliseconds = 50) {
  PumpUntil([] { return false; }, milliseconds);
}

}  // namespace tapestrel::testing
