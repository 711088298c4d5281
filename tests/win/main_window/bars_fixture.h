// The real main window on a folder of pictures, with what the bars and input
// tests need: a message pump, menus read back as they open, and screenshots.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "common/solid_picture.h"
#include "ui_driver.h"
#include "win_support/main_window_fixture.h"

namespace tapestrel::testing {

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

inline void Pump(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

// A menu and its submenus as lines, submenu items indented by two blanks.
inline std::vector<std::wstring> MenuLines(HMENU menu, const std::wstring& indent = L"") {
  std::vector<std::wstring> lines;
  const std::vector<std::wstring> captions = MainWindowFixture::MenuCaptions(menu);
  for (int i = 0; i < static_cast<int>(captions.size()); ++i) {
    lines.push_back(indent + captions[static_cast<size_t>(i)]);
    if (HMENU sub = GetSubMenu(menu, i)) {
      for (std::wstring& line : MenuLines(sub, indent + L"  ")) lines.push_back(std::move(line));
    }
  }
  return lines;
}

// The whole screen as a BMP in "screenshots\" beside the test program.
inline void SaveScreenShot(const std::string& name) {
  const HDC dc = GetDC(nullptr);
  const imaging::Bitmap shot =
      app::CopyFromDc(dc, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), SRCCOPY);
  ReleaseDC(nullptr, dc);
  const std::string folder = ThisProgramFolder() + "screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  imaging::WriteBmpFile(folder + "\\" + name + ".bmp", shot);
}

// What a popup menu showed while `open` had it open: its place on the screen
// and its items. The menu's own loop runs a timer of this thread, which reads
// the menu, takes the screenshot (when named) and closes it.
struct OpenedMenu {
  bool opened = false;
  RECT place{};
  std::vector<std::wstring> lines;
  std::vector<int> radioChecked;  // top-level items
};
namespace menu_watch {
inline OpenedMenu* seen = nullptr;
inline std::string shotName;
inline void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr;) {
    if (!IsWindowVisible(w) || seen->opened) continue;
    seen->opened = true;
    GetWindowRect(w, &seen->place);
    const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(w, MN_GETHMENU, 0, 0));
    seen->lines = MenuLines(menu);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_STATE | MIIM_FTYPE;
      GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
      if ((info.fState & MFS_CHECKED) && (info.fType & MFT_RADIOCHECK)) seen->radioChecked.push_back(i);
    }
    if (!shotName.empty()) SaveScreenShot(shotName);
    EndMenu();
  }
}
}  // namespace menu_watch

inline OpenedMenu WhileMenuOpen(const std::function<void()>& open, const std::string& shot = "") {
  OpenedMenu result;
  menu_watch::seen = &result;
  menu_watch::shotName = shot;
  const UINT_PTR timer = SetTimer(nullptr, 0, 400, &menu_watch::OnTimer);
  open();
  KillTimer(nullptr, timer);
  return result;
}

// The main window shown on a folder of solid-colour pictures.
class BarsTest : public ::testing::Test {
 protected:
  TempFolder pictures;

  std::string Ini(const std::string& extra = "") {
    return "[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\n" + extra;
  }
  // A picture padded to exactly `size` bytes (a BMP may carry trailing bytes).
  void WritePicture(const std::string& name, size_t size, uint32_t colour) {
    WriteSolidBmp(pictures / name, 8, 8, colour);
    std::string bytes = ReadFile(pictures / name);
    if (bytes.size() < size) bytes.resize(size, '\0');
    WriteFile(pictures / name, bytes);
  }
  static std::wstring StatusText(HWND bar, int part) {
    wchar_t text[256] = {};
    if (LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, part, 0)) < 256)
      SendMessageW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text));
    return text;
  }
  static void SelectOnly(browser::TImgListView& view, const std::vector<int>& indices) {
    for (int i = 0; i < view.ImgItems().Count(); ++i) view.Select(i, false);
    for (int i : indices) view.Select(i, true);
    Pump(100);  // the view reports selection changes through its queue
  }
};

}  // namespace tapestrel::testing
