// The about box: the program's icon, name and version, a link label that
// opens the help page, and a button that shows the licences.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"

namespace tapestrel::app {

class AboutBox {
 public:
  // `openLink` runs when the link label is clicked or entered.
  explicit AboutBox(std::function<void()> openLink) : openLink_(std::move(openLink)) {}
  // Modal: returns when the box is closed.
  void ShowModal(HWND owner);

  // "バージョン 1.0.0 (x64)": the one version number of the build and the
  // processor it is built for.
  static std::wstring VersionText();

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  std::function<void()> openLink_;
  void MakeNameFont(HWND dialog);

  platform::DialogDpi dpi_;
  platform::UniqueGdiObject nameFont_;  // lives until the box is gone
};

}  // namespace tapestrel::app
