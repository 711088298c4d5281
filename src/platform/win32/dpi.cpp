#include "platform/win32/dpi.h"

#include <vector>

#include "platform/win32/late_bound.h"

namespace tapestrel::platform {
namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using SetDialogDpiChangeBehaviorFunction = BOOL(WINAPI*)(HWND, int, int);
constexpr int kDialogScalingOff = 1 | 2 | 4;  // DDC_DISABLE_ALL | DDC_DISABLE_RESIZE | DDC_DISABLE_CONTROL_RELAYOUT

BOOL CALLBACK CollectChild(HWND child, LPARAM found) {
  reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
  return TRUE;
}

}  // namespace

int SystemDpi() {
  static const int dpi = [] {
    const HDC screen = GetDC(nullptr);
    const int value = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDefaultDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return value > 0 ? value : kDefaultDpi;
  }();
  return dpi;
}

int WindowDpi(HWND window) {
  static const auto getDpiForWindow = LateBound<GetDpiForWindowFunction>("user32.dll", "GetDpiForWindow");
  if (window && getDpiForWindow) {
    if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
  static const auto forDpi =
      LateBound<GetSystemMetricsForDpiFunction>("user32.dll", "GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
  // Windows 7 and 8 measure at the system's scale only.
  return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

UniqueGdiObject SystemFontForDpi(SystemFont which, int dpi) {
  static const auto forDpi =
      LateBound<SystemParametersInfoForDpiFunction>("user32.dll", "SystemParametersInfoForDpi");
  // Without the function (before Windows 10) the fonts are the system's scale's.
  const int measuredAt = forDpi ? dpi : SystemDpi();
  LOGFONTW font{};
  if (which == SystemFont::IconTitle) {
    const BOOL ok = forDpi ? forDpi(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0, static_cast<UINT>(dpi))
                           : SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0);
    if (!ok) return UniqueGdiObject();
  } else {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    const BOOL ok = forDpi ? forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))
                           : SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    if (!ok) return UniqueGdiObject();
    font = which == SystemFont::Status ? metrics.lfStatusFont : metrics.lfMessageFont;
  }
  font.lfHeight = MulDiv(font.lfHeight, dpi, measuredAt);
  font.lfWidth = MulDiv(font.lfWidth, dpi, measuredAt);
  return UniqueGdiObject(CreateFontIndirectW(&font));
}

UniqueGdiObject FontForDpi(HFONT font, int fromDpi, int toDpi) {
  LOGFONTW log{};
  if (!font || !GetObjectW(font, sizeof log, &log)) return UniqueGdiObject();
  log.lfHeight = MulDiv(log.lfHeight, toDpi, fromDpi);
  log.lfWidth = MulDiv(log.lfWidth, toDpi, fromDpi);
  return UniqueGdiObject(CreateFontIndirectW(&log));
}

void ScaleChildren(HWND parent, int fromDpi, int toDpi, HFONT font) {
  if (fromDpi == toDpi || fromDpi <= 0) return;
  std::vector<HWND> children;
  EnumChildWindows(parent, &CollectChild, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    if (GetParent(child) != parent) continue;  // a child's children follow their parent
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    const auto scale = [&](int v) { return MulDiv(v, toDpi, fromDpi); };
    SetWindowPos(child, nullptr, scale(r.left), scale(r.top), scale(r.right) - scale(r.left),
                 scale(r.bottom) - scale(r.top), SWP_NOZORDER | SWP_NOACTIVATE);
    if (font) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

int TakeSuggestedPlace(HWND window, WPARAM wParam, LPARAM lParam) {
  const auto* suggested = reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  return HIWORD(wParam);
}

void DialogDpi::Attach(HWND dialog) {
  dialog_ = dialog;
  dpi_ = WindowDpi(dialog);
  static const auto setBehavior =
      LateBound<SetDialogDpiChangeBehaviorFunction>("user32.dll", "SetDialogDpiChangeBehavior");
  if (setBehavior) setBehavior(dialog, kDialogScalingOff, kDialogScalingOff);
}

bool DialogDpi::Follow(int dpi) {
  if (!dialog_ || dpi <= 0 || dpi == dpi_) return false;
  UniqueGdiObject font = FontForDpi(Font(), dpi_, dpi);
  ScaleChildren(dialog_, dpi_, dpi, static_cast<HFONT>(font.Get()));
  if (font) {
    SendMessageW(dialog_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    font_ = std::move(font);
  }
  dpi_ = dpi;
  return true;
}

bool DialogDpi::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  return Follow(TakeSuggestedPlace(dialog_, wParam, lParam));
}

HFONT DialogDpi::Font() const {
  if (font_) return static_cast<HFONT>(font_.Get());
  return dialog_ ? reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0)) : nullptr;
}

}  // namespace tapestrel::platform
