#include "settings_ui/win32/wallpaper_folder_dialog.h"

#include <windowsx.h>

#include "main_window_ids.h"
#include "platform/error_guard.h"
#include "platform/win32/ansi_path.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"
#include "settings_ui/new_folder_name.h"
#include "settings_ui/path_shortening.h"

namespace tapestrel::settings_ui {
namespace {

std::wstring ItemText(HWND dialog, int id) {
  const HWND item = GetDlgItem(dialog, id);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Anything there, file or folder, takes the name.
bool NameTaken(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// `path` shortened to what the edit shows between its margins, in its font.
std::wstring ShortenedFor(HWND edit, const std::wstring& path) {
  RECT text{};
  SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  const platform::WindowDc dc(edit);
  const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0));
  const HGDIOBJ previous = font ? SelectObject(dc.Get(), font) : nullptr;
  const std::wstring shown = ShortenPath(path, text.right - text.left, [&](std::wstring_view candidate) {
    SIZE size{};
    GetTextExtentPoint32W(dc.Get(), candidate.data(), static_cast<int>(candidate.size()), &size);
    return static_cast<int>(size.cx);
  });
  if (previous) SelectObject(dc.Get(), previous);
  return shown;
}

}  // namespace

WallpaperFolderDialog::WallpaperFolderDialog() = default;
WallpaperFolderDialog::~WallpaperFolderDialog() = default;

int WallpaperFolderDialog::ShowModal(HWND owner) {
  const INT_PTR result =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_WALLPAPER_FOLDER), owner,
                      &WallpaperFolderDialog::Procedure, reinterpret_cast<LPARAM>(this));
  return result == IDOK ? 1 : 2;
}

INT_PTR CALLBACK WallpaperFolderDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
  auto* self = reinterpret_cast<WallpaperFolderDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self) return FALSE;
  return platform::Guarded<INT_PTR>(FALSE,
                                    [&] { return self->HandleMessage(dialog, message, wParam, lParam); });
}

INT_PTR WallpaperFolderDialog::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit(dialog);
      return FALSE;  // the focus is set
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_WALLPAPER_FOLDER_PATH:
        case IDC_WALLPAPER_FOLDER_SHOWN:
          if (HIWORD(wParam) == EN_CHANGE) OnPathChange(dialog);
          return TRUE;
        case IDM_CREATE_FOLDER:
          CreateNewFolder();
          return TRUE;
        case IDOK: {
          // The default button answers Enter even while it is disabled.
          const std::wstring path = ItemText(dialog, IDC_WALLPAPER_FOLDER_PATH);
          if (!IsFolder(path)) return TRUE;
          if (const std::optional<std::string> ansi = platform::PathToAnsi(path)) {
            path_ = *ansi;
            EndDialog(dialog, IDOK);
          } else {
            platform::TellNameUnusable(dialog, path);
          }
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
    case WM_NOTIFY:
      return OnNotify(dialog, *reinterpret_cast<const NMHDR*>(lParam));
    case WM_CONTEXTMENU:
      if (tree_ && reinterpret_cast<HWND>(wParam) == tree_->Handle()) {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (at.x == -1 && at.y == -1) {
          // From the keyboard: below the selected folder.
          RECT item{};
          if (!TreeView_GetItemRect(tree_->Handle(), tree_->Selected(), &item, TRUE)) return TRUE;
          at = {item.left, item.bottom};
          ClientToScreen(tree_->Handle(), &at);
        }
        ShowFolderMenu(dialog, at);
        return TRUE;
      }
      break;
    case WM_DPICHANGED:
      // The path is shortened again for the field's new width and font.
      if (dpi_.OnDpiChanged(wParam, lParam)) OnPathChange(dialog);
      return TRUE;
    case WM_DESTROY:
      tree_.reset();
      break;
  }
  return FALSE;
}

