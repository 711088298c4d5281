#include "program/win32/licence_window.h"

#include <string>

#include "main_window_ids.h"
#include "platform/error_guard.h"
#include "platform/win32/text.h"

namespace tapestrel::app {
namespace {

// A UTF-8 text resource of the executable; empty if it is missing.
std::string TextResource(int id) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
  const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return {};
  return std::string(static_cast<const char*>(data), SizeofResource(module, found));
}

// An edit control breaks lines only at CR LF.
std::wstring WithCrLf(const std::wstring& text) {
  std::wstring result;
  result.reserve(text.size() + text.size() / 32);
  for (wchar_t c : text) {
    if (c == L'\r') continue;
    if (c == L'\n') result += L'\r';
    result += c;
  }
  return result;
}

std::wstring LicenceText() {
  const std::string licence = TextResource(IDR_LICENCE);
  const std::string notices = TextResource(IDR_THIRD_PARTY_NOTICES);
  return WithCrLf(platform::Utf8ToWide(licence + "\n\n" + notices));
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return platform::Guarded<INT_PTR>(FALSE, [&]() -> INT_PTR {
    switch (message) {
      case WM_INITDIALOG:
        SetDlgItemTextW(dialog, IDC_LICENCE_TEXT, LicenceText().c_str());
        SetFocus(GetDlgItem(dialog, IDOK));  // not the text: it would show all selected
        return FALSE;
      case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
        }
        break;
    }
    return FALSE;
  });
}

}  // namespace

void ShowLicenceWindow(HWND owner) {
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LICENCE), owner, &Procedure, 0);
}

}  // namespace tapestrel::app
