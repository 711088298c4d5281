// The thumbnail view in a window of its own, over a scratch folder of real
// files, and the helpers its tests share.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/win32/img_list_view.h"
#include "browser/win32/program_view.h"
#include "platform/win32/text.h"
#include "win_support/files.h"
#include "win_support/message_pump.h"

namespace tapestrel::testing {

inline std::wstring Wide(const std::string& ansi) { return platform::AnsiToWide(ansi); }

// A file with `size` bytes and a last-write time in local time.
inline void WriteSizedFile(const std::string& path, size_t size, int year = 2023, int month = 4, int day = 5,
                           int hour = 6, int minute = 7) {
  WriteFile(path, std::string(size, 'x'));
  HANDLE file =
      CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  SYSTEMTIME local{static_cast<WORD>(year), static_cast<WORD>(month),  0, static_cast<WORD>(day),
                   static_cast<WORD>(hour), static_cast<WORD>(minute), 8, 0};
  FILETIME localTime, utc;
  SystemTimeToFileTime(&local, &localTime);
  LocalFileTimeToFileTime(&localTime, &utc);
  SetFileTime(file, nullptr, nullptr, &utc);
  CloseHandle(file);
}

// A top-level window holding a view. The window itself stays for the whole
// program: destroying a focused top-level window costs Wine seconds.
class ViewWindow {
 public:
  explicit ViewWindow(int width = 800, int height = 600) {
    static const HWND frame =
        CreateWindowExW(0, L"STATIC", L"view", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 800,
                        600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    frame_ = frame;
    SetWindowPos(frame_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    view_ = std::make_unique<browser::TImgListView>(frame_);
    RECT client;
    GetClientRect(frame_, &client);
    view_->SetBounds(client);
    Pump(20);
  }
  ~ViewWindow() { view_.reset(); }

  browser::TImgListView& View() { return *view_; }
  HWND Frame() const { return frame_; }
  HWND List() const { return view_->ListView(); }

  std::vector<std::wstring> Names() {
    std::vector<std::wstring> names;
    browser::TImgItems& items = view_->ImgItems();
    for (int i = 0; i < items.Count(); ++i) names.emplace_back(items[i].DisplayName());
    return names;
  }

  // The text the list view shows for an item and column.
  std::wstring Text(int item, int column) {
    wchar_t text[260] = {};
    ListView_GetItemText(List(), item, column, text, 260);
    return text;
  }

 private:
  HWND frame_ = nullptr;
  std::unique_ptr<browser::TImgListView> view_;
};

}  // namespace tapestrel::testing
