// Calling into a plug-in library: code we do not control, built by anyone
// with any compiler.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace tapestrel::imaging {

enum class SpiCallOutcome {
  Returned,  // the entry point returned; its result is valid
  Faulted,   // a processor fault or an exception escaped the plug-in
};

// The most arguments an entry point takes ("GetPicture" takes seven).
constexpr size_t kMaxSpiArguments = 8;

// Calls `entry` with `args` (at most kMaxSpiArguments, each as wide as a
// pointer) in the system's calling convention: stdcall on x86 (pushed right
// to left), the x64 convention on x64 (four registers, then the stack above
// the callee's shadow space). Stores its 32-bit result. Around the call:
//  - the stack pointer and every register the convention says the callee
//    keeps are restored afterwards, so an entry point that removes the wrong
//    number of bytes (a cdecl export on x86) or clobbers a register it should
//    keep cannot corrupt ours;
//  - the x87 control word and MXCSR are restored, since some plug-ins
//    change them (unmasking floating-point exceptions);
//  - an access violation, illegal instruction, division by zero or any
//    other error exception that leaves the plug-in unhandled ends the call
//    instead of the program: the plug-in's own handlers are unwound and
//    Faulted is returned. Whatever the plug-in was doing is abandoned, so
//    its caller must not enter it again.
// Not caught: a stack overflow (no safe way back), a plug-in that never
// returns, one that damages the frame pointer it was to keep, and damage a
// plug-in does to memory it does not own.
SpiCallOutcome CallSpiEntry(const void* entry, std::initializer_list<uintptr_t> args, int32_t& result);

}  // namespace tapestrel::imaging
