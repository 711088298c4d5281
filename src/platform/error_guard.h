// The program-wide error handler: an error that reaches a window procedure,
// dialog procedure, timer or thread entry is dropped there silently, and the
// program goes on. Every callback from Windows runs its body through Guarded.
#pragma once

#include <exception>
#include <utility>

namespace tapestrel::platform {

// Called with each dropped error; by default nothing. Tests hook it.
using ErrorObserver = void (*)(const char* what);
void SetErrorObserver(ErrorObserver observer);
void ReportDroppedError(const char* what);

template <typename Result, typename Body>
Result Guarded(Result onError, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (const std::exception& e) {
    ReportDroppedError(e.what());
  } catch (...) {
    ReportDroppedError("unknown error");
  }
  return onError;
}

template <typename Body>
void Guarded(Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (const std::exception& e) {
    ReportDroppedError(e.what());
  } catch (...) {
    ReportDroppedError("unknown error");
  }
}

}  // namespace tapestrel::platform
