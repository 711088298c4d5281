// Plug-in calls on x86: stdcall arguments on the stack, and a guard frame in
// the frame-based exception handler chain (fs:[0]).
#if defined(__i386__)

#include <intrin.h>

#include "imaging/win32/spi_call_guard.h"

// Pushes `count` 32-bit arguments from `args` (last first), calls `entry`,
// and returns its EAX with the stack pointer taken back from EBP, whatever
// the callee popped. Every x86 calling convention preserves EBP, EBX, ESI
// and EDI; this frame saves the last three anyway.
extern "C" int32_t tapestrel_spi_call(const void* entry, const uintptr_t* args, uintptr_t count);
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

EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record, void* establisher, CONTEXT*, void*) {
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
  if (!IsRecoverableFault(record->ExceptionCode)) return ExceptionContinueSearch;
  // Unwind the plug-in's own handlers (they run their cleanup), leaving our
  // frame at the head of the chain, then resume in GuardedSpiCall.
  RtlUnwind(establisher, nullptr, record, nullptr);
  __builtin_longjmp(static_cast<GuardFrame*>(establisher)->jump, 1);
}

}  // namespace

__attribute__((noinline)) bool GuardedSpiCall(const void* entry, const uintptr_t* args, size_t count,
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

}  // namespace tapestrel::imaging

#endif  // __i386__
