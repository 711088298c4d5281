// One caller at a time inside a plug-in library. Plug-ins are written for a
// single caller: most keep their state in globals. Yet the program holds each
// library twice (the thumbnail maker's list and the plug-in collection both
// load it, and Windows hands both the same module), and the thumbnail worker
// and the window thread both call it. So every entry into a module goes
// through that module's one lock, whichever object enters.
//
//   auto lock = SpiEntryLock::ForModule(module);
//   { SpiEntryLock::Hold hold(*lock); /* call the entry point */ }
#pragma once

#include <windows.h>

#include <memory>

namespace tapestrel::imaging {

class SpiEntryLock {
 public:
  // The lock of a loaded module, shared by everyone who asks for it while
  // anyone holds it.
  static std::shared_ptr<SpiEntryLock> ForModule(HMODULE module);

  SpiEntryLock() noexcept { InitializeCriticalSection(&section_); }
  ~SpiEntryLock() { DeleteCriticalSection(&section_); }
  SpiEntryLock(const SpiEntryLock&) = delete;
  SpiEntryLock& operator=(const SpiEntryLock&) = delete;

  // Held for one entry. The thread inside may enter again (a progress
  // callback that reaches the same plug-in); any other thread waits.
  class Hold {
   public:
    explicit Hold(SpiEntryLock& lock) noexcept : lock_(lock) { EnterCriticalSection(&lock_.section_); }
    ~Hold() { LeaveCriticalSection(&lock_.section_); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    SpiEntryLock& lock_;
  };

 private:
  CRITICAL_SECTION section_;
};

}  // namespace tapestrel::imaging
