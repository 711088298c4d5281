// The licence window of the about box: the program's own licence and the
// notices of the libraries built into it, read-only, as the release ships
// them in LICENSE and THIRD-PARTY-NOTICES.txt. The texts are resources of the
// executable, so that they go wherever the program goes.
#pragma once

#include <windows.h>

namespace tapestrel::app {

// Modal: returns when the window is closed.
void ShowLicenceWindow(HWND owner);

}  // namespace tapestrel::app
