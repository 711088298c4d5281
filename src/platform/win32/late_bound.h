// Functions of system libraries that only some commands need, bound when
// they are first called: the resident program then never loads the video,
// sound or common-dialog libraries until a user asks for what uses them
// (under Wine each of them costs a few hundred kilobytes).
#pragma once

#include <windows.h>

namespace tapestrel::platform {

// The function, or null when the library or the function is missing. The
// library stays loaded for the rest of the program's life.
template <typename Function>
Function LateBound(const char* library, const char* name) {
  const HMODULE module = LoadLibraryA(library);
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace tapestrel::platform
