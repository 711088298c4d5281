// The common dialogs, through functions bound on first use (see
// late_bound.h): a resident program that never opens a dialog does not load
// the dialog library.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>
#include <vector>

namespace tapestrel::platform {

// Answers as ChooseColorW, and false when the library cannot be loaded.
bool ShowColorDialog(CHOOSECOLORW& dialog);

// What the open dialog asks for. Texts are UTF-8; an empty one leaves the
// system's choice.
struct OpenFileOptions {
  std::string title;
  std::string filter;            // "description|mask|description|mask"
  std::string defaultExtension;  // without the dot
  bool multiple = false;
  bool mustExist = true;  // the dialog itself refuses a typed name of no file
};

// Shows the open dialog (explorer style, resizable, no read-only box) and
// returns the full paths chosen, in the dialog's order; none when the user
// cancels or the dialog cannot be shown.
std::vector<std::wstring> ChooseFilesToOpen(HWND owner, const OpenFileOptions& options);

}  // namespace tapestrel::platform
