#include "program/win32/registration_progress_window.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "app/picture_registration.h"
#include "platform/error_guard.h"
#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"
#include "registration_ids.h"

namespace tapestrel::app {
namespace {

constexpr UINT kRunLater = WM_APP + 1;
constexpr DWORD kShowEveryMs = 100;

// `window` centred on `over` (the work area when that is hidden or minimised).
void CentreOver(HWND window, HWND over) {
  RECT area;
  if (over && IsWindowVisible(over) && !IsIconic(over)) {
    GetWindowRect(over, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT r;
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(window, nullptr, area.left + (area.right - area.left - w) / 2,
               area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

RegistrationProgressWindow::RegistrationProgressWindow(HWND owner) : owner_(owner) {
  hwnd_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_REGISTRATION_PROGRESS), owner,
                             &RegistrationProgressWindow::Procedure, reinterpret_cast<LPARAM>(this));
  if (!hwnd_) throw std::runtime_error("cannot create the registration progress window");
  dpi_.Attach(hwnd_);
}

RegistrationProgressWindow::~RegistrationProgressWindow() {
  // The owner's end takes its owned windows with it.
  if (IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

void RegistrationProgressWindow::Open() {
  ShowPending();
  CentreOnOwner();
  // At the scale of the monitor it opens on, which need not be the one it
  // was made on.
  dpi_.Follow(platform::WindowDpi(hwnd_));
  EnableWindow(owner_, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
}

void RegistrationProgressWindow::Close() noexcept {
  ShowPending();
  Stop();
  // Enabled again before anything else is activated, so that the main window
  // gets the focus back.
  EnableWindow(owner_, TRUE);
  if (IsWindowVisible(owner_)) SetActiveWindow(owner_);
}

void RegistrationProgressWindow::Stop() {
  SetState(kStateStopping);
  ShowWindow(hwnd_, SW_HIDE);
}

void RegistrationProgressWindow::CentreOnOwner() { CentreOver(hwnd_, owner_); }

void RegistrationProgressWindow::SetState(const std::string& utf8) {
  state_ = utf8;
  SetDlgItemTextW(hwnd_, IDC_REGISTRATION_STATE, platform::Utf8ToWide(utf8).c_str());
}

std::string RegistrationProgressWindow::State() const { return state_; }

void RegistrationProgressWindow::SetFileName(const std::string& ansiName) {
  pending_.fileName = platform::AnsiToWide(ansiName);
  ShowPendingSoon();
}

void RegistrationProgressWindow::SetCount(const std::string& text) {
  pending_.count = platform::AnsiToWide(text);
  ShowPendingSoon();
}

void RegistrationProgressWindow::SetMaximum(int maximum) {
  SendDlgItemMessageW(hwnd_, IDC_REGISTRATION_BAR, PBM_SETRANGE32, 0, maximum);
}

void RegistrationProgressWindow::SetPosition(int position) {
  pending_.position = position;
  ShowPendingSoon();
}

void RegistrationProgressWindow::ShowPendingSoon() {
  pending_.changed = true;
  if (GetTickCount() - lastShown_ >= kShowEveryMs) ShowPending();
}

void RegistrationProgressWindow::ShowPending() {
  lastShown_ = GetTickCount();
  if (!pending_.changed) return;
  pending_.changed = false;
  SetDlgItemTextW(hwnd_, IDC_REGISTRATION_FILE, pending_.fileName.c_str());
  SetDlgItemTextW(hwnd_, IDC_REGISTRATION_COUNT, pending_.count.c_str());
  SendDlgItemMessageW(hwnd_, IDC_REGISTRATION_BAR, PBM_SETPOS, static_cast<WPARAM>(pending_.position), 0);
}

void RegistrationProgressWindow::ProcessMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The program is ending: stop, and leave the quit to the main loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      Stop();
      return;
    }
    if (IsDialogMessageW(hwnd_, &message)) continue;  // Escape and the keyboard in the window
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void RegistrationProgressWindow::SuspendViewRedraw(bool suspend) {
  if (OnSuspendViewRedraw) OnSuspendViewRedraw(suspend);
}

void RegistrationProgressWindow::RunLater(std::function<void()> work) {
  later_.push_back(std::move(work));
  PostMessageW(hwnd_, kRunLater, 0, 0);
}

std::wstring RegistrationProgressWindow::ControlText(int id) {
  ShowPending();
  HWND control = GetDlgItem(hwnd_, id);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

INT_PTR CALLBACK RegistrationProgressWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam,
                                                       LPARAM lParam) {
  return platform::Guarded<INT_PTR>(FALSE, [&]() -> INT_PTR {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
      return TRUE;
    }
    auto* self = reinterpret_cast<RegistrationProgressWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
      case WM_COMMAND:
        if (LOWORD(wParam) != IDCANCEL) return FALSE;
        self->Stop();  // "中止", Escape
        return TRUE;
      case WM_CLOSE:
        self->Stop();
        return TRUE;
      case WM_DPICHANGED:
        self->dpi_.OnDpiChanged(wParam, lParam);
        return TRUE;
      case kRunLater:
        if (!self->later_.empty()) {
          const std::function<void()> work = std::move(self->later_.front());
          self->later_.pop_front();
          work();
        }
        return TRUE;
      default:
        return FALSE;
    }
  });
}

namespace {

struct Question {
  std::wstring text;
  platform::DialogDpi dpi;
};

constexpr int kQuestionButtons[] = {IDYES, IDNO, IDCANCEL, IDC_OVERWRITE_NO_TO_ALL, IDC_OVERWRITE_YES_TO_ALL};

// Sizes the dialog to its text: the icon and the text in one row, the five
// buttons of one width in a row below, everything centred over the owner.
void LayOutQuestion(HWND dialog, const std::wstring& text) {
  RECT units{8, 14, 50, 4};  // margin, button height, least button width, gap
  MapDialogRect(dialog, &units);
  const int margin = units.left, buttonHeight = units.top, gap = units.bottom;
  const int icon = platform::SystemMetricForDpi(SM_CXICON, platform::WindowDpi(dialog));
  SendDlgItemMessageW(dialog, IDC_OVERWRITE_ICON, STM_SETICON,
                      reinterpret_cast<WPARAM>(LoadImageW(nullptr, IDI_INFORMATION, IMAGE_ICON,
                                                          icon, icon, LR_SHARED)),
                      0);

  platform::WindowDc dc(dialog);
  const HGDIOBJ oldFont =
      SelectObject(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  int buttonWidth = units.right;
  for (int id : kQuestionButtons) {
    wchar_t caption[64] = {};
    GetDlgItemTextW(dialog, id, caption, 64);
    RECT r{0, 0, 0, 0};
    DrawTextW(dc.Get(), caption, -1, &r, DT_CALCRECT | DT_SINGLELINE);
    buttonWidth = std::max<int>(buttonWidth, r.right + 2 * margin);
  }
  const int rowWidth = 5 * buttonWidth + 4 * gap;
  RECT textRect{0, 0, std::max(rowWidth - icon - margin, GetSystemMetrics(SM_CXSCREEN) / 2), 0};
  DrawTextW(dc.Get(), text.c_str(), -1, &textRect, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc.Get(), oldFont);

  const int textWidth = textRect.right, textHeight = textRect.bottom;
  const int clientWidth = std::max(rowWidth, icon + margin + textWidth) + 2 * margin;
  const int contentHeight = std::max(icon, textHeight);
  const int buttonTop = margin + contentHeight + margin + margin / 2;
  const int clientHeight = buttonTop + buttonHeight + margin;

  MoveWindow(GetDlgItem(dialog, IDC_OVERWRITE_ICON), margin, margin, icon, icon, FALSE);
  MoveWindow(GetDlgItem(dialog, IDC_OVERWRITE_TEXT), 2 * margin + icon,
             margin + (contentHeight - textHeight) / 2, textWidth, textHeight, FALSE);
  int x = (clientWidth - rowWidth) / 2;
  for (int id : kQuestionButtons) {
    MoveWindow(GetDlgItem(dialog, id), x, buttonTop, buttonWidth, buttonHeight, FALSE);
    x += buttonWidth + gap;
  }
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CentreOver(dialog, GetWindow(dialog, GW_OWNER));
}

}  // namespace

OverwriteAnswer OverwriteQuestionDialog::Ask(const std::string& ansiFileName) {
  Question question{platform::AnsiToWide(ansiFileName) + platform::Utf8ToWide(kOverwriteQuestionSuffix), {}};
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OVERWRITE_QUESTION),
                                         owner_ ? owner_() : nullptr, &OverwriteQuestionDialog::Procedure,
                                         reinterpret_cast<LPARAM>(&question));
  switch (result) {
    case IDYES:
      return OverwriteAnswer::Yes;
    case IDNO:
      return OverwriteAnswer::No;
    case IDC_OVERWRITE_NO_TO_ALL:
      return OverwriteAnswer::NoToAll;
    case IDC_OVERWRITE_YES_TO_ALL:
      return OverwriteAnswer::YesToAll;
    default:
      // Cancel, Escape, the close box, and a dialog that did not open:
      // nothing is replaced.
      return OverwriteAnswer::Cancel;
  }
}

INT_PTR CALLBACK OverwriteQuestionDialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return platform::Guarded<INT_PTR>(FALSE, [&]() -> INT_PTR {
    switch (message) {
      case WM_INITDIALOG: {
        auto* question = reinterpret_cast<Question*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        question->dpi.Attach(hwnd);
        SetDlgItemTextW(hwnd, IDC_OVERWRITE_TEXT, question->text.c_str());
        LayOutQuestion(hwnd, question->text);
        return TRUE;
      }
      case WM_DPICHANGED:
        if (auto* question = reinterpret_cast<Question*>(GetWindowLongPtrW(hwnd, DWLP_USER))) {
          if (question->dpi.OnDpiChanged(wParam, lParam)) LayOutQuestion(hwnd, question->text);
        }
        return TRUE;
      case WM_COMMAND:
        for (int id : kQuestionButtons) {
          if (LOWORD(wParam) == id) {
            EndDialog(hwnd, id);
            return TRUE;
          }
        }
        return FALSE;
      default:
        return FALSE;
    }
  });
}

}  // namespace tapestrel::app
