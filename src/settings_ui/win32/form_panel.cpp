#include "settings_ui/win32/form_panel.h"

namespace tapestrel::settings_ui {
namespace {

// A blank child over the whole panel while the hosted window changes, so
// that no half-switched state is ever drawn.
class Cover {
 public:
  explicit Cover(HWND panel) {
    RECT r;
    GetClientRect(panel, &r);
    cover_ = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0, r.right, r.bottom, panel,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    if (cover_) SetWindowPos(cover_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  Cover(const Cover&) = delete;
  Cover& operator=(const Cover&) = delete;
  ~Cover() {
    if (cover_) DestroyWindow(cover_);
  }

 private:
  HWND cover_ = nullptr;
};

}  // namespace

TFormPanel::TFormPanel(HWND parent, const RECT& bounds) {
  // A control parent, so that the dialog's keyboard navigation reaches the
  // hosted page's controls.
  Create(L"TapestrelFormPanel", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
         bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr);
}

void TFormPanel::SetHostedForm(HWND form) {
  Cover cover(Handle());
  GiveBack();
  if (!form || !IsWindow(form)) return;
  hosted_ = form;
  savedStyle_ = GetWindowLongPtrW(form, GWL_STYLE);
  const bool child = (savedStyle_ & WS_CHILD) != 0;
  savedParent_ = child ? GetParent(form) : nullptr;
  savedOwner_ = child ? nullptr : GetWindow(form, GW_OWNER);
  SetWindowLongPtrW(form, GWL_STYLE, WS_CHILD);
  SetParent(form, Handle());
  Fit();
  ShowWindow(form, SW_SHOW);
}

void TFormPanel::GiveBack() {
  const HWND form = hosted_;
  hosted_ = nullptr;
  if (!form || !IsWindow(form)) return;
  ShowWindow(form, SW_HIDE);
  SetParent(form, savedParent_);
  SetWindowLongPtrW(form, GWL_STYLE, savedStyle_ & ~WS_VISIBLE);
  if (!savedParent_) SetWindowLongPtrW(form, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(savedOwner_));
}

void TFormPanel::Fit() {
  if (!hosted_) return;
  // No bevel and no border: the hosted window fills the panel.
  RECT r;
  GetClientRect(Handle(), &r);
  SetWindowPos(hosted_, nullptr, 0, 0, r.right, r.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TFormPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Fit();
      return 0;
    case WM_DESTROY:
      // Before the panel's children go: the hosted window outlives it.
      GiveBack();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace tapestrel::settings_ui
