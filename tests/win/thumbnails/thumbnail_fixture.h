// The thumbnail view with thumbnail loading plugged in, as the main window
// sets it up, over a folder of real files. Shared by the Wine tests and the
// Wine benchmark.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <ole2.h>

#include <chrono>

#include "app/png_custom_image.h"
#include "browser/view_options.h"
#include "browser/win32/img_list_view.h"
#include "browser/win32/program_view.h"
#include "browser/win32/thumbnail_cells.h"
#include "platform/win32/text.h"
#include "win_support/message_pump.h"

namespace tapestrel::testing {

// A visible top-level window of the given size holding a thumbnail view set
// up as the main window sets up its own.
class ViewWindow {
 public:
  ViewWindow(int width, int height) {
    frame_ = CreateWindowExW(0, L"STATIC", L"thumbnails", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                             0, 0, width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    view_ = std::make_unique<browser::TImgListView>(frame_);
    RECT client;
    GetClientRect(frame_, &client);
    view_->SetBounds(client);
    browser::SetUpAsProgramView(*view_);
    // Each test chooses whether entries are made ahead of being seen.
    view_->ViewImage.LookAhead = false;
    Pump(20);
  }
  ~ViewWindow() {
    view_.reset();
    DestroyWindow(frame_);
  }
  browser::TImgListView& View() { return *view_; }
  HWND Frame() const { return frame_; }
  HWND List() const { return view_->ListView(); }

 private:
  HWND frame_ = nullptr;
  std::unique_ptr<browser::TImgListView> view_;
};

class ThumbnailHost {
 public:
  explicit ThumbnailHost(int width = 800, int height = 600) : window_(width, height) {
    browser::TImgListView& v = window_.View();
    browser::TImgUtil& util = v.ViewImage.ImgUtil;
    util.SetCustomTest(&png);
    util.SusiePriority = true;
    util.Font = browser::TImgFont{L"MS UI Gothic", -16, 0, SHIFTJIS_CHARSET};
    cells = browser::ThumbnailCells::ForView(v);
    v.OnImageLoad = [this](browser::TImgListItem& e) { loadOrder.push_back(e.Serial()); };
    v.OnImageLoaded = [this](browser::TImgListItem& e) { ++loaded; };
  }
  ~ThumbnailHost() {
    View().SetThumbnailSource(nullptr);
    cells.reset();
  }

  browser::TImgListView& View() { return window_.View(); }
  browser::TImgItems& Items() { return View().ImgItems(); }
  browser::TImgUtil& Util() { return View().ViewImage.ImgUtil; }
  ViewWindow& Window() { return window_; }

  void Open(const std::string& folder) { View().OpenFolder(folder); }
  // Every entry's cell asked for, in list order, as painting does.
  void DrawAll() {
    for (int i = 0; i < Items().Count(); ++i) View().CellImage(Items()[i]);
  }
  // Runs the message loop (painting included) until the worker is idle;
  // false on time-out.
  bool Pump(int milliseconds = 60000) {
    return PumpUntil([this] { return !cells->Loader().Busy(); }, milliseconds);
  }
  browser::TImgListItem* Entry(const std::wstring& name) {
    for (int i = 0; i < Items().Count(); ++i)
      if (Items()[i].DisplayName() == name) return &Items()[i];
    return nullptr;
  }
  int IndexOfSerial(int serial) {
    for (int i = 0; i < Items().Count(); ++i)
      if (Items()[i].Serial() == serial) return i;
    return -1;
  }

  app::PngCustomImageTest png;
  std::unique_ptr<browser::ThumbnailCells> cells;
  int loaded = 0;
  std::vector<int> loadOrder;

 private:
  ViewWindow window_;
};

}  // namespace tapestrel::testing
