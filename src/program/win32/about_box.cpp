#include "program/win32/about_box.h"

#include <commctrl.h>

#include "program/win32/licence_window.h"

#include "main_window_ids.h"
#include "platform/error_guard.h"
#include "platform/win32/text.h"
#include "tapestrel_version.h"

namespace tapestrel::app {

std::wstring AboutBox::VersionText() {
  return L"バージョン " + platform::Utf8ToWide(TAPESTREL_VERSION_TEXT " (" TAPESTREL_ARCH_TEXT ")");
}

void AboutBox::ShowModal(HWND owner) {
  // The link label's class is registered on demand.
  const INITCOMMONCONTROLSEX link{sizeof(INITCOMMONCONTROLSEX), ICC_LINK_CLASS};
  InitCommonControlsEx(&link);
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT_BOX), owner, &AboutBox::Procedure,
                  reinterpret_cast<LPARAM>(this));
  nameFont_.Reset();
}

INT_PTR CALLBACK AboutBox::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
  auto* self = reinterpret_cast<AboutBox*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self) return FALSE;
  return platform::Guarded<INT_PTR>(FALSE,
                                    [&] { return self->HandleMessage(dialog, message, wParam, lParam); });
}

INT_PTR AboutBox::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, VersionText().c_str());
      dpi_.Attach(dialog);
      MakeNameFont(dialog);
      SetFocus(GetDlgItem(dialog, IDOK));  // Enter closes; the link is a Tab away
      return FALSE;
    }
    case WM_DPICHANGED:
      if (dpi_.OnDpiChanged(wParam, lParam)) MakeNameFont(dialog);
      return TRUE;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      if (header.idFrom == IDC_ABOUT_LINK && (header.code == NM_CLICK || header.code == NM_RETURN)) {
        if (openLink_) openLink_();
        return TRUE;
      }
      break;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_ABOUT_LICENCE) {
        ShowLicenceWindow(dialog);
        return TRUE;
      }
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
  }
  return FALSE;
}

void AboutBox::MakeNameFont(HWND dialog) {
  // The name in a larger, bold version of the dialog's font.
  LOGFONTW font{};
  GetObjectW(dpi_.Font(), sizeof font, &font);
  font.lfHeight = font.lfHeight * 3 / 2;
  font.lfWeight = FW_BOLD;
  platform::UniqueGdiObject previous = std::move(nameFont_);
  nameFont_.Reset(CreateFontIndirectW(&font));
  if (nameFont_) {
    SendDlgItemMessageW(dialog, IDC_ABOUT_NAME, WM_SETFONT, reinterpret_cast<WPARAM>(nameFont_.Get()), TRUE);
  }
}

}  // namespace tapestrel::app
