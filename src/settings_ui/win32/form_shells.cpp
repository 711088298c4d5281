#include "settings_ui/win32/form_shells.h"

namespace tapestrel::settings_ui {

FormShell::FormShell(const wchar_t* formName) {
  Create(L"TapestrelFormShell", formName, WS_OVERLAPPED, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
}

std::vector<std::unique_ptr<FormShell>> CreateFormShells() {
  std::vector<std::unique_ptr<FormShell>> forms;
  for (const wchar_t* name : {L"TForm11", L"TAboutBox"}) {
    forms.push_back(std::make_unique<FormShell>(name));
  }
  return forms;
}

}  // namespace tapestrel::settings_ui
