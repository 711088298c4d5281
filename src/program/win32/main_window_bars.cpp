// The main window's tool bar (above the view) and two-panel status bar (below
// it): the selection text in panel 0, the thumbnail being opened in panel 1.
#include <iterator>
#include <stdexcept>

#include "app/status_texts.h"
#include "app/view_options.h"
#include "main_window_ids.h"
#include "platform/win32/dpi.h"
#include "platform/win32/text.h"
#include "program/win32/main_window.h"

namespace tapestrel::app {
namespace {

// At 96 dpi; they grow with the window's scale.
constexpr int kButtonWidth = 33, kButtonHeight = 31;
constexpr int kSelectionPanelWidth = 200;

// The tool-bar images drawn for each scale of platform::kImageScales.
struct ToolImages {
  int scale;  // percent
  int bitmap;
};
constexpr ToolImages kToolImages[] = {
    {100, IDB_TOOL_BAR}, {125, IDB_TOOL_BAR_125}, {150, IDB_TOOL_BAR_150}, {200, IDB_TOOL_BAR_200}};

struct ToolButton {
  UINT command;  // an action, or a drop-down button's own id; 0 a divider
  int image;
  BYTE style;
  const char* hint;
};
constexpr ToolButton kToolButtons[] = {
    {kActLoadFile, IDI_TOOL_LOAD_FILE, BTNS_BUTTON, "ファイル読み込み"},
    {kActLoadFolder, IDI_TOOL_LOAD_FOLDER, BTNS_BUTTON, "フォルダ読み込み"},
    {0, 0, BTNS_SEP, nullptr},
    {IDC_TOOL_VIEW_MODE, IDI_TOOL_VIEW_MODE, BTNS_DROPDOWN, "表示"},
    {IDC_TOOL_VIEW_STYLE, IDI_TOOL_VIEW_STYLE, BTNS_DROPDOWN, "スタイル"},
    {0, 0, BTNS_SEP, nullptr},
    {kActCustomize, IDI_TOOL_CUSTOMIZE, BTNS_BUTTON, "設定"},
};

}  // namespace

void MainWindow::CreateBars() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  toolBar_ =
      CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0,
                      0, 0, 0, Handle(), reinterpret_cast<HMENU>(IDC_TOOL_BAR), instance, nullptr);
  statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0,
                               0, Handle(), reinterpret_cast<HMENU>(IDC_STATUS_BAR), instance, nullptr);
  if (!toolBar_ || !statusBar_) throw std::runtime_error("the main window's bars");

  SendMessageW(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolBar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  SetToolImages();
  TBBUTTON buttons[std::size(kToolButtons)] = {};
  for (size_t i = 0; i < std::size(kToolButtons); ++i) {
    const ToolButton& b = kToolButtons[i];
    buttons[i].iBitmap = b.image;
    buttons[i].idCommand = static_cast<int>(b.command);
    buttons[i].fsState = b.style == BTNS_SEP ? 0 : TBSTATE_ENABLED;
    buttons[i].fsStyle = b.style;
  }
  SendMessageW(toolBar_, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
  ScaleBars();

  viewModeMenu_.Reset(BuildMenu(actions_, ViewModeItems(), true));
  viewStyleMenu_.Reset(BuildMenu(actions_, ViewStyleItems(), true));
  actions_.OnChange = [this] { UpdateToolBar(); };
  UpdateToolBar();

  // Panel 0 follows the selection; the thumbnail loading (created later)
  // wraps the folder change and clears panel 1 before this runs.
  browser::TImgListView& view = *view_;
  auto chain = [this](std::function<void()> before) {
    return [this, before] {
      if (before) before();
      ShowSelectionText();
    };
  };
  view.OnSelectionChange = chain(view.OnSelectionChange);
  view.OnMouseDown = chain(view.OnMouseDown);
  view.OnChangeFolder = chain(view.OnChangeFolder);
  view.OnKeyUp = [this, before = view.OnKeyUp](WORD key) {
    if (before) before(key);
    ShowSelectionText();
  };
}

void MainWindow::SetToolImages() {
  // The images drawn for the window's scale (the largest not above it).
  const int scale = platform::ImageScaleForDpi(dpi_);
  int bitmap = IDB_TOOL_BAR;
  for (const ToolImages& images : kToolImages) {
    if (images.scale == scale) bitmap = images.bitmap;
  }
  const int size = platform::ScaleForDpi(TOOL_IMAGE_SIZE, scale * platform::kDefaultDpi / 100);
  std::unique_ptr<_IMAGELIST, decltype(&ImageList_Destroy)> images{
      ImageList_LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmap), size, 0, RGB(255, 0, 255),
                           IMAGE_BITMAP, LR_CREATEDIBSECTION),
      &ImageList_Destroy};
  SendMessageW(toolBar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
  SendMessageW(toolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.get()));
  toolImages_ = std::move(images);  // the bar no longer draws the old ones
}

void MainWindow::ScaleBars() {
  const platform::DpiScale px(dpi_);
  SendMessageW(toolBar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(px(kButtonWidth), px(kButtonHeight)));
  SendMessageW(toolBar_, TB_AUTOSIZE, 0, 0);
  int parts[] = {px(kSelectionPanelWidth), -1};
  SendMessageW(statusBar_, SB_SETPARTS, std::size(parts), reinterpret_cast<LPARAM>(parts));
}

