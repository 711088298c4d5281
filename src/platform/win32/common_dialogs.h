// The common dialogs, through functions bound on first use (see
// late_bound.h): a resident program that never opens a dialog does not load
// the dialog library. Each answers as the function it stands for, and false
// when the library cannot be loaded.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>
#include <vector>

namespace tapestrel::platform {

bool ShowOpenFileDialog(OPENFILENAMEW& dialog);
bool ShowOpenFileDialog(OPENFILENAMEA& dialog);
bool ShowColorDialog(CHOOSECOLORW& dialog);

// The full paths an open dialog returned in its file buffer, in its order
// (one, or the folder joined to each name of a multiple selection).
std::vector<std::wstring> ChosenFiles(const OPENFILENAMEW& dialog);

}  // namespace tapestrel::platform
