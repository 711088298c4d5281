#include "settings_ui/win32/wallpaper_folder_dialog.h"

#include <shlobj.h>

#include "platform/error_guard.h"
#include "platform/win32/text.h"
#include "resource.h"

namespace tapestrel::settings_ui {
namespace {

std::string FieldText(HWND dialog) {
  const HWND field = GetDlgItem(dialog, IDC_FOLDER_PATH);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
  return platform::WideToAnsi(text);
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int WallpaperFolderDialog::ShowModal(HWND owner) {
  const INT_PTR result =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FOLDER_DIALOG), owner,
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

INT_PTR WallpaperFolderDialog::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowTextW(dialog, caption_.c_str());
      SetDlgItemTextW(dialog, IDC_FOLDER_PATH, platform::AnsiToWide(path_).c_str());
      UpdateOk(dialog);
      SetForegroundWindow(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_FOLDER_PATH:
          if (HIWORD(wParam) == EN_CHANGE) UpdateOk(dialog);
          return TRUE;
        case IDC_FOLDER_BROWSE:
          Browse(dialog);
          return TRUE;
        case IDOK:
          path_ = FieldText(dialog);
          if (IsFolder(path_)) EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

void WallpaperFolderDialog::UpdateOk(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDOK), IsFolder(FieldText(dialog)));
}

void WallpaperFolderDialog::Browse(HWND dialog) {
  BROWSEINFOW info{};
  info.hwndOwner = dialog;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  LPITEMIDLIST list = SHBrowseForFolderW(&info);
  if (!list) return;
  wchar_t path[MAX_PATH];
  if (SHGetPathFromIDListW(list, path)) SetDlgItemTextW(dialog, IDC_FOLDER_PATH, path);
  CoTaskMemFree(list);
}

}  // namespace tapestrel::settings_ui
