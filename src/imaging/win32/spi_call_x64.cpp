// Plug-in calls on x64: the x64 calling convention, and a guard made of the
// call stub's own unwind tables, whose language handler takes back a fault
// that the plug-in's frames left unhandled.
#if defined(__x86_64__)

#include <array>

#include "imaging/win32/spi_call.h"
#include "imaging/win32/spi_call_guard.h"

extern "C" {

// Calls `entry` with `count` (at least 4) arguments from `args`: the first
// four in RCX, RDX, R8 and R9, the rest on the stack above the 32 bytes of
// shadow space, with the stack 16-byte aligned at the call. Stores EAX
// through `result` and returns 1. The stub saves every register the
// convention has the callee keep (RBX, RBP, RSI, RDI, R12-R15, XMM6-XMM15)
// and restores them, and the stack pointer, from its own frame through RBP,
// so a plug-in that breaks the convention cannot corrupt ours.
//
// A fault unwound to tapestrel_spi_call_fault (by the handler below)
// resumes in the same epilogue and returns 0.
int tapestrel_spi_call(const void* entry, const uintptr_t* args, uintptr_t count, int32_t* result);
extern const char tapestrel_spi_call_fault[];
EXCEPTION_DISPOSITION tapestrel_spi_guard_handler(EXCEPTION_RECORD* record, void* establisherFrame,
                                                  CONTEXT* context, DISPATCHER_CONTEXT* dispatch);

}  // extern "C"

// Frame, from RBP up: XMM6-XMM15 (160 bytes), the result pointer (8), then
// the eight pushed registers and the return address.
asm(R"(
  .text
  .globl tapestrel_spi_call
  .globl tapestrel_spi_call_fault
  .def tapestrel_spi_call; .scl 2; .type 32; .endef
  .seh_proc tapestrel_spi_call
tapestrel_spi_call:
  pushq %rbp
  .seh_pushreg %rbp
  pushq %rbx
  .seh_pushreg %rbx
  pushq %rsi
  .seh_pushreg %rsi
  pushq %rdi
  .seh_pushreg %rdi
  pushq %r12
  .seh_pushreg %r12
  pushq %r13
  .seh_pushreg %r13
  pushq %r14
  .seh_pushreg %r14
  pushq %r15
  .seh_pushreg %r15
  subq $168, %rsp
  .seh_stackalloc 168
  movdqa %xmm6, 0(%rsp)
  .seh_savexmm %xmm6, 0
  movdqa %xmm7, 16(%rsp)
  .seh_savexmm %xmm7, 16
  movdqa %xmm8, 32(%rsp)
  .seh_savexmm %xmm8, 32
  movdqa %xmm9, 48(%rsp)
  .seh_savexmm %xmm9, 48
  movdqa %xmm10, 64(%rsp)
  .seh_savexmm %xmm10, 64
  movdqa %xmm11, 80(%rsp)
  .seh_savexmm %xmm11, 80
  movdqa %xmm12, 96(%rsp)
  .seh_savexmm %xmm12, 96
  movdqa %xmm13, 112(%rsp)
  .seh_savexmm %xmm13, 112
  movdqa %xmm14, 128(%rsp)
  .seh_savexmm %xmm14, 128
  movdqa %xmm15, 144(%rsp)
  .seh_savexmm %xmm15, 144
  movq %rsp, %rbp
  .seh_setframe %rbp, 0
  .seh_endprologue
  .seh_handler tapestrel_spi_guard_handler, @except
  movq %r9, 160(%rbp)
  movq %rcx, %r10
  leaq 15(,%r8,8), %rax
  andq $-16, %rax
  subq %rax, %rsp
  movq $4, %rcx
1:
  cmpq %r8, %rcx
  jae 2f
  movq (%rdx,%rcx,8), %rax
  movq %rax, (%rsp,%rcx,8)
  incq %rcx
  jmp 1b
2:
  movq 24(%rdx), %r9
  movq 16(%rdx), %r8
  movq 0(%rdx), %rcx
  movq 8(%rdx), %rdx
  callq *%r10
  movq 160(%rbp), %rcx
  movl %eax, (%rcx)
  movl $1, %eax
  jmp 3f
tapestrel_spi_call_fault:
  xorl %eax, %eax
3:
  movdqa 0(%rbp), %xmm6
  movdqa 16(%rbp), %xmm7
  movdqa 32(%rbp), %xmm8
  movdqa 48(%rbp), %xmm9
  movdqa 64(%rbp), %xmm10
  movdqa 80(%rbp), %xmm11
  movdqa 96(%rbp), %xmm12
  movdqa 112(%rbp), %xmm13
  movdqa 128(%rbp), %xmm14
  movdqa 144(%rbp), %xmm15
  leaq 168(%rbp), %rsp
  popq %r15
  popq %r14
  popq %r13
  popq %r12
  popq %rdi
  popq %rsi
  popq %rbx
  popq %rbp
  ret
  .seh_endproc
)");

// Called while an exception is dispatched and no frame of the plug-in has
// handled it. Unwinds the plug-in's frames (their termination handlers run)
// and resumes the stub at its fault exit, in its own frame.
extern "C" EXCEPTION_DISPOSITION tapestrel_spi_guard_handler(EXCEPTION_RECORD* record, void* establisherFrame,
                                                             CONTEXT*, DISPATCHER_CONTEXT* dispatch) {
  using tapestrel::imaging::IsRecoverableFault;
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
  if (!IsRecoverableFault(record->ExceptionCode)) return ExceptionContinueSearch;
  RtlUnwindEx(establisherFrame, const_cast<char*>(tapestrel_spi_call_fault), record, nullptr,
              dispatch->ContextRecord, dispatch->HistoryTable);
  return ExceptionContinueSearch;  // not reached
}

namespace tapestrel::imaging {

bool GuardedSpiCall(const void* entry, const uintptr_t* args, size_t count, int32_t* result) {
  // The stub loads four register arguments whatever the count.
  std::array<uintptr_t, kMaxSpiArguments> padded{};
  for (size_t i = 0; i < count; ++i) padded[i] = args[i];
  return tapestrel_spi_call(entry, padded.data(), count < 4 ? 4 : count, result) != 0;
}

}  // namespace tapestrel::imaging

#endif  // __x86_64__
