#include "imaging/win32/spi_entry_lock.h"

#include <map>

namespace tapestrel::imaging {

std::shared_ptr<SpiEntryLock> SpiEntryLock::ForModule(HMODULE module) {
  static SRWLOCK guard = SRWLOCK_INIT;
  // Only live locks are found: a module loaded again after every holder let
  // go gets a new one.
  static std::map<HMODULE, std::weak_ptr<SpiEntryLock>> locks;
  AcquireSRWLockExclusive(&guard);
  struct Release {
    ~Release() { ReleaseSRWLockExclusive(&guard); }
  } release;
  std::erase_if(locks, [](const auto& entry) { return entry.second.expired(); });
  std::weak_ptr<SpiEntryLock>& slot = locks[module];
  if (std::shared_ptr<SpiEntryLock> lock = slot.lock()) return lock;
  auto lock = std::make_shared<SpiEntryLock>();
  slot = lock;
  return lock;
}

}  // namespace tapestrel::imaging