void WallpaperFolderDialog::OnInit(HWND dialog) {
  SetWindowTextW(dialog, caption_.c_str());
  dpi_.Attach(dialog);
  SetForegroundWindow(dialog);
  // The proposal first: a shell that cannot give us its tree still leaves it.
  SetDlgItemTextW(dialog, IDC_WALLPAPER_FOLDER_PATH, platform::AnsiToWide(path_).c_str());
  OnPathChange(dialog);  // whether or not the text changed
  const HWND tree = GetDlgItem(dialog, IDC_WALLPAPER_FOLDER_TREE);
  SetFocus(tree);
  tree_ = std::make_unique<ShellFolderTree>(tree);
  // The tree opens at the proposal, so that what is highlighted is what is chosen.
  tree_->Reveal(path_);
}

void WallpaperFolderDialog::OnPathChange(HWND dialog) {
  const std::wstring path = ItemText(dialog, IDC_WALLPAPER_FOLDER_PATH);
  const HWND shown = GetDlgItem(dialog, IDC_WALLPAPER_FOLDER_SHOWN);
  const std::wstring text = ShortenedFor(shown, path);
  // The same text again would only bring the next change event.
  if (ItemText(dialog, IDC_WALLPAPER_FOLDER_SHOWN) != text) SetWindowTextW(shown, text.c_str());
  // A folder whose name has no ANSI path still enables OK: the user is told
  // why it cannot be taken rather than left guessing.
  EnableWindow(GetDlgItem(dialog, IDOK), IsFolder(path));
}

void WallpaperFolderDialog::TakeSelectedFolder(HWND dialog) {
  if (tree_->SelectedCount() != 1) return;
  SetDlgItemTextW(dialog, IDC_WALLPAPER_FOLDER_PATH, tree_->PathOf(tree_->Selected()).c_str());
}

INT_PTR WallpaperFolderDialog::OnNotify(HWND dialog, const NMHDR& header) {
  if (!tree_ || header.hwndFrom != tree_->Handle()) return FALSE;
  LRESULT result = 0;
  if (tree_->HandleNotify(header, result)) {
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return TRUE;
  }
  switch (header.code) {
    case TVN_SELCHANGEDW: {
      // A selection the user made, by mouse or keyboard; not the tree's own
      // when it first takes the focus.
      const UINT action = reinterpret_cast<const NMTREEVIEWW&>(header).action;
      if (action == TVC_BYMOUSE || action == TVC_BYKEYBOARD) TakeSelectedFolder(dialog);
      return TRUE;
    }
    case NM_RCLICK: {
      // The right button selects the folder under it, then opens the menu.
      TVHITTESTINFO hit{};
      GetCursorPos(&hit.pt);
      const POINT screen = hit.pt;
      ScreenToClient(tree_->Handle(), &hit.pt);
      const HTREEITEM item = TreeView_HitTest(tree_->Handle(), &hit);
      if (item && (hit.flags & TVHT_ONITEM)) {
        TreeView_SelectItem(tree_->Handle(), item);
        TakeSelectedFolder(dialog);
        ShowFolderMenu(dialog, screen);
      }
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);  // no WM_CONTEXTMENU after it
      return TRUE;
    }
  }
  return FALSE;
}

void WallpaperFolderDialog::ShowFolderMenu(HWND dialog, POINT screen) {
  const platform::UniqueMenu menu(
      LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_WALLPAPER_FOLDER_MENU)));
  if (!menu) return;
  TrackPopupMenu(GetSubMenu(menu.Get(), 0), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x,
                 screen.y, 0, dialog, nullptr);
}

void WallpaperFolderDialog::CreateNewFolder() {
  if (!tree_ || tree_->SelectedCount() != 1) return;
  const HTREEITEM parent = tree_->Selected();
  const std::optional<std::string> parentPath = platform::PathToAnsi(tree_->PathOf(parent));
  if (!parentPath) return;
  const std::optional<std::string> folder =
      NewFolderPath(*parentPath, platform::Utf8ToAnsi(kNewFolderName), NameTaken);
  // A folder that cannot be made is not reported.
  if (!folder || !CreateDirectoryA(folder->c_str(), nullptr)) return;
  tree_->Refresh(parent);
  TreeView_Expand(tree_->Handle(), parent, TVE_EXPAND);
}

}  // namespace tapestrel::settings_ui
