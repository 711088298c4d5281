// The application condition's test on Windows: a running program's
// executable cannot be opened without sharing.
#pragma once

#include "app/scheduler.h"

namespace tapestrel::app {

class WindowsApplicationProbe : public ApplicationProbe {
 public:
  bool IsApplicationInUse(const std::string& path) override;
  // Lets pending window messages run.
  void ProcessMessages() override;
};

}  // namespace tapestrel::app
