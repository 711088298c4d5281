#include "platform/error_guard.h"

#include <exception>

namespace tapestrel::platform {
namespace {
ErrorObserver g_observer = nullptr;
}

void SetErrorObserver(ErrorObserver observer) { g_observer = observer; }

void ReportDroppedError(const char* what) {
  if (g_observer) g_observer(what);
}

}  // namespace tapestrel::platform
