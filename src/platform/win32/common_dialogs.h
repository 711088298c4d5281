// The common dialogs, through functions bound on first use (see
// late_bound.h): a resident program that never opens a dialog does not load
// the dialog library. Each answers as the function it stands for, and false
// when the library cannot be loaded.
#pragma once

#include <windows.h>

#include <commdlg.h>

namespace tapestrel::platform {

bool ShowOpenFileDialog(OPENFILENAMEW& dialog);
bool ShowOpenFileDialog(OPENFILENAMEA& dialog);
bool ShowColourDialog(CHOOSECOLORW& dialog);

}  // namespace tapestrel::platform
