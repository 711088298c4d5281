// The machine-specific half of CallSpiEntry (spi_call.cpp): the call itself
// and its fault guard, one file per processor (spi_call_x86.cpp: the
// frame-based handler chain; spi_call_x64.cpp: table-based handlers).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace tapestrel::imaging {

// Calls `entry` with `count` arguments; true with `*result` set when it
// returned, false when a recoverable fault was unwound back to us.
bool GuardedSpiCall(const void* entry, const uintptr_t* args, size_t count, int32_t* result);

// Whether a fault that the plug-in left unhandled can be recovered from.
inline bool IsRecoverableFault(DWORD code) {
  switch (code) {
    case EXCEPTION_STACK_OVERFLOW:  // the guard page is gone; unwinding on could fault again
    case EXCEPTION_BREAKPOINT:
    case EXCEPTION_SINGLE_STEP:
      return false;
    default:
      // Anything else that reached us was not handled by the plug-in: a
      // processor fault, or a language exception (C++, Delphi) escaping it.
      return true;
  }
}

}  // namespace tapestrel::imaging
