#include "imaging/win32/spi_call.h"

#include "imaging/win32/spi_call_guard.h"

namespace tapestrel::imaging {
namespace {

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

}  // namespace

SpiCallOutcome CallSpiEntry(const void* entry, std::initializer_list<uintptr_t> args, int32_t& result) {
  if (args.size() > kMaxSpiArguments) {
    result = -1;
    return SpiCallOutcome::Faulted;
  }
  const FloatState state = SaveFloatState();
  int32_t value = -1;
  const bool returned = GuardedSpiCall(entry, args.begin(), args.size(), &value);
  RestoreFloatState(state);
  result = returned ? value : -1;
  return returned ? SpiCallOutcome::Returned : SpiCallOutcome::Faulted;
}

}  // namespace tapestrel::imaging
