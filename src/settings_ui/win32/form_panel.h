// TFormPanel: a panel that hosts one window (a settings page) as a
// borderless child filling it, and gives it back as it was when another
// takes its place or the panel goes.
#pragma once

#include <windows.h>

#include "platform/win32/window.h"

namespace tapestrel::settings_ui {

class TFormPanel : public platform::Window {
 public:
  // A child of `parent` at `bounds`, without bevel or border.
  TFormPanel(HWND parent, const RECT& bounds);
  ~TFormPanel() override { GiveBack(); }

  // Adopts `form` (null: none) after giving back the one hosted.
  void SetHostedForm(HWND form);
  HWND HostedForm() const { return hosted_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void GiveBack();
  void Fit();

  HWND hosted_ = nullptr;
  // What the hosted window had before: its style and its parent, or its
  // owner when it was a top-level window.
  LONG_PTR savedStyle_ = 0;
  HWND savedParent_ = nullptr;
  HWND savedOwner_ = nullptr;
};

}  // namespace tapestrel::settings_ui
