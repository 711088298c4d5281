#include "browser/win32/picture_list_view.h"

#include <commctrl.h>

#include <stdexcept>

#include "platform/paths.h"
#include "platform/win32/text.h"

namespace tapestrel::browser {

PictureListView::PictureListView(HWND parent) {
  hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 100, 100,
                          parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) throw std::runtime_error("cannot create the picture list");
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 360;
  std::wstring name = L"名前";
  column.pszText = name.data();
  ListView_InsertColumn(hwnd_, 0, &column);
  std::wstring folder = L"フォルダ";
  column.pszText = folder.data();
  column.cx = 400;
  ListView_InsertColumn(hwnd_, 1, &column);
}

void PictureListView::SetBounds(const RECT& r) {
  MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void PictureListView::Reload(const PictureList& pictures) {
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(hwnd_);
  for (int i = 0; i < pictures.Count(); ++i) {
    const std::string path = pictures.Path(i);
    std::wstring name = platform::AnsiToWide(platform::ExtractFileName(path));
    std::wstring folder = platform::AnsiToWide(platform::ExtractFilePath(path));
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = name.data();
    ListView_InsertItem(hwnd_, &item);
    ListView_SetItemText(hwnd_, i, 1, folder.data());
  }
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
}

}  // namespace tapestrel::browser
