// Thumbnail loading without the view around it: a plain folder as the
// entries' shell folder, and a window that stands for the view, handing the
// worker's messages to the real ThumbnailCells. Shared by the Wine tests and
// the Wine benchmark.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/png_custom_image.h"
#include "browser/shell_items.h"
#include "browser/view_options.h"
#include "browser/win32/thumbnail_cells.h"
#include "browser/win32/thumbnail_platform.h"
#include "platform/error_guard.h"
#include "platform/win32/text.h"

struct tapestrel::browser::ShellItemId {
  std::wstring name;
  bool folder = false;
};

namespace tapestrel::testing {

// The files of one folder, in name order, through FindFirstFile.
class DirectoryFolder : public browser::ShellFolderPort {
 public:
  explicit DirectoryFolder(std::string folder) : folder_(platform::AnsiToWide(folder) + L"\\") {}

  bool Enumerate(EnumFlags flags, const std::function<void(browser::ShellItemId*)>& take) override {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder_ + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const bool folder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      if ((folder && !flags.folders) || (!folder && !flags.nonFolders)) continue;
      take(new browser::ShellItemId{name, folder});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
  }
  void Free(browser::ShellItemId* id) override { delete id; }
  uint32_t Attributes(const browser::ShellItemId* id) override {
    return id->folder ? browser::kAttrFolder | browser::kAttrFileSystemAncestor : 0;
  }
  std::wstring ParsingName(const browser::ShellItemId* id) override { return folder_ + id->name; }
  std::wstring DisplayName(const browser::ShellItemId* id) override { return id->name; }
  std::optional<browser::ItemFileData> FileData(const browser::ShellItemId*) override { return std::nullopt; }
  std::wstring TypeName(const browser::ShellItemId*) override { return L""; }
  int IconIndex(const browser::ShellItemId* id) override {
    SHFILEINFOW info{};
    SHGetFileInfoW(ParsingName(id).c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX);
    return info.iIcon;
  }
  int Compare(int, const browser::ShellItemId* a, const browser::ShellItemId* b) override {
    return CompareTexts(a->name, b->name);
  }
  bool OrdersByColumn(int column) override { return column == 0; }
  int CompareTexts(std::wstring_view a, std::wstring_view b) override {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                          b.data(), static_cast<int>(b.size())) -
           2;
  }
  std::wstring ChildPathPrefix() override { return folder_; }

 private:
  std::wstring folder_;
};

// A hidden window standing for the thumbnail view: its entries, its
// options as the main window sets them, and ThumbnailCells with the real
// worker.
class ThumbnailHost {
 public:
  static constexpr imaging::ColorValue kViewColor = 0xFFFFFF;

  explicit ThumbnailHost(const std::string& folder) : folder_(folder) {
    static const wchar_t* kClass = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &ThumbnailHost::Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"TapestrelThumbnailHost";
      RegisterClassW(&wc);
      return L"TapestrelThumbnailHost";
    }();
    hwnd_ =
        CreateWindowW(kClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    image.ImageWidth = 120;
    image.ImageHeight = 90;
    image.SmallIcon.IconPos = browser::TIconPos::iipNone;
    browser::TImgUtil& util = image.ImgUtil;
    util.SetPlatform(&platform);
    util.Thumbnail.SetPort(&platform);
    util.SetCustomTest(&png);
    util.SusiePriority = true;
    util.Font = browser::TImgFont{L"MS UI Gothic", -16, 0, SHIFTJIS_CHARSET};
    items.SetFolder(&folder_);
    cells = std::make_unique<browser::ThumbnailCells>(
        hwnd_, items, image,
        browser::ThumbnailCells::ViewHooks{[this](browser::TImgListItem& e) { ++repaints; },
                                           [] { return kViewColor; }});
    cells->Loader().OnImageLoad = [this](browser::TImgListItem& e) { loadOrder.push_back(e.Serial()); };
    cells->Loader().OnImageLoaded = [this](browser::TImgListItem& e) { ++loaded; };
  }
  ~ThumbnailHost() {
    cells.reset();
    items.Clear();
    DestroyWindow(hwnd_);
  }

  // A fresh enumeration, as the view's refresh does it.
  void Refresh() {
    rebuilding = true;
    cells->Loader().CancelAll();
    cells->Rebuild();
    items.Enumerate({}, [this](browser::TImgListItem& e) { cells->OfferLookAhead(e, true); });
    cells->Loader().Resume();
    rebuilding = false;
  }
  // Every entry's cell asked for, in list order, as a first paint does.
  void DrawAll() {
    for (int i = 0; i < items.Count(); ++i) cells->CellImage(items[i]);
  }
  // Runs the message loop until the worker is idle; false on time-out.
  bool Pump(int milliseconds = 60000) {
    const DWORD end = GetTickCount() + milliseconds;
    while (cells->Loader().Busy()) {
      if (static_cast<int>(end - GetTickCount()) <= 0) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }
    return true;
  }
  browser::TImgListItem* Entry(const std::wstring& name) {
    for (int i = 0; i < items.Count(); ++i)
      if (items[i].DisplayName() == name) return &items[i];
    return nullptr;
  }

  browser::WindowsThumbnailPlatform platform;
  app::PngCustomImageTest png;
  browser::TViewImage image;
  browser::TImgItems items;
  std::unique_ptr<browser::ThumbnailCells> cells;
  bool rebuilding = false;
  int repaints = 0, loaded = 0;
  std::vector<int> loadOrder;
  HWND Handle() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<ThumbnailHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == browser::kImageLoadedMessage && self && self->cells) {
      platform::Guarded([&] { self->cells->OnImageLoadedMessage(wParam, lParam, self->rebuilding); });
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  DirectoryFolder folder_;
  HWND hwnd_ = nullptr;
};

}  // namespace tapestrel::testing
