// Driving the registration's windows from another thread or process, as a
// user would: finding them, reading their texts, pressing their buttons
// (and, for people to look at, screenshots of them).
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win_support/screen_pixels.h"
#include "win_support/screenshots.h"
#include "win_support/waiting.h"
#include "win_support/window_search.h"

namespace tapestrel::testing {

// A window's caption without sending it a message: safe from a thread the
// window's own thread may be waiting for.
inline std::wstring Caption(HWND window) {
  wchar_t text[512] = {};
  const int n = InternalGetWindowText(window, text, 512);
  return std::wstring(text, static_cast<size_t>(n > 0 ? n : 0));
}

// A visible top-level window of the process with this caption.
inline HWND FindShownWindow(DWORD pid, const std::wstring& caption, int milliseconds = 10000) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND w : WindowsOf(pid, true)) {
          if (Caption(w) == caption) {
            found = w;
            return true;
          }
        }
        return false;
      },
      milliseconds);
  return found;
}

inline BOOL CALLBACK CollectButton(HWND child, LPARAM lp) {
  if (_wcsicmp(ClassName(child).c_str(), L"Button") == 0)
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(child);
  return TRUE;
}

// The dialog's buttons from left to right.
inline std::vector<HWND> ButtonsLeftToRight(HWND dialog) {
  std::vector<HWND> buttons;
  EnumChildWindows(dialog, &CollectButton, reinterpret_cast<LPARAM>(&buttons));
  std::sort(buttons.begin(), buttons.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.left < rb.left;
  });
  return buttons;
}

inline std::vector<std::wstring> Texts(const std::vector<HWND>& windows) {
  std::vector<std::wstring> texts;
  for (HWND w : windows) texts.push_back(WindowText(w));
  return texts;
}

// A click on a dialog's button, delivered as the button would report it.
inline void Press(HWND button) {
  PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

}  // namespace tapestrel::testing
