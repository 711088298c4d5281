#include "settings_ui/win32/spin_edit.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/error_guard.h"
#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"

namespace tapestrel::settings_ui {
namespace {

constexpr UINT_PTR kSubclassId = 0x5350494E;  // "SPIN"

wchar_t DecimalSeparator() {
  wchar_t separator[4] = {};
  return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 4) > 1 ? separator[0] : L'.';
}

int FontHeight(HDC dc, HGDIOBJ font) {
  const HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  return metrics.tmHeight;
}

}  // namespace

TWinSpinEdit::~TWinSpinEdit() {
  if (edit_ && IsWindow(edit_)) RemoveWindowSubclass(edit_, &TWinSpinEdit::Subclass, kSubclassId);
}

void TWinSpinEdit::Attach(HWND edit, SpinRange range) {
  edit_ = edit;
  range_ = range;
  button_ = CreateWindowExW(0, UPDOWN_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, edit, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  // The button's own position never reaches a limit: every press is a step.
  SendMessageW(button_, UDM_SETRANGE32, 0, 2);
  SendMessageW(button_, UDM_SETPOS32, 0, 1);
  SetWindowSubclass(edit, &TWinSpinEdit::Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  EnsureMinimumHeight();
  PlaceButton();
}

std::wstring TWinSpinEdit::Text() const {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit_)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(edit_, text.data(), static_cast<int>(text.size()))));
  return text;
}

void TWinSpinEdit::SetText(const std::wstring& text) { SetWindowTextW(edit_, text.c_str()); }

bool TWinSpinEdit::ReadOnly() const { return (GetWindowLongPtrW(edit_, GWL_STYLE) & ES_READONLY) != 0; }

int64_t TWinSpinEdit::Value() {
  const std::wstring text = Text();
  if (const auto value = ParseSpinText(text)) return *value;
  SetText(SpinText(range_.minValue));
  return range_.minValue;
}

void TWinSpinEdit::SetValue(int64_t value) { SetText(SpinText(LimitSpinValue(range_, value))); }

void TWinSpinEdit::Step(int direction) {
  if (ReadOnly()) {
    MessageBeep(0);
    return;
  }
  SetText(SpinText(SteppedSpinValue(range_, Text(), direction)));
}

void TWinSpinEdit::Correct(bool leaving) {
  if (const auto corrected = CorrectedSpinText(range_, Text(), leaving)) SetText(*corrected);
}

void TWinSpinEdit::PlaceButton() {
  RECT client;
  GetClientRect(edit_, &client);
  const int width = platform::SystemMetricForDpi(SM_CXVSCROLL, platform::WindowDpi(edit_));
  SetWindowPos(button_, nullptr, client.right - width, 0, width, client.bottom,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // The text ends before the button.
  SendMessageW(edit_, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, width + 2));
}

void TWinSpinEdit::EnsureMinimumHeight() {
  platform::WindowDc dc(edit_);
  const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(edit_, WM_GETFONT, 0, 0));
  const int controlHeight = FontHeight(dc.Get(), font ? font : GetStockObject(SYSTEM_FONT));
  const int systemHeight = FontHeight(dc.Get(), GetStockObject(SYSTEM_FONT));
  const int minimum =
      SpinMinimumHeight(controlHeight, systemHeight, controlHeight, GetSystemMetrics(SM_CYBORDER));
  RECT r;
  GetWindowRect(edit_, &r);
  if (r.bottom - r.top < minimum) {
    SetWindowPos(edit_, nullptr, 0, 0, r.right - r.left, minimum, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

LRESULT CALLBACK TWinSpinEdit::Subclass(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
  return platform::Guarded<LRESULT>(
      0, [&] { return reinterpret_cast<TWinSpinEdit*>(self)->HandleMessage(message, wParam, lParam); });
}

LRESULT TWinSpinEdit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR: {
      // The edit takes an input method's characters without a WM_CHAR:
      // both are filtered alike, and full-width digits enter plainly.
      const auto typed = static_cast<wchar_t>(wParam);
      if (!SpinAcceptsCharacter(typed, DecimalSeparator(), EditorEnabled)) {
        MessageBeep(0);
        return 0;
      }
      return DefSubclassProc(edit_, WM_CHAR, NarrowSpinCharacter(typed), lParam);
    }
    case WM_KEYDOWN:
      if (wParam == VK_UP || wParam == VK_DOWN) {
        Step(wParam == VK_UP ? +1 : -1);
        return 0;
      }
      if (wParam == VK_DELETE && !EditorEnabled) return 0;
      break;
    case WM_KEYUP: {
      const LRESULT result = DefSubclassProc(edit_, message, wParam, lParam);
      Correct(false);
      return result;
    }
    case WM_KILLFOCUS: {
      Correct(true);
      break;
    }
    case WM_LBUTTONDOWN: {
      clicking_ = true;
      const LRESULT result = DefSubclassProc(edit_, message, wParam, lParam);
      clicking_ = false;
      return result;
    }
    case WM_SETFOCUS: {
      const LRESULT result = DefSubclassProc(edit_, message, wParam, lParam);
      if (!clicking_) SendMessageW(edit_, EM_SETSEL, 0, -1);
      return result;
    }
    case WM_SIZE: {
      const LRESULT result = DefSubclassProc(edit_, message, wParam, lParam);
      if (button_) PlaceButton();
      return result;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == button_ && header->code == UDN_DELTAPOS) {
        Step(reinterpret_cast<const NMUPDOWN*>(lParam)->iDelta > 0 ? +1 : -1);
        return 1;  // the button keeps its own position
      }
      break;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(edit_, &TWinSpinEdit::Subclass, kSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(edit_, message, wParam, lParam);
}

}  // namespace tapestrel::settings_ui
