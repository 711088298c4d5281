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

// Calls `entry` with `args` pushed right to left (stdcall) and stores its
// result. Around the call:
//  - the stack pointer is restored afterwards, so an entry point that
//    removes the wrong number of bytes (a cdecl export) cannot corrupt ours;
//  - the x87 control word and MXCSR are restored, since some plug-ins
//    change them (unmasking floating-point exceptions);
//  - an access violation, illegal instruction, division by zero or any
//    other error exception that leaves the plug-in unhandled ends the call
//    instead of the program: the plug-in's own handlers are unwound and
//    Faulted is returned. Whatever the plug-in was doing is abandoned, so
//    its caller must not enter it again.
// Not caught: a stack overflow (no safe way back), a plug-in that never
// returns, and damage a plug-in does to memory it does not own.
SpiCallOutcome CallSpiEntry(const void* entry, std::initializer_list<uint32_t> args, int32_t& result);

}  // namespace tapestrel::imaging
