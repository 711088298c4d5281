#include "platform/win32/window.h"

#include <stdexcept>

#include "platform/error_guard.h"

namespace tapestrel::platform {

Window::~Window() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void Window::Create(const wchar_t* className, const std::wstring& caption, DWORD style, DWORD exStyle, int x,
                    int y, int width, int height, HWND parent, HMENU menu, HICON icon) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  if (!GetClassInfoExW(instance, className, &wc)) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    wc.hIcon = icon;
    wc.hIconSm = icon;
    if (!RegisterClassExW(&wc)) throw std::runtime_error("RegisterClassEx failed");
  }
  if (!CreateWindowExW(exStyle, className, caption.c_str(), style, x, y, width, height, parent, menu, instance,
                       this)) {
    throw std::runtime_error("CreateWindowEx failed");
  }
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

LRESULT Window::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
    self->hwnd_ = nullptr;
    Guarded([&] { self->OnDestroyed(); });
    return result;
  }
  return Guarded<LRESULT>(0, [&] { return self->HandleMessage(message, wParam, lParam); });
}

}  // namespace tapestrel::platform
