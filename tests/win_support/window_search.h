// Finding the windows of a process and reading their texts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tapestrel::testing {

struct WindowSearch {
  DWORD pid;
  bool visibleOnly;
  std::vector<HWND> found;
};

inline BOOL CALLBACK CollectWindowOfProcess(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<WindowSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == s->pid && (!s->visibleOnly || IsWindowVisible(hwnd))) s->found.push_back(hwnd);
  return TRUE;
}

// Top-level windows of a process.
inline std::vector<HWND> WindowsOf(DWORD processId, bool visibleOnly) {
  WindowSearch search{processId, visibleOnly, {}};
  EnumWindows(&CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline std::wstring WindowText(HWND hwnd) {
  wchar_t text[1024];
  const int n = GetWindowTextW(hwnd, text, 1024);
  return std::wstring(text, static_cast<size_t>(n > 0 ? n : 0));
}

inline std::wstring ClassName(HWND hwnd) {
  wchar_t name[256];
  const int n = GetClassNameW(hwnd, name, 256);
  return std::wstring(name, static_cast<size_t>(n > 0 ? n : 0));
}

inline BOOL CALLBACK CollectStaticText(HWND child, LPARAM lp) {
  if (_wcsicmp(ClassName(child).c_str(), L"Static") == 0) {
    const std::wstring text = WindowText(child);
    if (!text.empty()) reinterpret_cast<std::vector<std::wstring>*>(lp)->push_back(text);
  }
  return TRUE;
}

// The texts of the static controls of a dialog (a message box's message).
inline std::vector<std::wstring> StaticTexts(HWND dialog) {
  std::vector<std::wstring> texts;
  EnumChildWindows(dialog, &CollectStaticText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

}  // namespace tapestrel::testing
