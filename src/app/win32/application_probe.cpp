#include "app/win32/application_probe.h"

#include <windows.h>

#include "platform/win32/message_pump.h"

namespace tapestrel::app {

bool WindowsApplicationProbe::IsApplicationInUse(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return true;
  CloseHandle(file);
  return false;
}

void WindowsApplicationProbe::ProcessMessages() { platform::ProcessPendingMessages(); }

}  // namespace tapestrel::app
