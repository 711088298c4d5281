// COM on the current thread for as long as this lives, apartment-threaded as
// the shell's objects expect; a thread that has COM already (in whatever
// model) keeps it.
#pragma once

#include <windows.h>

#include <objbase.h>

namespace tapestrel::platform {

class ComScope {
 public:
  ComScope() noexcept : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (initialized_) CoUninitialize();
  }

 private:
  bool initialized_;
};

}  // namespace tapestrel::platform
