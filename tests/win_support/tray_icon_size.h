// An icon resource as the notification area shows it: drawn for the small
// icon size, as shared icons (the same handle every time).
#pragma once

#include <windows.h>

namespace tapestrel::testing {

inline HICON TrayIconResource(const char* name) {
  const int size = GetSystemMetrics(SM_CXSMICON);
  return static_cast<HICON>(LoadImageA(GetModuleHandleW(nullptr), name, IMAGE_ICON, size, size, LR_SHARED));
}

}  // namespace tapestrel::testing
