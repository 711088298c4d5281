// A clean-up that runs when its scope ends, however it ends. It may run while
// an error is on its way out, when a second error would end the program, so
// the clean-up must promise not to throw: the compiler holds it to that.
//
//   ScopeExit restore([&]() noexcept { SetUpdating(false); });
#pragma once

#include <type_traits>
#include <utility>

namespace tapestrel::platform {

template <typename CleanUp>
class ScopeExit {
  static_assert(std::is_nothrow_invocable_v<CleanUp&>, "a scope's clean-up must be noexcept");

 public:
  explicit ScopeExit(CleanUp cleanUp) : cleanUp_(std::move(cleanUp)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() { cleanUp_(); }

 private:
  CleanUp cleanUp_;
};

}  // namespace tapestrel::platform
