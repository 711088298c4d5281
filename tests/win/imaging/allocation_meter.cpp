// The statically linked code (libstdc++, libjpeg, zlib, ours) reaches
// msvcrt's heap functions through this program's import slots; pointing
// those slots at counting wrappers sees every call, and the blocks still
// come from msvcrt's own heap.
#include "allocation_meter.h"

#include <windows.h>

#include <malloc.h>

#include <atomic>

// The linker names a function's import slot __imp_ and the function's
// symbol; on x86 a C function's symbol has a leading underscore.
#if defined(__i386__)
#define IMPORT_SLOT(name) _imp__##name
#else
#define IMPORT_SLOT(name) __imp_##name
#endif

extern "C" {
extern void* (*IMPORT_SLOT(malloc))(size_t);
extern void* (*IMPORT_SLOT(calloc))(size_t, size_t);
extern void* (*IMPORT_SLOT(realloc))(void*, size_t);
extern void (*IMPORT_SLOT(free))(void*);
}

namespace {

// Signed: blocks from before the slots were changed may be freed later.
std::atomic<int64_t> g_live{0};
std::atomic<int64_t> g_peak{0};
std::atomic<size_t> g_largest{0};

void Requested(size_t n) {
  size_t largest = g_largest.load();
  while (n > largest && !g_largest.compare_exchange_weak(largest, n)) {
  }
}
void Added(void* p) {
  if (!p) return;
  const auto n = static_cast<int64_t>(_msize(p));
  const int64_t live = g_live.fetch_add(n) + n;
  int64_t peak = g_peak.load();
  while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
  }
}
void Removed(void* p) {
  if (p) g_live.fetch_sub(static_cast<int64_t>(_msize(p)));
}

void* (*g_malloc)(size_t);
void* (*g_calloc)(size_t, size_t);
void* (*g_realloc)(void*, size_t);
void (*g_free)(void*);

void* CountedMalloc(size_t n) {
  Requested(n);
  void* p = g_malloc(n);
  Added(p);
  return p;
}
void* CountedCalloc(size_t count, size_t n) {
  Requested(count * n);
  void* p = g_calloc(count, n);
  Added(p);
  return p;
}
void* CountedRealloc(void* p, size_t n) {
  Requested(n);
  const int64_t old = p ? static_cast<int64_t>(_msize(p)) : 0;
  void* q = g_realloc(p, n);
  if (q || n == 0) g_live.fetch_sub(old);
  Added(q);
  return q;
}
void CountedFree(void* p) {
  Removed(p);
  g_free(p);
}

template <typename Function>
void Redirect(Function* slot, Function counted, Function& original) {
  DWORD protection = 0;
  VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
  original = *slot;
  *slot = counted;
  VirtualProtect(slot, sizeof *slot, protection, &protection);
}

void Install() {
  static const bool installed = [] {
    Redirect(&IMPORT_SLOT(malloc), CountedMalloc, g_malloc);
    Redirect(&IMPORT_SLOT(calloc), CountedCalloc, g_calloc);
    Redirect(&IMPORT_SLOT(realloc), CountedRealloc, g_realloc);
    Redirect(&IMPORT_SLOT(free), CountedFree, g_free);
    return true;
  }();
  (void)installed;
}

}  // namespace

namespace imaging_test {

AllocationMeter::AllocationMeter() {
  Install();
  base_ = g_live.load();
  g_peak.store(base_);
  g_largest.store(0);
}

size_t AllocationMeter::PeakBytes() const { return static_cast<size_t>(g_peak.load() - base_); }
size_t AllocationMeter::LargestRequest() const { return g_largest.load(); }

}  // namespace imaging_test
