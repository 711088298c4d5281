// The windows that the main window creates at start-up and keeps until exit
// but that have no content of their own yet: each is a hidden window with its
// form's name, created in the program's creation order.
#pragma once

#include <memory>
#include <vector>

#include "platform/win32/window.h"

namespace tapestrel::settings_ui {

class FormShell : public platform::Window {
 public:
  explicit FormShell(const wchar_t* formName);
};

// TForm11 and TAboutBox, in creation order. The settings dialog and its
// pages are the main window's.
std::vector<std::unique_ptr<FormShell>> CreateFormShells();

}  // namespace tapestrel::settings_ui
