// The scale a window is shown at, and what follows from it. Windows 10 tells
// each window its monitor's scale; older systems know one scale for the
// whole screen. The functions only newer systems have are bound when first
// called, so that the program still starts on Windows 7.
#pragma once

#include <windows.h>

#include "platform/dpi_scale.h"
#include "platform/win32/handles.h"

namespace tapestrel::platform {

// The system's dots per inch (the primary monitor's, where the notification
// area is).
int SystemDpi();
// The window's: its monitor's where Windows scales per monitor, else the system's.
int WindowDpi(HWND window);
// A system metric (SM_CXSMICON, SM_CXVSCROLL, ...) at `dpi`.
int SystemMetricForDpi(int index, int dpi);

// Pixel sizes written for 96 dpi, at one scale.
class DpiScale {
 public:
  explicit DpiScale(int dpi) : dpi_(dpi) {}
  static DpiScale Of(HWND window) { return DpiScale(WindowDpi(window)); }
  int Dpi() const { return dpi_; }
  int operator()(int pixels) const { return ScaleForDpi(pixels, dpi_); }
  // Every field scaled: a rectangle, or a left, top, width and height.
  RECT operator()(const RECT& r) const { return {(*this)(r.left), (*this)(r.top), (*this)(r.right), (*this)(r.bottom)}; }

 private:
  int dpi_;
};

// The system's fonts at `dpi`: of messages (dialogs, bars), of the status
// bar, of icon captions (list views).
enum class SystemFont { Message, Status, IconTitle };
UniqueGdiObject SystemFontForDpi(SystemFont which, int dpi);

// A copy of `font`, made for `toDpi` when it was made for `fromDpi`.
UniqueGdiObject FontForDpi(HFONT font, int fromDpi, int toDpi);

// After the window moved to a monitor of another scale: every child of
// `parent` moved and sized by toDpi/fromDpi and given `font` (when not null).
void ScaleChildren(HWND parent, int fromDpi, int toDpi, HFONT font);

// WM_DPICHANGED: the new dots per inch, and the window moved to the place
// Windows suggests for it.
int TakeSuggestedPlace(HWND window, WPARAM wParam, LPARAM lParam);

// A dialog from the resource script that follows its window to a monitor of
// another scale. Its template's units grow with the dialog font, so it opens
// at its scale by itself; afterwards this keeps its controls and font at the
// scale of the monitor it is on, in place of Windows' own re-layout (which
// would leave the fonts the program makes for itself behind).
class DialogDpi {
 public:
  // At WM_INITDIALOG (or right after creation): the scale it was made at.
  void Attach(HWND dialog);
  int Dpi() const { return dpi_; }
  int operator()(int pixels) const { return ScaleForDpi(pixels, dpi_); }
  // Lays the dialog out for `dpi`; false when it already is.
  bool Follow(int dpi);
  // WM_DPICHANGED: moves the dialog to Windows' place for it and lays it out.
  bool OnDpiChanged(WPARAM wParam, LPARAM lParam);
  // The dialog's font at its present scale.
  HFONT Font() const;

 private:
  HWND dialog_ = nullptr;
  int dpi_ = kDefaultDpi;
  UniqueGdiObject font_;  // once the scale changed
};

}  // namespace tapestrel::platform
