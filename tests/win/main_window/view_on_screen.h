// The real main window shown over a folder of pictures, its commands sent as
// the menu sends them, and its view's pixels read off the screen.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstring>
#include <string>

#include "common/solid_picture.h"
#include "program/win32/actions.h"
#include "win_support/main_window_fixture.h"
#include "win_support/screen_pixels.h"

namespace tapestrel::testing {

inline void PumpFor(int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

inline COLORREF ResolvedColor(imaging::ColorValue c) {
  return (c & imaging::kSystemColorFlag) ? GetSysColor(static_cast<int>(c & 0xFF)) : c & 0xFFFFFF;
}

// A screen copy of a window; Pixel takes the window's client coordinates.
class WindowPixels {
 public:
  explicit WindowPixels(HWND window) : window_(window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(150);
    GetClientRect(window, &client_);
    origin_ = {0, 0};
    ClientToScreen(window, &origin_);
    picture_ = ScreenPixels({origin_.x, origin_.y, origin_.x + client_.right, origin_.y + client_.bottom});
  }

  COLORREF Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= picture_.Width() || y >= picture_.Height()) return CLR_INVALID;
    const uint8_t* p = picture_.Row(y) + 3 * x;
    return RGB(p[2], p[1], p[0]);
  }
  // Pixels of the rectangle within `tolerance` of `color` in each channel.
  int Count(const RECT& r, COLORREF color, int tolerance = 24) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        const COLORREF p = Pixel(x, y);
        if (p != CLR_INVALID && std::abs(GetRValue(p) - GetRValue(color)) <= tolerance &&
            std::abs(GetGValue(p) - GetGValue(color)) <= tolerance &&
            std::abs(GetBValue(p) - GetBValue(color)) <= tolerance)
          ++n;
      }
    }
    return n;
  }
  const imaging::Bitmap& Picture() const { return picture_; }

 private:
  HWND window_;
  RECT client_{};
  POINT origin_{};
  imaging::Bitmap picture_;
};

class ShownMainWindow {
 public:
  static constexpr char kLongName[] = "b-picture-with-a-name-longer-than-a-tile";

  // `extraIni` goes after the wallpaper folder's line.
  explicit ShownMainWindow(const std::string& extraIni = "") : fixture_(WithPictures(pictures_, extraIni)) {
    HWND w = fixture_.Form().Handle();
    SetWindowPos(w, HWND_TOP, 0, 0, 800, 600, SWP_SHOWWINDOW);
    PumpFor(200);
  }

  app::MainWindow& Form() { return fixture_.Form(); }
  browser::TImgListView& View() { return fixture_.Form().View(); }
  HWND List() { return View().ListView(); }
  const TempFolder& Pictures() const { return pictures_; }
  std::string Ini() const { return fixture_.Ini(); }

  // As the menu does it.
  void Command(UINT action) {
    SendMessageW(Form().Handle(), WM_COMMAND, MAKEWPARAM(action, 0), 0);
    PumpFor(100);
  }
  std::string Saved(const char* key) {
    Form().SaveSettings(false);
    return IniValue(fixture_.Ini(), "List", key);
  }
  // The item's thumbnail cell, centred in its icon rectangle as the view draws it.
  RECT Cell(int index) {
    const browser::CellRect cell = View().CellAt(IconRect(index));
    return {cell.left, cell.top, cell.right, cell.bottom};
  }
  RECT IconRect(int index) {
    RECT icon{};
    icon.left = LVIR_ICON;
    SendMessageW(List(), LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&icon));
    return icon;
  }

 private:
  static std::string WithPictures(const TempFolder& folder, const std::string& extraIni) {
    // Two pictures, the second with a name too long for one tile line.
    WriteSolidBmp(folder / "a.bmp", 40, 20, 0x3080C0);
    WriteSolidBmp(folder / (std::string(kLongName) + ".bmp"), 20, 30, 0xC08030);
    return "[Whole]\r\nWallPaperFolder=" + folder.Path() + "\r\n" + extraIni;
  }

  TempFolder pictures_;
  MainWindowFixture fixture_;
};

}  // namespace tapestrel::testing
