#include "imaging/win32/spi_call.h"

#include <intrin.h>
#include <windows.h>

#if !defined(__i386__)
#error "Picture plug-ins are 32-bit libraries: the host is built for i686 only."
#endif

// Pushes `count` 32-bit arguments from `args` (last first), calls `entry`,
// and returns its EAX with the stack pointer taken back from EBP, whatever
// the callee popped. Every x86 calling convention preserves EBP, EBX, ESI
// and EDI; this frame saves the last three anyway.
extern "C" int32_t tapestrel_spi_call(const void* entry, const uint32_t* args, uint32_t count);
asm(R"(
  .text
  .globl _tapestrel_spi_call
  .def _tapestrel_spi_call; .scl 2; .type 32; .endef
_tapestrel_spi_call:
  pushl %ebp
  movl %esp, %ebp
  pushl %ebx
  pushl %esi
  pushl %edi
  movl 12(%ebp), %esi
  movl 16(%ebp), %ecx
1:
  testl %ecx, %ecx
  jz 2f
  pushl -4(%esi,%ecx,4)
  decl %ecx
  jmp 1b
2:
  call *8(%ebp)
  leal -12(%ebp), %esp
  popl %edi
  popl %esi
  popl %ebx
  popl %ebp
  ret
)");

namespace tapestrel::imaging {
namespace {

// An exception registration record of the x86 frame-based handler chain
// (fs:[0]), laid out as compilers lay out theirs so that any code walking
// the chain reads it correctly, followed by our own jump buffer.
struct GuardFrame {
  GuardFrame* previous;
  void* handler;
  void* scopeTable;
  int32_t tryLevel;
  void* jump[5];  // __builtin_setjmp buffer
};

bool IsRecoverable(DWORD code) {
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

EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record, void* establisher, CONTEXT*, void*) {
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
  if (!IsRecoverable(record->ExceptionCode)) return ExceptionContinueSearch;
  // Unwind the plug-in's own handlers (they run their cleanup), leaving our
  // frame at the head of the chain, then resume in CallSpiEntry.
  RtlUnwind(establisher, nullptr, record, nullptr);
  __builtin_longjmp(static_cast<GuardFrame*>(establisher)->jump, 1);
}

struct FloatState {
  uint16_t x87;
  uint32_t mxcsr;
};

FloatState SaveFloatState() {
  FloatState s;
  asm volatile("fnstcw %0" : "=m"(s.x87));
  asm volatile("stmxcsr %0" : "=m"(s.mxcsr));
  return s;
}

void RestoreFloatState(const FloatState& s) {
  asm volatile("fnclex");
  asm volatile("fldcw %0" : : "m"(s.x87));
  asm volatile("ldmxcsr %0" : : "m"(s.mxcsr));
}

__attribute__((noinline)) bool GuardedCall(const void* entry, const uint32_t* args, uint32_t count,
                                           int32_t* result) {
  GuardFrame frame{};
  frame.handler = reinterpret_cast<void*>(&GuardHandler);
  frame.tryLevel = -1;  // no scope table: nothing of ours to unwind
  frame.previous = reinterpret_cast<GuardFrame*>(__readfsdword(0));
  __writefsdword(0, reinterpret_cast<DWORD>(&frame));
  volatile bool returned = false;
  if (__builtin_setjmp(frame.jump) == 0) {
    *result = tapestrel_spi_call(entry, args, count);
    returned = true;
  }
  __writefsdword(0, reinterpret_cast<DWORD>(frame.previous));
  return returned;
}

}  // namespace

SpiCallOutcome CallSpiEntry(const void* entry, std::initializer_list<uint32_t> args, int32_t& result) {
  const FloatState state = SaveFloatState();
  int32_t value = -1;
  const bool returned = GuardedCall(entry, args.begin(), static_cast<uint32_t>(args.size()), &value);
  RestoreFloatState(state);
  result = returned ? value : -1;
  return returned ? SpiCallOutcome::Returned : SpiCallOutcome::Faulted;
}

}  // namespace tapestrel::imaging
