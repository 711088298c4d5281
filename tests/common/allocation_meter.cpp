// How the calls are seen:
// - Windows: the statically linked code (libstdc++, libjpeg, zlib, ours)
//   reaches msvcrt's heap functions through this program's import slots;
//   pointing those slots at counting wrappers sees every call, and the blocks
//   still come from msvcrt's own heap.
// - Under AddressSanitizer its allocator reports every block through hooks.
// - Otherwise this program's own malloc family stands in front of glibc's, as
//   glibc allows, and so sees the calls of the shared libraries too.
#include "common/allocation_meter.h"

#include <malloc.h>

#include <atomic>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

// Signed: blocks from before the counting began may be freed later.
std::atomic<int64_t> g_live{0};
std::atomic<int64_t> g_peak{0};
std::atomic<size_t> g_largest{0};

void Requested(size_t n) {
  size_t largest = g_largest.load();
  while (n > largest && !g_largest.compare_exchange_weak(largest, n)) {
  }
}
void Added(size_t n) {
  const int64_t live = g_live.fetch_add(static_cast<int64_t>(n)) + static_cast<int64_t>(n);
  int64_t peak = g_peak.load();
  while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
  }
}
void Removed(size_t n) { g_live.fetch_sub(static_cast<int64_t>(n)); }

}  // namespace

#if defined(_WIN32)

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

void* (*g_malloc)(size_t);
void* (*g_calloc)(size_t, size_t);
void* (*g_realloc)(void*, size_t);
void (*g_free)(void*);

void* Counted(void* p) {
  if (p) Added(_msize(p));
  return p;
}
void* CountedMalloc(size_t n) {
  Requested(n);
  return Counted(g_malloc(n));
}
void* CountedCalloc(size_t count, size_t n) {
  Requested(count * n);
  return Counted(g_calloc(count, n));
}
void* CountedRealloc(void* p, size_t n) {
  Requested(n);
  const size_t old = p ? _msize(p) : 0;
  void* q = g_realloc(p, n);
  if (q || n == 0) Removed(old);
  return Counted(q);
}
void CountedFree(void* p) {
  if (p) Removed(_msize(p));
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

// On the first meter: the slots are changed once, and stay changed.
void StartCounting() {
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

#elif defined(__SANITIZE_ADDRESS__)

// The sanitizer runtime's allocator interface (GCC ships no header for it).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                                         void (*free_hook)(const volatile void*));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* p);

namespace {
void MallocHook(const volatile void*, size_t size) {
  Requested(size);
  Added(size);
}
void FreeHook(const volatile void* p) { Removed(__sanitizer_get_allocated_size(p)); }
[[maybe_unused]] const int g_installed = __sanitizer_install_malloc_and_free_hooks(MallocHook, FreeHook);
// Counting began with the program.
void StartCounting() {}
}  // namespace

#else

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

namespace {
void* Counted(void* p) {
  if (p) Added(malloc_usable_size(p));
  return p;
}
}  // namespace

void* malloc(size_t n) {
  Requested(n);
  return Counted(__libc_malloc(n));
}
void* calloc(size_t count, size_t n) {
  Requested(count * n);
  return Counted(__libc_calloc(count, n));
}
void free(void* p) {
  if (p) Removed(malloc_usable_size(p));
  __libc_free(p);
}
void* realloc(void* p, size_t n) {
  Requested(n);
  const size_t old = p ? malloc_usable_size(p) : 0;
  void* q = __libc_realloc(p, n);
  if (q || n == 0) Removed(old);
  return Counted(q);
}
void* memalign(size_t alignment, size_t n) {
  Requested(n);
  return Counted(__libc_memalign(alignment, n));
}
void* aligned_alloc(size_t alignment, size_t n) { return memalign(alignment, n); }
int posix_memalign(void** out, size_t alignment, size_t n) {
  void* p = memalign(alignment, n);
  if (!p) return 12;  // ENOMEM
  *out = p;
  return 0;
}
void* valloc(size_t n) { return memalign(4096, n); }
void* pvalloc(size_t n) { return memalign(4096, (n + 4095) & ~size_t{4095}); }
}

namespace {
// Counting began with the program.
void StartCounting() {}
}  // namespace

#endif

namespace imaging_test {

AllocationMeter::AllocationMeter() {
  StartCounting();
  base_ = g_live.load();
  g_peak.store(base_);
  g_largest.store(0);
}

size_t AllocationMeter::PeakBytes() const { return static_cast<size_t>(g_peak.load() - base_); }
size_t AllocationMeter::LargestRequest() const { return g_largest.load(); }

}  // namespace imaging_test