void MainWindow::FollowDpi(int dpi) {
  // Moved to a monitor of another scale: the fonts of the bars and the
  // view, the tool bar's images and every size the window lays out by.
  if (dpi == dpi_) return;
  dpi_ = dpi;
  platform::UniqueGdiObject font = platform::SystemFontForDpi(platform::SystemFont::Status, dpi);
  if (font) SendMessageW(statusBar_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
  barFont_ = std::move(font);
  SetToolImages();
  ScaleBars();
  view_->BeginUpdate();
  if (tileLayout_) view_->ViewImage.BlankSpace.Right = platform::ScaleForDpi(kTileLayoutOn.rightBlankSpace, dpi);
  view_->FollowDpi(dpi);
  view_->EndUpdate();
  LayOut();
  InvalidateRect(Handle(), nullptr, TRUE);
}

void MainWindow::UpdateToolBar() {
  // The drop-down menus and the view's own menu carry check marks; the
  // buttons follow their actions' enabled state.
  for (HMENU menu : {viewModeMenu_.Get(), viewStyleMenu_.Get(), viewMenu_.Get()}) {
    if (menu) actions_.UpdateMenu(menu);
  }
  if (!toolBar_) return;
  for (const ToolButton& b : kToolButtons) {
    if (const Action* a = actions_.Find(b.command)) {
      SendMessageW(toolBar_, TB_ENABLEBUTTON, b.command, MAKELPARAM(a->enabled ? TRUE : FALSE, 0));
    }
  }
}

RECT MainWindow::LayOutBars(RECT client) {
  if (!toolBar_ || !statusBar_) return client;
  SendMessageW(toolBar_, TB_AUTOSIZE, 0, 0);
  SendMessageW(statusBar_, WM_SIZE, 0, 0);
  RECT bar{}, status{};
  GetWindowRect(toolBar_, &bar);
  GetWindowRect(statusBar_, &status);
  client.top += bar.bottom - bar.top;
  client.bottom -= status.bottom - status.top;
  if (client.bottom < client.top) client.bottom = client.top;
  return client;
}

bool MainWindow::OnBarsNotify(const NMHDR& header, LRESULT& result) {
  if (header.code == TTN_GETDISPINFOW) {
    auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
    for (const ToolButton& b : kToolButtons) {
      if (b.hint && b.command == header.idFrom) {
        const std::wstring hint = platform::Utf8ToWide(b.hint);
        lstrcpynW(info.szText, hint.c_str(), static_cast<int>(std::size(info.szText)));
        info.lpszText = info.szText;
        result = 0;
        return true;
      }
    }
    return false;
  }
  if (header.hwndFrom == toolBar_ && header.code == TBN_DROPDOWN) {
    PopUpToolMenu(static_cast<UINT>(reinterpret_cast<const NMTOOLBARW&>(header).iItem));
    result = TBDDRET_DEFAULT;
    return true;
  }
  return false;
}

bool MainWindow::OnBarsCommand(UINT id) {
  if (id != IDC_TOOL_VIEW_MODE && id != IDC_TOOL_VIEW_STYLE) return false;
  PopUpToolMenu(id);  // the button's main part opens the menu too
  return true;
}

void MainWindow::PopUpToolMenu(UINT button) {
  HMENU menu = button == IDC_TOOL_VIEW_MODE ? viewModeMenu_.Get() : viewStyleMenu_.Get();
  RECT item{}, window{}, client{}, bar{};
  if (!SendMessageW(toolBar_, TB_GETRECT, button, reinterpret_cast<LPARAM>(&item))) return;
  GetWindowRect(Handle(), &window);
  GetClientRect(Handle(), &client);
  GetWindowRect(toolBar_, &bar);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&bar), 2);
  // Below the button: the window's frame height stands in for the client
  // area's screen top. The bar has no indent, and the button's rectangle
  // would include it anyway.
  const int x = window.left + bar.left + item.left;
  const int y = window.top + (window.bottom - window.top) + (item.bottom - item.top) - client.bottom;
  actions_.UpdateMenu(menu);
  SendMessageW(toolBar_, TB_PRESSBUTTON, button, MAKELPARAM(TRUE, 0));
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, x, y, 0, Handle(), nullptr);
  SendMessageW(toolBar_, TB_PRESSBUTTON, button, MAKELPARAM(FALSE, 0));
}

void MainWindow::ShowSelectionText() {
  if (!statusBar_ || !view_) return;
  SelectionSummary s;
  s.itemCount = view_->ImgItems().Count();
  s.selectedCount = view_->SelCount();
  if (browser::TImgListItem* first = s.selectedCount > 0 ? view_->Selected() : nullptr) {
    s.firstIsFolder = first->IsFolder();
    s.firstTypeName = platform::WideToUtf8(first->TypeName());
    s.firstFileSize = first->FileSize();
  }
  const std::wstring text = platform::Utf8ToWide(SelectionStatusText(s));
  SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void MainWindow::ShowLoadingText(const std::wstring& text) {
  if (statusBar_) SendMessageW(statusBar_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace tapestrel::app
