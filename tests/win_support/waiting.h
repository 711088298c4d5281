// Waiting for a condition that another process or thread brings about.
#pragma once

#include <chrono>
#include <thread>

namespace tapestrel::testing {

template <typename Predicate>
bool WaitFor(Predicate done, int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

}  // namespace tapestrel::testing
