// A window of the program: registers its class once, routes messages to a
// virtual handler and drops any error at the window procedure's edge.
#pragma once

#include <windows.h>

#include <string>

namespace tapestrel::platform {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND Handle() const { return hwnd_; }
  bool IsAlive() const { return hwnd_ != nullptr; }

 protected:
  // Registers `className` (once) and creates the window; throws on failure.
  void Create(const wchar_t* className, const std::wstring& caption, DWORD style, DWORD exStyle, int x, int y,
              int width, int height, HWND parent, HMENU menu, HICON icon = nullptr);
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
  // Called after WM_NCDESTROY; the handle is already gone.
  virtual void OnDestroyed() {}

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

}  // namespace tapestrel::platform
