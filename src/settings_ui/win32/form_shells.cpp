#include "settings_ui/win32/form_shells.h"

namespace tapestrel::settings_ui {

FormShell::FormShell(const wchar_t* formName) {
  Create(L"TapestrelFormShell", formName, WS_OVERLAPPED, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
}

std::vector<std::unique_ptr<FormShell>> CreateFormShells() {
  std::vector<std::unique_ptr<FormShell>> forms;
  for (const wchar_t* name : {L"TForm2", L"TForm3", L"TForm4", L"TForm5", L"TForm6", L"TForm7", L"TForm8",
                              L"TForm10", L"TForm11", L"TAboutBox", L"TForm9", L"TForm12", L"TForm13"}) {
    forms.push_back(std::make_unique<FormShell>(name));
  }
  return forms;
}

}  // namespace tapestrel::settings_ui
